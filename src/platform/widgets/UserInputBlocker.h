#pragma once

#include <QObject>
#include <functional>

namespace kestrel {

// While one lives, clicks, keys and wheel turns are dropped before any
// widget sees them, except those meant for a modal box or dialog opened
// meanwhile (a notice shown while the host keeps us waiting). Host calls
// wait with the event loop running; input reaching the window then would
// start a second request inside the first.
class UserInputBlocker {
public:
    UserInputBlocker();
    ~UserInputBlocker();
    UserInputBlocker(const UserInputBlocker&) = delete;
    UserInputBlocker& operator=(const UserInputBlocker&) = delete;

    // Whether input is being dropped now.
    static bool Active();
    // Runs `routine` at the turn of the event loop after the host call now
    // waiting has returned (at the next turn when none waits), unless
    // `context` has gone: what arrived during the call meets the state the
    // call left, not whatever state a later one leaves.
    static void AfterReturn(QObject* context, std::function<void()> routine);
};

}  // namespace kestrel

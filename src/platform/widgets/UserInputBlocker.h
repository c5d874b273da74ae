#pragma once

#include <QObject>

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
};

}  // namespace kestrel

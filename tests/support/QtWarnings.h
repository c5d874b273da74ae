#pragma once

#include <QString>

namespace kestrel::test {

// Fails the running test on every Qt warning or critical message that no
// ExpectQtWarning declared: a warning in a test run is a fault until shown
// otherwise. Called once by the test main.
void FailTestsOnQtWarnings();

// Declares, for as long as it lives, that the test provokes a Qt warning or
// critical message whose text (with its category, "category: text") matches
// pattern, a regular expression. Such messages do not fail the test; a
// guard that saw none fails it when it goes.
class ExpectQtWarning {
public:
    explicit ExpectQtWarning(const QString& pattern);
    ~ExpectQtWarning();
    ExpectQtWarning(const ExpectQtWarning&) = delete;
    ExpectQtWarning& operator=(const ExpectQtWarning&) = delete;

    // How many messages it has taken so far.
    int Count() const;

    // What the message handler matches against; opaque to tests.
    struct State;

private:
    State* state_;
};

}  // namespace kestrel::test

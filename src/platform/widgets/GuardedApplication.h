#pragma once

#include <QApplication>

namespace kestrel {

// The application object of both programs. An error that escapes a slot or
// an event handler would end the process in the middle of the engineer's
// work; this is the last place that can stop it: the error is logged and
// shown as a notice once the event is over, and the program goes on.
class GuardedApplication : public QApplication {
    Q_OBJECT

public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Errors caught here since the start (tests read it).
    int CaughtErrors() const { return caught_; }

private:
    void Report(int number, const QString& description);

    int caught_ = 0;
    bool noticeQueued_ = false;
};

}  // namespace kestrel

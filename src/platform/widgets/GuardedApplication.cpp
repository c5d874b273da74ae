#include "GuardedApplication.h"

#include <QTimer>
#include <exception>

#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/RunError.h"

namespace kestrel {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const RunError& e) {
        Report(e.Number(), e.Description());
    } catch (const std::exception& e) {
        Report(0, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // The last guard of the event loop: whatever escaped, the engineer is
        // told and the window lives on.
        Report(0, QStringLiteral("Unknown error"));
    }
    return false;
}

void GuardedApplication::Report(int number, const QString& description) {
    ++caught_;
    qCCritical(lcUi, "Error %d escaped an event handler: %s", number, qUtf8Printable(description));
    // Shown after the event, never inside it; errors that follow before the
    // engineer has seen the first are only logged.
    if (noticeQueued_)
        return;
    noticeQueued_ = true;
    QTimer::singleShot(0, this, [this, number, description] {
        ShowNotice(RunError(number, description));
        noticeQueued_ = false;
    });
}

}  // namespace kestrel

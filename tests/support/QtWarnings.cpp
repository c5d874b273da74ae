#include "QtWarnings.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <mutex>
#include <vector>

namespace kestrel::test {

struct ExpectQtWarning::State {
    QRegularExpression pattern;
    int count = 0;
};

namespace {

// Guards of the running test, newest last; the exchange's worker threads
// log too, hence the lock.
std::mutex lock;
std::vector<ExpectQtWarning::State*> guards;
QtMessageHandler previous = nullptr;

// True when a guard takes the message.
bool Expected(const QString& line) {
    const std::lock_guard<std::mutex> hold(lock);
    for (auto it = guards.rbegin(); it != guards.rend(); ++it) {
        if ((*it)->pattern.match(line).hasMatch()) {
            ++(*it)->count;
            return true;
        }
    }
    return false;
}

// The offscreen platform the tests run on says so whenever a window asks
// for something it has no window system for (size hints, raising, grabbing
// the keyboard). That is the platform's limit, not a fault of the code.
bool OffscreenLimit(const QString& message) {
    return QGuiApplication::platformName() == u"offscreen" &&
           message.startsWith(QStringLiteral("This plugin does not support "));
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (previous)
        previous(type, context, message);
    if ((type != QtWarningMsg && type != QtCriticalMsg) || OffscreenLimit(message))
        return;
    const QString category = QString::fromLatin1(context.category ? context.category : "default");
    const QString line = category + QStringLiteral(": ") + message;
    if (!Expected(line))
        ADD_FAILURE() << "Unexpected Qt " << (type == QtWarningMsg ? "warning" : "critical")
                      << " message: " << line.toStdString();
}

}  // namespace

void FailTestsOnQtWarnings() {
    previous = qInstallMessageHandler(Handler);
}

ExpectQtWarning::ExpectQtWarning(const QString& pattern) : state_(new State) {
    state_->pattern = QRegularExpression(pattern);
    EXPECT_TRUE(state_->pattern.isValid()) << pattern.toStdString();
    const std::lock_guard<std::mutex> hold(lock);
    guards.push_back(state_);
}

ExpectQtWarning::~ExpectQtWarning() {
    {
        const std::lock_guard<std::mutex> hold(lock);
        std::erase(guards, state_);
    }
    EXPECT_GT(state_->count, 0) << "The expected Qt warning matching \""
                                << state_->pattern.pattern().toStdString() << "\" did not come.";
    delete state_;
}

int ExpectQtWarning::Count() const {
    const std::lock_guard<std::mutex> hold(lock);
    return state_->count;
}

}  // namespace kestrel::test

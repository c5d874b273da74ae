#include "QtWarnings.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <mutex>
#include <vector>

namespace kestrel::test {

struct ExpectQtWarning::State {
    QRegularExpression pattern;
    QString text;
    int count = 0;
};

namespace {

// Guards of the running test, newest last; the exchange's worker threads
// log too, hence the lock.
std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}
std::vector<ExpectQtWarning::State*>& Guards() {
    static std::vector<ExpectQtWarning::State*> guards;
    return guards;
}
QtMessageHandler& Previous() {
    static QtMessageHandler previous = nullptr;
    return previous;
}

// True when a guard takes the message.
bool Expected(const QString& line) {
    const std::lock_guard<std::mutex> hold(Lock());
    auto& guards = Guards();
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
    if (Previous())
        Previous()(type, context, message);
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
    Previous() = qInstallMessageHandler(Handler);
}

ExpectQtWarning::ExpectQtWarning(const QString& pattern) : state_(new State) {
    state_->pattern = QRegularExpression(pattern);
    state_->text = pattern;
    EXPECT_TRUE(state_->pattern.isValid()) << pattern.toStdString();
    const std::lock_guard<std::mutex> hold(Lock());
    Guards().push_back(state_);
}

ExpectQtWarning::~ExpectQtWarning() {
    int count = 0;
    {
        const std::lock_guard<std::mutex> hold(Lock());
        auto& guards = Guards();
        guards.erase(std::remove(guards.begin(), guards.end(), state_), guards.end());
        count = state_->count;
    }
    EXPECT_GT(count, 0) << "The expected Qt warning matching \"" << state_->text.toStdString()
                        << "\" did not come.";
    delete state_;
}

int ExpectQtWarning::Count() const {
    const std::lock_guard<std::mutex> hold(Lock());
    return state_->count;
}

}  // namespace kestrel::test

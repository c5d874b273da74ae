#include "ScriptedSession.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "AddinLauncher.h"
#include "HostObjects.h"
#include "automation/AutomationContract.h"

namespace kestrel {

namespace {
constexpr int kCallTimeoutMs = 30000;
}  // namespace

ScriptedSession::ScriptedSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow,
                                 QString exchange, QString folder, QObject* parent, FILE* out)
    : QObject(parent),
      launcher_(launcher),
      model_(model),
      hostWindow_(hostWindow),
      exchange_(std::move(exchange)),
      folder_(std::move(folder)),
      out_(out) {
    connect(&model_, &HostModel::message, this, [this](const QString& text) {
        if (!text.isEmpty() && text != lastMessage_) {
            lastMessage_ = text;
            out_ << "  [host message line] " << text << Qt::endl;
        }
    });
    connect(&model_, &HostModel::reportWritten, this,
            [this](const QString& file) { report_ = file; });
    connect(&launcher_, &AddinLauncher::closed, this, [this] {
        if (finished_)
            return;
        ended_ = true;
        emit addinEnded();
        // Before the steps: nothing waits that could notice it.
        if (!running_) {
            Step(QStringLiteral("Open Trunk Copy"), false,
                 QStringLiteral("the add-in ended before it came up"));
            // Not inside the launcher's own signal: closing the host's
            // window shuts the launcher down.
            QTimer::singleShot(0, this, &ScriptedSession::Finish);
        }
    });
}

void ScriptedSession::Start() {
    QDir().mkpath(folder_);
    out_ << "Scripted Trunk Copy session on exchange " << exchange_ << Qt::endl;
    connect(
        &launcher_, &AddinLauncher::opened, this,
        [this] { QTimer::singleShot(500, this, &ScriptedSession::Run); }, Qt::SingleShotConnection);
    launcher_.Open(exchange_);
    QTimer::singleShot(30000, this, [this] {
        if (!running_ && !finished_) {
            Step(QStringLiteral("Open Trunk Copy"), false,
                 QStringLiteral("the add-in did not come up"));
            Finish();
        }
    });
}

void ScriptedSession::Pause(int ms) {
    if (ended_)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    connect(this, &ScriptedSession::addinEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

bool ScriptedSession::Ended(const QString& step) {
    if (!ended_)
        return false;
    Step(step, false, QStringLiteral("the add-in ended unexpectedly"));
    Finish();
    return true;
}

void ScriptedSession::Finish() {
    if (finished_)
        return;
    finished_ = true;
    out_ << (allPassed_ ? "Every step did what it should." : "Some steps failed.") << Qt::endl;
    hostWindow_->close();
    QApplication::exit(allPassed_ ? 0 : 1);
}

bool ScriptedSession::Step(const QString& name, bool ok, const QString& detail) {
    out_ << (ok ? "PASS " : "FAIL ") << name;
    if (!detail.isEmpty())
        out_ << " - " << detail;
    out_ << Qt::endl;
    allPassed_ = allPassed_ && ok;
    return ok;
}

QVariant ScriptedSession::Call(const QString& member, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString(), contract::kSessionPath,
                                                       contract::kSessionInterface, member);
    call.setArguments(args);
    if (ended_)
        return {};
    QDBusPendingCall pending = launcher_.Connection().asyncCall(call, kCallTimeoutMs);
    if (!pending.isFinished()) {
        // Waits in the event loop, not in a polling one: the reply, the
        // add-in's end or the time-out ends the wait.
        QEventLoop loop;
        QDBusPendingCallWatcher watcher(pending);
        connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        connect(this, &ScriptedSession::addinEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(kCallTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!pending.isFinished())
        return {};
    const QDBusMessage reply = pending.reply();
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first();
}

bool ScriptedSession::WaitIdle(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    Pause(150);
    while (!ended_ && waited.elapsed() < timeoutMs) {
        const QVariant busy = Call(QStringLiteral("Busy"));
        if (busy.isValid() && !busy.toBool())
            return true;
        Pause(100);
    }
    return false;
}

void ScriptedSession::Run() {
    if (finished_ || Ended(QStringLiteral("Open Trunk Copy for ") + exchange_))
        return;
    running_ = true;
    Step(QStringLiteral("Open Trunk Copy for ") + exchange_, true);

    Call(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    const bool got = WaitIdle();
    if (Ended(QStringLiteral("Get source trunk 004")))
        return;
    const int items = Call(QStringLiteral("ItemCount")).toInt();
    Step(QStringLiteral("Get source trunk 004"), got && items > 0,
         QStringLiteral("%1 items read").arg(items));

    const QString before = Call(QStringLiteral("ItemValue"), {QStringLiteral("3002")}).toString();
    const QString edited = before == u"2" ? QStringLiteral("3") : QStringLiteral("2");
    const bool chose =
        Call(QStringLiteral("ChooseValue"), {QStringLiteral("3002"), edited}).toBool();
    Step(QStringLiteral("Edit class of service (3002)"), chose,
         QStringLiteral("%1 -> %2").arg(before, edited));

    Call(QStringLiteral("SetDestinations"), {QStringLiteral("5-7")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Copy")});
    const bool copied = WaitIdle();
    if (Ended(QStringLiteral("Copy to destination trunks 5-7")))
        return;
    Step(QStringLiteral("Copy to destination trunks 5-7"), copied);

    Call(QStringLiteral("SetTrunk"), {QStringLiteral("6")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    WaitIdle();
    if (Ended(QStringLiteral("Read destination trunk 006 back")))
        return;
    const QString readBack = Call(QStringLiteral("ItemValue"), {QStringLiteral("3002")}).toString();
    Step(QStringLiteral("Read destination trunk 006 back"), readBack == edited,
         QStringLiteral("3002 = %1").arg(readBack));

    report_.clear();
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Print")});
    QElapsedTimer waited;
    waited.start();
    while (report_.isEmpty() && !ended_ && waited.elapsed() < 15000)
        Pause(100);
    if (Ended(QStringLiteral("Print the report")))
        return;
    const QString reportCopy = QDir(folder_).filePath(QStringLiteral("trunk-report.pdf"));
    QFile::remove(reportCopy);
    const bool printed = !report_.isEmpty() && QFile::copy(report_, reportCopy);
    Step(QStringLiteral("Print the report"), printed, printed ? reportCopy : QString());

    const QString addinShot = QDir(folder_).filePath(QStringLiteral("trunk-copy.png"));
    const bool addinSaved = Call(QStringLiteral("SaveScreenshot"), {addinShot}).toBool();
    if (Ended(QStringLiteral("Pictures of both windows")))
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap screenShot = screen ? screen->grabWindow(0) : QPixmap();
    if (screenShot.isNull() || QGuiApplication::platformName() == u"offscreen") {
        screenShot = hostWindow_->grab();
    }
    const QString hostShot = QDir(folder_).filePath(QStringLiteral("helm32-with-trunk-copy.png"));
    Step(QStringLiteral("Pictures of both windows"), addinSaved && screenShot.save(hostShot),
         hostShot + QStringLiteral(", ") + addinShot);

    Finish();
}

}  // namespace kestrel

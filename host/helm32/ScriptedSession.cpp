#include "ScriptedSession.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
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

void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

ScriptedSession::ScriptedSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow,
                                 QString exchange, QString folder, QObject* parent)
    : QObject(parent),
      launcher_(launcher),
      model_(model),
      hostWindow_(hostWindow),
      exchange_(std::move(exchange)),
      folder_(std::move(folder)),
      out_(stdout) {
    connect(&model_, &HostModel::message, this, [this](const QString& text) {
        if (!text.isEmpty() && text != lastMessage_) {
            lastMessage_ = text;
            out_ << "  [host message line] " << text << Qt::endl;
        }
    });
    connect(&model_, &HostModel::reportWritten, this,
            [this](const QString& file) { report_ = file; });
}

void ScriptedSession::Start() {
    QDir().mkpath(folder_);
    out_ << "Scripted Trunk Copy session on exchange " << exchange_ << Qt::endl;
    connect(
        &launcher_, &AddinLauncher::opened, this,
        [this] { QTimer::singleShot(500, this, &ScriptedSession::Run); }, Qt::SingleShotConnection);
    launcher_.Open(exchange_);
    QTimer::singleShot(30000, this, [this] {
        if (launcher_.OpenCount() == 0 || !launcher_.Connection().isConnected()) {
            Step(QStringLiteral("Open Trunk Copy"), false,
                 QStringLiteral("the add-in did not come up"));
            QApplication::exit(1);
        }
    });
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
    QDBusPendingCall pending = launcher_.Connection().asyncCall(call);
    QElapsedTimer waited;
    waited.start();
    while (!pending.isFinished() && waited.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const QDBusMessage reply = pending.reply();
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first();
}

bool ScriptedSession::WaitIdle(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    Pause(150);
    while (waited.elapsed() < timeoutMs) {
        const QVariant busy = Call(QStringLiteral("Busy"));
        if (busy.isValid() && !busy.toBool())
            return true;
        Pause(100);
    }
    return false;
}

void ScriptedSession::Run() {
    Step(QStringLiteral("Open Trunk Copy for ") + exchange_, true);

    Call(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    const bool got = WaitIdle();
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
    Step(QStringLiteral("Copy to destination trunks 5-7"), WaitIdle());

    Call(QStringLiteral("SetTrunk"), {QStringLiteral("6")});
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    WaitIdle();
    const QString readBack = Call(QStringLiteral("ItemValue"), {QStringLiteral("3002")}).toString();
    Step(QStringLiteral("Read destination trunk 006 back"), readBack == edited,
         QStringLiteral("3002 = %1").arg(readBack));

    report_.clear();
    Call(QStringLiteral("RunCommand"), {QStringLiteral("Print")});
    QElapsedTimer waited;
    waited.start();
    while (report_.isEmpty() && waited.elapsed() < 15000)
        Pause(100);
    const QString reportCopy = QDir(folder_).filePath(QStringLiteral("trunk-report.pdf"));
    QFile::remove(reportCopy);
    const bool printed = !report_.isEmpty() && QFile::copy(report_, reportCopy);
    Step(QStringLiteral("Print the report"), printed, printed ? reportCopy : QString());

    const QString addinShot = QDir(folder_).filePath(QStringLiteral("trunk-copy.png"));
    const bool addinSaved = Call(QStringLiteral("SaveScreenshot"), {addinShot}).toBool();
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap screenShot = screen ? screen->grabWindow(0) : QPixmap();
    if (screenShot.isNull() || QGuiApplication::platformName() == u"offscreen") {
        screenShot = hostWindow_->grab();
    }
    const QString hostShot = QDir(folder_).filePath(QStringLiteral("helm32-with-trunk-copy.png"));
    Step(QStringLiteral("Pictures of both windows"), addinSaved && screenShot.save(hostShot),
         hostShot + QStringLiteral(", ") + addinShot);

    out_ << (allPassed_ ? "Every step did what it should." : "Some steps failed.") << Qt::endl;
    hostWindow_->close();
    QApplication::exit(allPassed_ ? 0 : 1);
}

}  // namespace kestrel

#include "HostProxies.h"

#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <limits>

#include "AutomationContract.h"
#include "platform/AppInfo.h"
#include "platform/Logging.h"
#include "platform/MessageBoxes.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "platform/widgets/UserInputBlocker.h"

namespace kestrel {

namespace {

constexpr int kAutomationError = 440;
constexpr int kRetryIntervalMs = 100;
// A host call waits until the host answers or goes away: the host may be
// asking the engineer something, and only the pending notice tells of it.
constexpr int kNoReplyTimeout = std::numeric_limits<int>::max();

void Notice(const QString& title, const QString& text) {
    if (MessageBoxes* boxes = services().messageBoxes) {
        MessageBoxRequest request;
        request.prompt = text;
        request.flags = mb::kOkOnly | mb::kExclamation;
        request.title = title;
        boxes->Show(request);
    }
}

QString Text(const QDBusMessage& reply) {
    return reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
}

}  // namespace

QDBusMessage CallHost(const QDBusConnection& connection, const QString& path,
                      const QString& interface, const QString& member, const QVariantList& args) {
    // The window takes no clicks or keys while the call waits: they would
    // start a second request inside the first.
    const UserInputBlocker noInput;
    QElapsedTimer busySince;
    busySince.start();
    bool pendingShown = false;
    for (;;) {
        if (!connection.isConnected()) {
            throw RunError(kAutomationError,
                           QStringLiteral("The host programme is not connected."));
        }
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, interface, member);
        call.setArguments(args);
        QDBusPendingCall pending = connection.asyncCall(call, kNoReplyTimeout);
        if (!pending.isFinished()) {
            QEventLoop loop;
            QDBusPendingCallWatcher watcher(pending);
            QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop,
                             &QEventLoop::quit);
            QTimer pendingNotice;
            pendingNotice.setSingleShot(true);
            QObject::connect(&pendingNotice, &QTimer::timeout, [&] {
                if (!pendingShown) {
                    pendingShown = true;
                    Notice(App().OleRequestPendingMsgTitle, App().OleRequestPendingMsgText);
                }
            });
            pendingNotice.start(App().OleRequestPendingTimeout);
            // A lost connection ends the wait as well.
            QTimer linkWatch;
            QObject::connect(&linkWatch, &QTimer::timeout, [&] {
                if (!connection.isConnected())
                    loop.quit();
            });
            linkWatch.start(500);
            if (!pending.isFinished())
                loop.exec();
        }
        if (!pending.isFinished()) {
            throw RunError(kAutomationError, QStringLiteral("The host programme went away."));
        }
        const QDBusMessage reply = pending.reply();
        if (reply.type() != QDBusMessage::ErrorMessage)
            return reply;
        qCDebug(lcAutomation, "%s.%s at %s answered %s: %s", qUtf8Printable(interface),
                qUtf8Printable(member), qUtf8Printable(path), qUtf8Printable(reply.errorName()),
                qUtf8Printable(reply.errorMessage()));
        if (reply.errorName() == contract::kBusyError) {
            if (busySince.elapsed() < App().OleServerBusyTimeout) {
                QEventLoop wait;
                QTimer::singleShot(kRetryIntervalMs, &wait, &QEventLoop::quit);
                wait.exec();
                continue;
            }
            Notice(App().OleServerBusyMsgTitle, App().OleServerBusyMsgText);
        }
        throw RunError(kAutomationError,
                       reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
    }
}

DBusLink::DBusLink(QDBusConnection connection, QString path, QString callbackPath)
    : connection_(std::move(connection)),
      path_(std::move(path)),
      callbackPath_(std::move(callbackPath)) {}

QString DBusLink::Login(const QString& pbxName, CallBackTarget*) {
    return Text(CallHost(connection_, path_, contract::kLinkInterface, QStringLiteral("Login"),
                         {pbxName, QVariant::fromValue(QDBusObjectPath(callbackPath_))}));
}

QString DBusLink::SendRequest(cListRequest& request) {
    return Text(CallHost(connection_, path_, contract::kLinkInterface,
                         QStringLiteral("SendRequest"), {QVariant::fromValue(request)}));
}

void DBusLink::LogOut(const QString& pbxName, const QString& loginId) {
    CallHost(connection_, path_, contract::kLinkInterface, QStringLiteral("LogOut"),
             {pbxName, loginId});
}

bool DBusLink::CancelRequest(const QString& requestId) {
    const QDBusMessage reply = CallHost(connection_, path_, contract::kLinkInterface,
                                        QStringLiteral("CancelRequest"), {requestId});
    return !reply.arguments().isEmpty() && reply.arguments().first().toBool();
}

DBusProcessor::DBusProcessor(QDBusConnection connection, QString path)
    : connection_(std::move(connection)), path_(std::move(path)) {}

QString DBusProcessor::GetMPVersion(const QString& pbxName) {
    return Text(CallHost(connection_, path_, contract::kProcessorInterface,
                         QStringLiteral("GetMPVersion"), {pbxName}));
}

DBusHost::DBusHost(const QDBusConnection& connection, const QString& path, QString callbackPath)
    : connection_(connection),
      path_(path),
      link_(connection, path + contract::kLinkPathSuffix, std::move(callbackPath)),
      processor_(connection, path + contract::kProcessorPathSuffix) {}

QDBusMessage DBusHost::Call(const QString& member, const QVariantList& args) {
    return CallHost(connection_, path_, contract::kParentInterface, member, args);
}

void DBusHost::ShowMessage(const QString& text) {
    Call(QStringLiteral("ShowMessage"), {text});
}

void DBusHost::ShowCode(std::int32_t code) {
    Call(QStringLiteral("ShowCode"), {code});
}

void DBusHost::DisplayHelp(const QString& helpFile) {
    Call(QStringLiteral("DisplayHelp"), {helpFile});
}

void DBusHost::UnloadChild(std::int32_t id) {
    Call(QStringLiteral("UnloadChild"), {QVariant::fromValue(static_cast<qint16>(id))});
}

void DBusHost::TurnOnFlow() {
    Call(QStringLiteral("TurnOnFlow"));
}

void DBusHost::TurnOffFlow() {
    Call(QStringLiteral("TurnOffFlow"));
}

void DBusHost::REGComData(const QString& addin, const QString& key, const QString& value) {
    Call(QStringLiteral("REGComData"), {addin, key, value});
}

QString DBusHost::GetComData(const QString& addin, const QString& key) {
    return Text(Call(QStringLiteral("GetComData"), {addin, key}));
}

QString DBusHost::PrintReport(const QString& databasePath, const QString& templatePath,
                              const QString& selection, const QString& reserved,
                              std::int32_t options) {
    return Text(Call(QStringLiteral("PrintReport"),
                     {databasePath, templatePath, selection, reserved, options}));
}

void DBusHost::AddItem(const QString& line) {
    Call(QStringLiteral("AddItem"), {line});
}

QString DBusHost::LastReportFile() {
    return Text(Call(QStringLiteral("LastReportFile")));
}

}  // namespace kestrel

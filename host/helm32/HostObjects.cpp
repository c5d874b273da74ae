#include "HostObjects.h"

#include <QDBusPendingCall>
#include <QSettings>

#include "Helm32Log.h"
#include "HostReport.h"
#include "exchange/SimulatedLink.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {
QString SettingsKey(const QString& addin, const QString& key) {
    return QStringLiteral("AddinData/") + addin + u'/' + key;
}
}  // namespace

void HostModel::SetComData(const QString& addin, const QString& key, const QString& value) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Helm32"));
    settings.setValue(SettingsKey(addin, key), value);
}

std::optional<QString> HostModel::ComData(const QString& addin, const QString& key) const {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Helm32"));
    const QVariant value = settings.value(SettingsKey(addin, key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void ParentAdaptor::ShowMessage(const QString& text) {
    emit model_.message(text);
}

void ParentAdaptor::ShowCode(int code) {
    emit model_.code(code);
}

void ParentAdaptor::DisplayHelp(const QString& file) {
    emit model_.helpRequested(file);
}

void ParentAdaptor::UnloadChild(qint16 id) {
    // The launcher learns first, so whoever watches the model sees the
    // add-in as ending already.
    emit childUnloaded(id);
    emit model_.childUnloaded(id);
}

void ParentAdaptor::TurnOnFlow() {
    emit model_.flow(true);
}

void ParentAdaptor::TurnOffFlow() {
    emit model_.flow(false);
}

void ParentAdaptor::REGComData(const QString& addin, const QString& key, const QString& value) {
    model_.SetComData(addin, key, value);
}

QString ParentAdaptor::GetComData(const QString& addin, const QString& key) {
    const std::optional<QString> value = model_.ComData(addin, key);
    if (!value) {
        sendErrorReply(contract::kFailedError, QStringLiteral("Nothing stored for %1").arg(key));
        return {};
    }
    return *value;
}

QString ParentAdaptor::PrintReport(const QString& databasePath, const QString& templatePath,
                                   const QString& selection, const QString&, int) {
    QString written;
    QString failure =
        WriteTrunkReport(databasePath, templatePath, selection, model_.ReportsFolder(), &written);
    if (failure.isEmpty()) {
        lastReport_ = written;
        emit model_.reportWritten(written);
    }
    return failure;
}

QString ParentAdaptor::LastReportFile() {
    return lastReport_;
}

void ParentAdaptor::AddItem(const QString& line) {
    emit model_.itemAdded(line);
}

void DBusCallBack::Notify(const QString& member, const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString(), path_, contract::kWindowInterface, member);
    call.setArguments(args);
    connection_.asyncCall(call);  // the add-in returns at once; no reply is needed
}

void DBusCallBack::CallBack(cListRequest& response) {
    Notify(QStringLiteral("CallBack"), {QVariant::fromValue(response)});
}

void DBusCallBack::RequestProgress(const QString& requestId, const QString& loginId, int done,
                                   int total) {
    Notify(QStringLiteral("RequestProgress"), {requestId, loginId, done, total});
}

void DBusCallBack::RequestEnded(const QString& requestId, const QString& loginId, int errCode) {
    Notify(QStringLiteral("RequestEnded"), {requestId, loginId, errCode});
}

LinkAdaptor::LinkAdaptor(SimulatedLink& link) : link_(link) {
    connect(&link_, &SimulatedLink::requestProgress, this,
            [this](const QString& requestId, const QString& loginId, int done, int total) {
                if (const auto target = callbacks_.value(loginId))
                    target->RequestProgress(requestId, loginId, done, total);
            });
    connect(&link_, &SimulatedLink::requestEnded, this,
            [this](const QString& requestId, const QString& loginId, int errCode) {
                requests_.remove(requestId);
                if (const auto target = callbacks_.value(loginId))
                    target->RequestEnded(requestId, loginId, errCode);
            });
}

LinkAdaptor::~LinkAdaptor() {
    for (auto it = callbacks_.cbegin(); it != callbacks_.cend(); ++it) {
        link_.CancelLogin(it.key());
        link_.LogOut(QString(), it.key());
    }
}

QString LinkAdaptor::Login(const QString& pbx, const QDBusObjectPath& callback) {
    auto target = std::make_shared<DBusCallBack>(connection(), callback.path());
    QString id = link_.Login(pbx, target.get());
    if (id.startsWith(QStringLiteral("LOGIN")))
        callbacks_.insert(id, target);
    return id;
}

QString LinkAdaptor::SendRequest(const kestrel::cListRequest& request) {
    cListRequest copy = request;
    const QString loginId = copy.LoginID();
    QString reply = link_.SendRequest(copy);
    if (callbacks_.contains(loginId) && reply.startsWith(QStringLiteral("REQ")))
        requests_.insert(reply, loginId);
    return reply;
}

bool LinkAdaptor::CancelRequest(const QString& requestId) {
    if (!requests_.contains(requestId))
        return false;
    return link_.CancelRequest(requestId);
}

void LinkAdaptor::LogOut(const QString& pbx, const QString& loginId) {
    link_.LogOut(pbx, loginId);
    callbacks_.remove(loginId);
}

QString ProcessorAdaptor::GetMPVersion(const QString& pbx) {
    try {
        return link_.GetMPVersion(pbx);
    } catch (const RunError& e) {
        // No version: the add-in keeps the larger trunk range.
        qCWarning(lcHelm32, "No processor version for %s: %s [%d]", qUtf8Printable(pbx),
                  qUtf8Printable(e.Description()), e.Number());
        return {};
    }
}

}  // namespace kestrel

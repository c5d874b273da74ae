#include "TeamServer.h"

#include <QSettings>

namespace kestrel {

namespace {
QSettings ToolSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrel"));
}
}  // namespace

QString TeamServer::Name() const {
    if (!service.isEmpty())
        return QStringLiteral("service %1").arg(service);
    const QString who = user.isEmpty() ? QString() : user + u'@';
    return QStringLiteral("%1%2:%3/%4").arg(who, host).arg(port).arg(database);
}

TeamServer TeamServerSetting() {
    QSettings settings = ToolSettings();
    settings.beginGroup(QStringLiteral("TeamJournal"));
    TeamServer server;
    server.host = settings.value(QStringLiteral("Host")).toString().trimmed();
    bool number = false;
    const int port = settings.value(QStringLiteral("Port")).toInt(&number);
    if (number && port > 0 && port < 65536)
        server.port = port;
    const QString database = settings.value(QStringLiteral("Database")).toString().trimmed();
    if (!database.isEmpty())
        server.database = database;
    server.user = settings.value(QStringLiteral("User")).toString().trimmed();
    server.service = settings.value(QStringLiteral("Service")).toString().trimmed();
    server.requireTls =
        settings.value(QStringLiteral("Tls")).toString().trimmed().toLower() == u"require";
    return server;
}

void SetTeamServerSetting(const TeamServer& server) {
    QSettings settings = ToolSettings();
    settings.beginGroup(QStringLiteral("TeamJournal"));
    settings.setValue(QStringLiteral("Host"), server.host);
    settings.setValue(QStringLiteral("Port"), server.port);
    settings.setValue(QStringLiteral("Database"), server.database);
    settings.setValue(QStringLiteral("User"), server.user);
    settings.setValue(QStringLiteral("Service"), server.service);
    settings.setValue(QStringLiteral("Tls"),
                      server.requireTls ? QStringLiteral("require") : QStringLiteral("prefer"));
}

}  // namespace kestrel

#pragma once

#include <QString>

namespace kestrel {

// The team's journal server as the settings name it. The password is never
// kept here: libpq takes it from the PostgreSQL password file (~/.pgpass or
// PGPASSFILE) or the service file.
struct TeamServer {
    QString host;  // a name, an address, or a socket folder; empty: no server
    int port = 5432;
    QString database = QStringLiteral("kestrel");
    QString user;             // empty: the login
    QString service;          // a service of the service file, instead of the fields above
    bool requireTls = false;  // otherwise TLS is used when the server offers it

    bool IsSet() const { return !host.isEmpty() || !service.isEmpty(); }
    // "user@host:port/database" (or "service NAME"), for messages.
    QString Name() const;
};

// Group "TeamJournal" of the tool's settings: Host, Port, Database, User,
// Service, Tls ("prefer" or "require").
TeamServer TeamServerSetting();
void SetTeamServerSetting(const TeamServer& server);

}  // namespace kestrel

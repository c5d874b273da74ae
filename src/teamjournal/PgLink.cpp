#include "PgLink.h"

#include <libpq-fe.h>

#include <QList>

namespace kestrel {

namespace {

QString Trimmed(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// libpq says why a connection failed only in words; a refused login is
// also known by whether a password was asked for or used.
TeamError ConnectError(pg_conn* conn, bool requireTls) {
    const QString detail = Trimmed(PQerrorMessage(conn));
    if (PQconnectionNeedsPassword(conn) || PQconnectionUsedPassword(conn) ||
        detail.contains(QStringLiteral("password"), Qt::CaseInsensitive)) {
        return {TeamProblem::LoginRefused, detail};
    }
    if (requireTls && detail.contains(QStringLiteral("SSL"))) {
        return {TeamProblem::TlsRequired, detail};
    }
    return {TeamProblem::Unreachable, detail};
}

std::unique_ptr<PgLink> Finish(pg_conn* conn, bool requireTls, TeamError* error,
                               std::unique_ptr<PgLink> (*make)(pg_conn*)) {
    if (PQstatus(conn) != CONNECTION_OK) {
        if (error)
            *error = ConnectError(conn, requireTls);
        PQfinish(conn);
        return nullptr;
    }
    PQsetClientEncoding(conn, "UTF8");
    return make(conn);
}

}  // namespace

PgRows::PgRows(pg_result* result) : result_(result) {}

PgRows::~PgRows() {
    PQclear(result_);
}

PgRows::PgRows(PgRows&& other) noexcept : result_(other.result_) {
    other.result_ = nullptr;
}

int PgRows::Count() const {
    return PQntuples(result_);
}

QString PgRows::Text(int row, int column) const {
    return QString::fromUtf8(PQgetvalue(result_, row, column), PQgetlength(result_, row, column));
}

bool PgRows::IsNull(int row, int column) const {
    return PQgetisnull(result_, row, column) != 0;
}

int PgRows::Affected() const {
    return QByteArray(PQcmdTuples(result_)).toInt();
}

PgLink::PgLink(pg_conn* conn) : conn_(conn) {}

PgLink::~PgLink() {
    PQfinish(conn_);
}

std::unique_ptr<PgLink> PgLink::Connect(const TeamServer& server, TeamError* error) {
    QList<QByteArray> keys, values;
    auto add = [&](const char* key, const QString& value) {
        if (!value.isEmpty()) {
            keys << key;
            values << value.toUtf8();
        }
    };
    add("service", server.service);
    add("host", server.host);
    if (server.service.isEmpty())
        add("port", QString::number(server.port));
    add("dbname", server.database);
    add("user", server.user);
    add("sslmode", server.requireTls ? QStringLiteral("require") : QStringLiteral("prefer"));
    // A server away must not hold the engineer for long, nor a link that
    // went quiet hold the sender for ever.
    add("connect_timeout", QStringLiteral("5"));
    add("keepalives_idle", QStringLiteral("5"));
    add("keepalives_interval", QStringLiteral("2"));
    add("keepalives_count", QStringLiteral("3"));
    add("tcp_user_timeout", QStringLiteral("15000"));
    add("application_name", QStringLiteral("kestrel"));
    QList<const char*> k, v;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        k << keys.at(i).constData();
        v << values.at(i).constData();
    }
    k << nullptr;
    v << nullptr;
    return Finish(PQconnectdbParams(k.constData(), v.constData(), 0), server.requireTls, error,
                  [](pg_conn* c) { return std::unique_ptr<PgLink>(new PgLink(c)); });
}

std::unique_ptr<PgLink> PgLink::Connect(const QString& conninfo, TeamError* error) {
    return Finish(PQconnectdb(conninfo.toUtf8().constData()), false, error,
                  [](pg_conn* c) { return std::unique_ptr<PgLink>(new PgLink(c)); });
}

void PgLink::Fail(pg_result* result) const {
    const QString detail = Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_));
    PQclear(result);
    throw TeamError{Broken() ? TeamProblem::Unreachable : TeamProblem::Refused, detail};
}

PgRows PgLink::Run(const QString& sql, const QVariantList& values) {
    QList<QByteArray> texts;
    QList<const char*> params;
    for (const QVariant& value : values) {
        texts << (value.isNull() ? QByteArray() : value.toString().toUtf8());
        params << (value.isNull() ? nullptr : texts.last().constData());
    }
    pg_result* result =
        PQexecParams(conn_, sql.toUtf8().constData(), static_cast<int>(params.size()), nullptr,
                     params.constData(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        Fail(result);
    return PgRows(result);
}

void PgLink::RunScript(const QString& sql) {
    pg_result* result = PQexec(conn_, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        Fail(result);
    PQclear(result);
}

void PgLink::CopyIn(const QString& sql, const QByteArray& data) {
    pg_result* start = PQexec(conn_, sql.toUtf8().constData());
    if (PQresultStatus(start) != PGRES_COPY_IN)
        Fail(start);
    PQclear(start);
    if (PQputCopyData(conn_, data.constData(), static_cast<int>(data.size())) != 1 ||
        PQputCopyEnd(conn_, nullptr) != 1) {
        Fail(nullptr);
    }
    pg_result* end = PQgetResult(conn_);
    const bool ok = PQresultStatus(end) == PGRES_COMMAND_OK;
    if (!ok)
        Fail(end);
    PQclear(end);
    // The end of the COPY's results.
    while (pg_result* more = PQgetResult(conn_))
        PQclear(more);
}

void PgLink::Rollback() {
    if (!Broken())
        PQclear(PQexec(conn_, "ROLLBACK"));
}

bool PgLink::Broken() const {
    return PQstatus(conn_) != CONNECTION_OK;
}

int PgLink::Socket() const {
    return PQsocket(conn_);
}

bool PgLink::TakeNotifications() {
    bool any = false;
    if (PQconsumeInput(conn_) == 0)
        return false;
    while (PGnotify* notify = PQnotifies(conn_)) {
        any = true;
        PQfreemem(notify);
    }
    return any;
}

void AppendCopyField(QByteArray& out, const QString& text) {
    for (char c : text.toUtf8()) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace kestrel

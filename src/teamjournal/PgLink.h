#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <memory>

#include "TeamServer.h"

struct pg_conn;
struct pg_result;

namespace kestrel {

// Why the team's server could not be used; the engineer's text is made from
// it by the window (TeamProblemText).
enum class TeamProblem {
    None,
    Unreachable,      // no server answers at the address, or the link broke
    LoginRefused,     // a wrong password, or none in the password file
    TlsRequired,      // the settings require TLS and the server does not offer it
    SchemaOutOfDate,  // the server's schema is older, and this login may not migrate it
    SchemaNewer,      // written by a newer Kestrel
    Refused           // the server refused a statement
};

// A statement the server refused, or a link that broke.
struct TeamError {
    TeamProblem problem;
    QString detail;  // the server's or libpq's own words
};

// The rows of one statement's answer, as text.
class PgRows {
public:
    explicit PgRows(pg_result* result);
    ~PgRows();
    PgRows(PgRows&& other) noexcept;
    PgRows(const PgRows&) = delete;
    PgRows& operator=(const PgRows&) = delete;
    PgRows& operator=(PgRows&&) = delete;

    int Count() const;
    QString Text(int row, int column) const;
    bool IsNull(int row, int column) const;
    // The rows an INSERT, UPDATE or DELETE touched.
    int Affected() const;

private:
    pg_result* result_;
};

// One connection to the team's server through libpq. Every failure raises
// TeamError.
class PgLink {
public:
    // Connects as the settings say, or by a libpq connection string (the
    // prepare command's). nullptr with `error` set when it cannot.
    static std::unique_ptr<PgLink> Connect(const TeamServer& server, TeamError* error);
    static std::unique_ptr<PgLink> Connect(const QString& conninfo, TeamError* error);
    ~PgLink();
    PgLink(const PgLink&) = delete;
    PgLink& operator=(const PgLink&) = delete;

    // One statement with $1, $2, ... taken from `values` as text (a null
    // QVariant is SQL NULL).
    PgRows Run(const QString& sql, const QVariantList& values = {});
    // COPY ... FROM STDIN with `data` in COPY's text format.
    void CopyIn(const QString& sql, const QByteArray& data);
    // A statement list without values (schema, BEGIN, COMMIT).
    void RunScript(const QString& sql);
    void Rollback();
    bool Broken() const;
    int Socket() const;
    // Takes what the server sent unasked; true when a notification came.
    bool TakeNotifications();
    pg_conn* Handle() const { return conn_; }

private:
    explicit PgLink(pg_conn* conn);
    [[noreturn]] void Fail(pg_result* result) const;

    pg_conn* conn_;
};

// Escapes a field for COPY's text format.
void AppendCopyField(QByteArray& out, const QString& text);

}  // namespace kestrel

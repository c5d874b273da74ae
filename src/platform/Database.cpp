#include "Database.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "JetSql.h"
#include "Recordset.h"
#include "RunError.h"
#include "Statement.h"

namespace kestrel {

namespace {

QString Captured(const QString& message, const QString& pattern) {
    const QRegularExpression re(pattern);
    const auto match = re.match(message);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Text compared without regard to case, as the desktop engine compares
// keys. ASCII texts are compared here; anything else by Unicode case folding,
// which orders ASCII the same way, so the order stays consistent.
int CompareNoCase(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    const int common = std::min(lengthA, lengthB);
    for (int i = 0; i < common; ++i) {
        unsigned char cx = x[i];
        unsigned char cy = y[i];
        if ((cx | cy) & 0x80) {
            return CompareTextNoCase(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                                     QString::fromUtf8(static_cast<const char*>(b), lengthB));
        }
        if (cx >= 'A' && cx <= 'Z')
            cx = static_cast<unsigned char>(cx + ('a' - 'A'));
        if (cy >= 'A' && cy <= 'Z')
            cy = static_cast<unsigned char>(cy + ('a' - 'A'));
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    if (lengthA == lengthB)
        return 0;
    return lengthA < lengthB ? -1 : 1;
}

}  // namespace

Database::Database(sqlite3* db, QString path, bool readOnly)
    : db_(db), path_(std::move(path)), readOnly_(readOnly) {}

Database::~Database() {
    sqlite3_close_v2(db_);
}

std::unique_ptr<Database> Database::Open(const QString& path, bool readOnly) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        throw RunError(err::kCouldNotFindFile,
                       QStringLiteral("Could not find file '%1'.").arg(path));
    }
    sqlite3* handle = nullptr;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(handle);
        throw RunError(err::kCannotOpenFile,
                       QStringLiteral("Cannot open the file '%1'. It may be in use or you may "
                                      "lack permission to read it.")
                           .arg(path));
    }
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    sqlite3_create_collation_v2(handle, kNoCaseCollation, SQLITE_UTF8, nullptr, CompareNoCase,
                                nullptr);
    std::unique_ptr<Database> db(new Database(handle, path, readOnly));
    // SQLite opens lazily: read the schema now so a file that is not a
    // database fails here, where the caller expects open errors. A file held
    // exclusively by another instance is a database all the same; what we
    // do with it next reports the lock.
    sqlite3_busy_timeout(handle, 0);
    try {
        db->Execute(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const RunError& e) {
        if (e.Number() != err::kCouldNotLockTable)
            throw;
    }
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    return db;
}

void Database::Fail(int code, const QString& context) const {
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    const int primary = code & 0xff;
    QString table;
    switch (primary) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw RunError(err::kCouldNotLockTable,
                           QStringLiteral("Couldn't lock '%1'; currently in use by another user.")
                               .arg(context.isEmpty() ? QFileInfo(path_).fileName() : context));
        case SQLITE_READONLY:
            throw RunError(err::kReadOnly,
                           QStringLiteral("Cannot update. Database or object is read-only."));
        case SQLITE_CONSTRAINT:
            if (code == SQLITE_CONSTRAINT_NOTNULL) {
                throw RunError(
                    err::kFieldCannotBeNull,
                    QStringLiteral("A field cannot contain a Null value (%1).").arg(message));
            }
            throw RunError(err::kDuplicateValue,
                           QStringLiteral("The changes were not successful because they would "
                                          "create duplicate values (%1).")
                               .arg(message));
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            throw RunError(err::kUnrecognizedFormat,
                           QStringLiteral("Unrecognized database format '%1'.").arg(path_));
        case SQLITE_FULL:
            throw RunError(err::kDiskFull, QStringLiteral("Disk full"));
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            throw RunError(err::kDiskOrNetwork, QStringLiteral("Disk or network error."));
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw RunError(err::kPermissionDenied, QStringLiteral("Permission denied"));
        default:
            break;
    }
    table = Captured(message, QStringLiteral("no such table: (\\S+)"));
    if (!table.isEmpty()) {
        throw RunError(err::kTableNotFound,
                       QStringLiteral("The database engine cannot find the input table or query "
                                      "'%1'. Make sure it exists and that its name is spelled "
                                      "correctly.")
                           .arg(table));
    }
    const QString column = Captured(message, QStringLiteral("no such column: (\\S+)"));
    if (!column.isEmpty()) {
        throw RunError(
            err::kTooFewParameters,
            QStringLiteral("Too few parameters. Expected 1 (unknown name '%1').").arg(column));
    }
    if (message.contains(QStringLiteral("syntax error")) ||
        message.contains(QStringLiteral("incomplete input"))) {
        throw RunError(err::kSyntaxError,
                       QStringLiteral("Syntax error in query (%1).").arg(message));
    }
    throw RunError(err::kReserved, QStringLiteral("Database error %1: %2").arg(code).arg(message));
}

int Database::Execute(const QString& sql, const QVariantList& params) {
    Statement stmt(*this, WithCaseInsensitiveText(TranslateJetSql(sql), &params));
    stmt.BindAll(params);
    return stmt.Run();
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& sql, RecordsetType type,
                                                   int options, const QVariantList& params) {
    return std::unique_ptr<Recordset>(new Recordset(*this, sql, type, options, params));
}

Statement Database::Prepare(const QString& sql) {
    return Statement(*this, WithCaseInsensitiveText(TranslateJetSql(sql)));
}

void Database::BeginTrans() {
    Execute(QStringLiteral("BEGIN"));
}

void Database::CommitTrans() {
    Execute(QStringLiteral("COMMIT"));
}

void Database::Rollback() {
    if (InTransaction()) {
        Execute(QStringLiteral("ROLLBACK"));
    }
}

bool Database::InTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

}  // namespace kestrel

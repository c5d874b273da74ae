#pragma once

#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;

namespace kestrel {

class Recordset;
class Statement;

// How a result set behaves, numbered as the desktop engine numbers them.
enum class RecordsetType { Table = 1, Dynaset = 2, Snapshot = 4, ForwardOnly = 8 };

// Open options of a result set.
namespace rs {
constexpr int kDenyWrite = 1;
constexpr int kDenyRead = 2;
constexpr int kReadOnly = 4;
}  // namespace rs

// One open database file. Every failure raises RunError with a number the
// callers know (3024 missing file, 3343 not a database, 3078 no table, ...).
// Result sets and statements borrow the connection: close them first.
class Database {
public:
    // Normal statements wait this long for another instance's short writes.
    static constexpr int kBusyTimeoutMs = 2000;

    // Opens an existing file; never creates one.
    static std::unique_ptr<Database> Open(const QString& path, bool readOnly);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& Name() const { return path_; }
    bool IsReadOnly() const { return readOnly_; }

    // Runs one statement (Jet forms accepted) with '?' values bound in
    // order; returns the number of rows it changed.
    int Execute(const QString& sql, const QVariantList& params = {});

    // Opens a result set. kDenyRead together with kDenyWrite holds the whole
    // file exclusively until the set is closed, and fails at once (3262)
    // when another connection holds it.
    std::unique_ptr<Recordset> OpenRecordset(const QString& sql,
                                             RecordsetType type = RecordsetType::Dynaset,
                                             int options = 0, const QVariantList& params = {});

    // A prepared statement for statements run many times with new values.
    Statement Prepare(const QString& sql);

    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool InTransaction() const;

    sqlite3* Handle() const { return db_; }

    // Raises the RunError that matches the connection's last failure.
    [[noreturn]] void Fail(int code, const QString& context = {}) const;

private:
    Database(sqlite3* db, QString path, bool readOnly);

    sqlite3* db_;
    QString path_;
    bool readOnly_;
};

}  // namespace kestrel

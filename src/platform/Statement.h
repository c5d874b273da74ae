#pragma once

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace kestrel {

class Database;

// A prepared statement of one Database, reusable with new bound values.
// Text is bound as UTF-8, so quotes and non-ASCII reach the file intact.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Whether Bind gives this value to SQLite as text (not as a number, a
    // blob or Null): text comparisons then apply to it.
    static bool BindsAsText(const QVariant& value);

    // Binds values to the '?' places in order (1-based in SQLite terms).
    void BindAll(const QVariantList& values);
    void Bind(int position, const QVariant& value);

    // Steps once; true while a row is available.
    bool Step();
    // Steps to the end, then resets for the next run; returns rows changed.
    int Run();
    void Reset();

    int ColumnCount() const;
    QString ColumnName(int column) const;
    QString ColumnTable(int column) const;
    QVariant Column(int column) const;

private:
    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace kestrel

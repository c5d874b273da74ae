#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "Database.h"

namespace kestrel {

class Statement;

// The rows of one query, with a current row. Snapshot and dynaset sets read
// all rows at open, so RecordCount is exact; a forward-only set reads row by
// row and counts what it has read. Only a dynaset over one table can change
// rows (Edit, SetField, Update). Null fields come back as a null
// QVariant, distinct from the empty text.
class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    RecordsetType Type() const { return type_; }
    bool Eof() const;
    long RecordCount() const;
    bool Updatable() const { return updatable_; }

    void MoveNext();

    int FieldCount() const { return static_cast<int>(names_.size()); }
    QString FieldName(int index) const;
    // Raises 3021 without a current row and 3265 for an unknown name.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;

    void Edit();
    void SetField(const QString& name, const QVariant& value);
    void Update();

    // Releases the statement and, for an exclusive set, the file lock.
    void Close();

private:
    friend class Database;
    Recordset(Database& db, const QString& sql, RecordsetType type, int options,
              const QVariantList& params);

    enum class EditMode { None, Editing };

    int FieldIndex(const QString& name) const;
    void RequireCurrent() const;
    void RequireUpdatable() const;
    void ReadColumns(Statement& stmt, bool withRowId);
    void FetchForward();

    Database* db_;
    RecordsetType type_;
    bool updatable_ = false;
    bool holdsLock_ = false;
    bool closed_ = false;
    QString table_;
    QStringList names_;
    std::vector<QVariantList> rows_;
    std::vector<qint64> rowIds_;
    qsizetype pos_ = 0;

    // Forward-only reading.
    std::unique_ptr<Statement> stream_;
    QVariantList current_;
    bool streamEof_ = false;
    long streamCount_ = 0;

    EditMode mode_ = EditMode::None;
    QVariantList buffer_;
    std::vector<bool> dirty_;
};

}  // namespace kestrel

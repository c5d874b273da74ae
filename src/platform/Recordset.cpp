#include "Recordset.h"

#include <sqlite3.h>

#include <QRegularExpression>

#include "JetSql.h"
#include "Logging.h"
#include "RunError.h"
#include "Statement.h"

namespace kestrel {

namespace {

const QString kRowIdAlias = QStringLiteral("kestrel_rowid_");

[[noreturn]] void NoCurrentRecord() {
    throw RunError(err::kNoCurrentRecord, QStringLiteral("No current record."));
}

// Puts the row id in front of the columns of a plain one-table SELECT so the
// rows can be found again for Edit.
QString WithRowId(const QString& sql) {
    static const QRegularExpression select(QStringLiteral("^\\s*SELECT\\s+(?!DISTINCT\\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto match = select.match(sql);
    if (!match.hasMatch())
        return {};
    return QStringLiteral("SELECT _rowid_ AS ") + kRowIdAlias + QStringLiteral(", ") +
           sql.mid(match.capturedEnd());
}

}  // namespace

Recordset::Recordset(Database& db, const QString& sql, RecordsetType type, int options,
                     const QVariantList& params)
    : db_(&db), type_(type) {
    const QString translated = WithCaseInsensitiveText(TranslateJetSql(sql), &params);
    const bool exclusive =
        (options & (rs::kDenyRead | rs::kDenyWrite)) == (rs::kDenyRead | rs::kDenyWrite);
    if (exclusive) {
        // No waiting: an instance that finds the file held fails at once.
        sqlite3_busy_timeout(db.Handle(), 0);
        const int rc = sqlite3_exec(db.Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db.Handle(), Database::kBusyTimeoutMs);
        if (rc != SQLITE_OK) {
            db.Fail(rc);
        }
        holdsLock_ = true;
    }
    try {
        const bool wantUpdates =
            type == RecordsetType::Dynaset && !db.IsReadOnly() && (options & rs::kReadOnly) == 0;
        std::unique_ptr<Statement> stmt;
        bool withRowId = false;
        if (wantUpdates) {
            const QString rowIdSql = WithRowId(translated);
            if (!rowIdSql.isEmpty()) {
                try {
                    stmt = std::make_unique<Statement>(db, rowIdSql);
                    withRowId = true;
                } catch (const RunError& e) {
                    stmt.reset();  // joins and compound queries stay read-only
                    qCDebug(lcDb, "Read-only recordset: %s", qUtf8Printable(e.Description()));
                }
            }
        }
        if (!stmt) {
            stmt = std::make_unique<Statement>(db, translated);
        }
        stmt->BindAll(params);
        ReadColumns(*stmt, withRowId);
        if (type == RecordsetType::ForwardOnly) {
            stream_ = std::move(stmt);
            FetchForward();
            return;
        }
        const int first = withRowId ? 1 : 0;
        while (stmt->Step()) {
            QVariantList row;
            row.reserve(names_.size());
            for (int c = first; c < stmt->ColumnCount(); ++c) {
                row.append(stmt->Column(c));
            }
            rows_.push_back(std::move(row));
            if (withRowId)
                rowIds_.push_back(stmt->Column(0).toLongLong());
        }
    } catch (...) {
        Close();
        throw;
    }
}

Recordset::~Recordset() {
    Close();
}

void Recordset::ReadColumns(Statement& stmt, bool withRowId) {
    const int first = withRowId ? 1 : 0;
    for (int c = first; c < stmt.ColumnCount(); ++c) {
        names_.append(stmt.ColumnName(c));
    }
    if (!withRowId || names_.isEmpty())
        return;
    table_ = stmt.ColumnTable(1);
    updatable_ = !table_.isEmpty();
    for (int c = 1; c < stmt.ColumnCount() && updatable_; ++c) {
        updatable_ = stmt.ColumnTable(c) == table_;
    }
}

void Recordset::FetchForward() {
    current_.clear();
    if (stream_->Step()) {
        for (int c = 0; c < stream_->ColumnCount(); ++c) {
            current_.append(stream_->Column(c));
        }
        ++streamCount_;
    } else {
        streamEof_ = true;
    }
}

void Recordset::Close() {
    if (closed_)
        return;
    closed_ = true;
    stream_.reset();
    if (holdsLock_) {
        holdsLock_ = false;
        sqlite3_exec(db_->Handle(), "COMMIT", nullptr, nullptr, nullptr);
        if (db_->InTransaction()) {
            sqlite3_exec(db_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
}

bool Recordset::Eof() const {
    if (type_ == RecordsetType::ForwardOnly)
        return streamEof_;
    return pos_ >= static_cast<qsizetype>(rows_.size());
}

long Recordset::RecordCount() const {
    if (type_ == RecordsetType::ForwardOnly)
        return streamCount_;
    return static_cast<long>(rows_.size());
}

void Recordset::MoveNext() {
    if (Eof())
        NoCurrentRecord();
    mode_ = EditMode::None;
    if (type_ == RecordsetType::ForwardOnly) {
        FetchForward();
    } else {
        ++pos_;
    }
}

QString Recordset::FieldName(int index) const {
    if (index < 0 || index >= names_.size()) {
        throw RunError(err::kItemNotFound, QStringLiteral("Item not found in this collection."));
    }
    return names_.at(index);
}

int Recordset::FieldIndex(const QString& name) const {
    for (int i = 0; i < names_.size(); ++i) {
        if (names_.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw RunError(err::kItemNotFound,
                   QStringLiteral("Item not found in this collection (field '%1').").arg(name));
}

void Recordset::RequireCurrent() const {
    if (Eof() || pos_ < 0)
        NoCurrentRecord();
}

QVariant Recordset::Fields(const QString& name) const {
    return Fields(FieldIndex(name));
}

QVariant Recordset::Fields(int index) const {
    FieldName(index);  // raises for a bad index
    if (mode_ != EditMode::None)
        return buffer_.at(index);
    RequireCurrent();
    if (type_ == RecordsetType::ForwardOnly)
        return current_.at(index);
    return rows_.at(pos_).at(index);
}

void Recordset::RequireUpdatable() const {
    if (!updatable_) {
        throw RunError(err::kReadOnly,
                       QStringLiteral("Cannot update. Database or object is read-only."));
    }
}

void Recordset::Edit() {
    RequireUpdatable();
    RequireCurrent();
    mode_ = EditMode::Editing;
    buffer_ = rows_.at(pos_);
    dirty_.assign(names_.size(), false);
}

void Recordset::SetField(const QString& name, const QVariant& value) {
    const int index = FieldIndex(name);
    if (mode_ == EditMode::None) {
        throw RunError(err::kUpdateWithoutEdit,
                       QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    }
    buffer_[index] = value;
    dirty_[index] = true;
}

void Recordset::Update() {
    if (mode_ == EditMode::None) {
        throw RunError(err::kUpdateWithoutEdit,
                       QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    }
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < names_.size(); ++i) {
        if (dirty_[i]) {
            columns.append(QuoteName(names_.at(i)));
            values.append(buffer_.at(i));
        }
    }
    if (!columns.isEmpty()) {
        Statement stmt(*db_, QStringLiteral("UPDATE %1 SET %2 = ? WHERE _rowid_ = ?")
                                 .arg(QuoteName(table_), columns.join(QStringLiteral(" = ?, "))));
        values.append(rowIds_.at(pos_));
        stmt.BindAll(values);
        stmt.Run();
    }
    rows_[pos_] = buffer_;
    mode_ = EditMode::None;
}

}  // namespace kestrel

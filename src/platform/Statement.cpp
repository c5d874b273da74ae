#include "Statement.h"

#include <sqlite3.h>

#include "Database.h"

namespace kestrel {

Statement::Statement(Database& db, const QString& sql) : db_(&db) {
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.Handle(), text.constData(), static_cast<int>(text.size()),
                                      &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        db.Fail(rc);
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

void Statement::BindAll(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i) {
        Bind(i + 1, values.at(i));
    }
}

bool Statement::BindsAsText(const QVariant& value) {
    if (value.isNull())
        return false;
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::QByteArray:
            return false;
        default:
            return true;
    }
}

void Statement::Bind(int position, const QVariant& value) {
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt_, position);
    } else if (BindsAsText(value)) {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text(stmt_, position, text.constData(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
    } else {
        switch (value.typeId()) {
            case QMetaType::Bool:
                // Yes/No fields store true as -1, as the catalogue data does.
                rc = sqlite3_bind_int(stmt_, position, value.toBool() ? -1 : 0);
                break;
            case QMetaType::Int:
            case QMetaType::Short:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
            case QMetaType::Long:
                rc = sqlite3_bind_int64(stmt_, position, value.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt_, position, value.toDouble());
                break;
            default: {
                const QByteArray bytes = value.toByteArray();
                rc = sqlite3_bind_blob(stmt_, position, bytes.constData(),
                                       static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
        }
    }
    if (rc != SQLITE_OK) {
        db_->Fail(rc);
    }
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    db_->Fail(rc);
}

int Statement::Run() {
    while (Step()) {
    }
    const int changed = sqlite3_changes(db_->Handle());
    Reset();
    return changed;
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::ColumnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString Statement::ColumnTable(int column) const {
    const char* table = sqlite3_column_table_name(stmt_, column);
    return table ? QString::fromUtf8(table) : QString();
}

QVariant Statement::Column(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt_, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt_, column));
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
            return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
        }
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
            return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)));
        }
    }
}

}  // namespace kestrel

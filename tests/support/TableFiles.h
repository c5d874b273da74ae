#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

#include "platform/Database.h"
#include "platform/Recordset.h"

namespace kestrel::test {

// A table row's text as a QString.
inline QString Q(const char* text) {
    return QString::fromUtf8(text);
}

// Writes `content` over `path`; false when the file cannot be written.
inline bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A table held for reading and writing, as a second instance holds the
// counter row while it starts; released when this goes.
struct HeldTable {
    HeldTable(const QString& file, const QString& table)
        : db(Database::Open(file, false)),
          set(db->OpenRecordset(QStringLiteral("SELECT * FROM ") + table, RecordsetType::Dynaset,
                                rs::kDenyRead | rs::kDenyWrite)) {}
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> set;
};

}  // namespace kestrel::test

namespace kestrel {
// The tests that use these tables write their texts as u"..."_s.
using namespace Qt::StringLiterals;
using test::Q;
}  // namespace kestrel

#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "safetynet/CopyJournal.h"
#include "support/SqlRows.h"

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

// The copy journal at `path`; none, with the reason as a test failure, when it cannot be used.
inline std::unique_ptr<CopyJournal> OpenJournal(const QString& path = CopyJournal::DefaultPath()) {
    QString error;
    auto journal = CopyJournal::Open(path, &error);
    EXPECT_TRUE(journal) << error.toStdString();
    return journal;
}

// The add-in's working copy counter as stored in `serial`; -1 while an
// instance holds it.
inline qlonglong StoredCounter(const QString& serial) {
    try {
        return SqlValue(*Database::Open(serial, true),
                        "SELECT SerialCounter FROM SerialTable WHERE Addin = 'KESTREL'")
            .toLongLong();
    } catch (const RunError&) {
        return -1;
    }
}

// A control of `window` as the localisation tables name it: by name, type
// name and, in a control array, index.
template <typename T, typename Window>
T* AddControl(Window* window, const char* name, const char* typeName, int index = -1) {
    auto* c = new T(window);
    c->setObjectName(Q(name));
    c->setProperty("typeName", Q(typeName));
    if (index >= 0)
        c->setProperty("index", index);
    return c;
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

#pragma once

#include <QStringList>
#include <QVariantList>

#include "platform/Database.h"
#include "platform/Recordset.h"

namespace kestrel::test {

// Every row a query gives, as one text a row with its fields joined by '='.
inline QStringList SqlRows(Database& db, const QString& sql, const QVariantList& params = {}) {
    QStringList rows;
    for (auto set = db.OpenRecordset(sql, RecordsetType::Snapshot, 0, params); !set->Eof();
         set->MoveNext()) {
        QStringList fields;
        for (int f = 0; f < set->FieldCount(); ++f)
            fields << set->Fields(f).toString();
        rows << fields.join(u'=');
    }
    return rows;
}

// The first field of the first row a query gives; `none` when it gives none.
inline QString SqlValue(Database& db, const QString& sql, const QVariantList& params = {},
                        const QString& none = {}) {
    auto set = db.OpenRecordset(sql, RecordsetType::Snapshot, 0, params);
    return set->Eof() ? none : set->Fields(0).toString();
}

}  // namespace kestrel::test

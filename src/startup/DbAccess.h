#pragma once

#include <QString>
#include <QVariant>
#include <memory>

#include "platform/Database.h"

namespace kestrel {

// Opens a database file (found whatever the case of its path). On failure
// shows "description [number]" titled "System Fatal Notice", clears db and
// returns false.
bool OpenDB(const QString& path, std::unique_ptr<Database>& db, bool readOnly);

// The named field of the query's first row, or an empty (null) value. No
// rows is silent; any other error shows "description[number]" titled
// "Notice". Values come in as bound parameters.
QVariant LookupField(Database* db, const QString& query, const QString& field,
                     const QVariantList& params = {});

}  // namespace kestrel

#include "DbAccess.h"

#include "platform/FileOps.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

bool OpenDB(const QString& path, std::unique_ptr<Database>& db, bool readOnly) {
    try {
        db = Database::Open(ResolvePath(path), readOnly);
        return true;
    } catch (const RunError& e) {
        db.reset();
        ShowSystemFatalNotice(e);
        return false;
    }
}

QVariant LookupField(Database* db, const QString& query, const QString& field,
                     const QVariantList& params) {
    try {
        if (!db) {
            throw ObjectNotSet();
        }
        auto set = db->OpenRecordset(query, RecordsetType::Snapshot, 0, params);
        return set->Fields(field);
    } catch (const RunError& e) {
        if (e.Number() != err::kNoCurrentRecord)
            ShowNotice(e);
        return QVariant();
    }
}

}  // namespace kestrel

#include "AddinRegistration.h"

#include "InstallPaths.h"
#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

bool RegisterAddin(const QString& module, const QString& appName, const QString& version) {
    try {
        const QString path = GetInstallPath(module, QStringLiteral("RegDBofHelm32")) +
                             QStringLiteral("Register.mdb");
        auto db = Database::Open(ResolvePath(path), false);
        auto row = db->OpenRecordset(QStringLiteral("SELECT * FROM Registry WHERE AppName = ?"),
                                     RecordsetType::Dynaset, 0, {appName});
        if (row->RecordCount() > 0) {
            row->Edit();
            row->SetField(QStringLiteral("Version"), version);
            row->Update();
        }
        return true;
    } catch (const RunError& e) {
        ShowSystemFatalNotice(e);
        return false;
    }
}

}  // namespace kestrel

#include "StartupReport.h"

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"
#include "startup/WorkingCopy.h"

namespace kestrel {

bool PrintStartupReport(QTextStream& out) {
    const QString dbFolder = GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database"));
    out << "Kestrel " << KESTREL_VERSION << " standalone start for exchange '"
        << services().commandLine << "'\n";
    out << "  version folder      " << g_AddinVersion << "\n";
    out << "  database folder     " << dbFolder << "\n";
    out << "  suite database      "
        << GetInstallPath(QStringLiteral("Addins"), QStringLiteral("RegDBofHelm32")) << "\n";
    out << "  help folder         "
        << GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Help")) << "\n";
    out << "  backgrounds         " << g_BackgroundPath << "\n";
    out << "  application title   " << App().Title << "\n";
    out << "  message table       " << g_Messages.size() << " entries; window caption '" << Msg(0)
        << "'\n";

    g_WorkDbName = MakeWorkingCopy(QStringLiteral("KESTREL"), dbFolder, QStringLiteral("KESTREL"));
    if (g_WorkDbName.isEmpty()) {
        out << "  working copy        could not be made\n";
        return false;
    }
    auto work = OpenWorkingDb(dbFolder, g_WorkDbName);
    bool ok = work != nullptr;
    if (ok) {
        const QVariant items = LookupField(
            work.get(), QStringLiteral("SELECT COUNT(*) AS Items FROM CMD30Titles WHERE Visible"),
            QStringLiteral("Items"));
        out << "  working copy        " << g_WorkDbName << " (" << items.toLongLong()
            << " visible catalogue items)\n";
    } else {
        out << "  working copy        " << g_WorkDbName << " made but could not be opened\n";
    }
    work.reset();
    RemoveWorkingCopy(dbFolder, g_WorkDbName);
    out << "  working copy        removed again\n";
    out << "The main window comes with the next stage; nothing more to show.\n";
    out.flush();
    return ok;
}

}  // namespace kestrel

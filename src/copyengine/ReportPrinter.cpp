#include "ReportPrinter.h"

#include "hostlink/HostProgramme.h"
#include "platform/AppInfo.h"
#include "platform/MessageBoxes.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"

namespace kestrel {

ReportRequest BuildReportRequest(const QString& workDbName, const QString& trunkBoxText) {
    ReportRequest r;
    r.databasePath =
        GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) + workDbName;
    r.templatePath =
        GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Report")) + ReportFileName();
    r.selection = QStringLiteral("{Trunk.Trunk}= '") + trunkBoxText + u'\'';
    return r;
}

void PrintTrunkReport(HostProgramme* parent, const QString& workDbName,
                      const QString& trunkBoxText) {
    const ReportRequest r = BuildReportRequest(workDbName, trunkBoxText);
    if (r.databasePath.isEmpty() || workDbName.isEmpty() || g_Standalone || !parent)
        return;
    QString failure;
    try {
        failure = parent->PrintReport(r.databasePath, r.templatePath, r.selection, QString(), 0);
    } catch (const RunError& e) {
        failure = e.Description();  // the host's own failure, shown as it is
    }
    if (failure.isEmpty())
        return;
    if (MessageBoxes* boxes = services().messageBoxes) {
        MessageBoxRequest request;
        request.prompt = failure;
        request.flags = mb::kOkOnly;
        boxes->Show(request);
    }
}

}  // namespace kestrel

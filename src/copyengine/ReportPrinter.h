#pragma once

#include <QString>

namespace kestrel {

class HostProgramme;

// The report paths and selection the host's printer is given.
struct ReportRequest {
    QString databasePath;
    QString templatePath;
    QString selection;
};

// Builds the request for the trunk box text: the working copy, the
// language's report template (kestrel.rpt in English) and the selection
// "{Trunk.Trunk}= '<trunk>'".
ReportRequest BuildReportRequest(const QString& workDbName, const QString& trunkBoxText);

// Print: in an automation start, asks the host to print the report and
// shows the host's failure text, if any, in a plain message box. A
// standalone start prints nothing.
void PrintTrunkReport(HostProgramme* parent, const QString& workDbName,
                      const QString& trunkBoxText);

}  // namespace kestrel

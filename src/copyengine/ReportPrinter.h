#pragma once

#include <QString>

namespace kestrel {

class HostProgramme;
struct ReportOutcome;

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

// Where a standalone start writes its reports: "Reports" in the user's
// data folder.
QString StandaloneReportsFolder();

// Print. In an automation start the host prints the report; its failure
// text, if any, is shown in a plain message box, and a report the host says
// it wrote to a file is offered to be opened. A standalone start writes the
// report itself into StandaloneReportsFolder() and offers it the same way,
// or says why it could not be written.
void PrintTrunkReport(HostProgramme* parent, const QString& workDbName,
                      const QString& trunkBoxText);

// The engineer's words for a report that could not be written (own
// message 36's insert).
QString ReportFailureText(const ReportOutcome& outcome);

}  // namespace kestrel

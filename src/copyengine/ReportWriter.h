#pragma once

#include <QDateTime>
#include <QString>

namespace kestrel {

class Database;

// What became of writing a report file.
enum class ReportFailure {
    None,
    Selection,  // the selection formula is not "{Trunk.Trunk}= 'nnn'"
    Template,   // the template cannot be read
    Layout,     // the template has no item row
    NoData,     // the working database holds nothing for the trunk
    Database,   // the working database cannot be read
    Folder,     // the reports folder cannot be made
    Write,      // the file cannot be written
};

struct ReportOutcome {
    ReportFailure failure = ReportFailure::None;
    // What the failure is about: the selection, the template, the trunk, the
    // database, the folder or the file; the file written on success.
    QString subject;
    // The platform's own words for a failure (a database or file error).
    QString detail;
    bool Written() const { return failure == ReportFailure::None; }
};

// The page a report template makes for the selection, before it is printed.
struct FilledReport {
    QString html;           // the template with every placeholder filled
    QString trunk;          // the trunk the selection names
    QString exchange;       // the exchange the working database names
    ReportOutcome outcome;  // why there is no page; Written() when there is one
};
FilledReport FillTrunkReport(const QString& databasePath, const QString& templatePath,
                             const QString& selection, const QDateTime& printed);

// The report writer both programs share: lays out a report template for
// the trunk the selection formula names, from the work tables of an
// add-in's working database (opened read-only), and writes it as a PDF
// into `folder` (made when missing). A file left unfinished is removed.
ReportOutcome WriteReportFile(const QString& databasePath, const QString& templatePath,
                              const QString& selection, const QString& folder);

// Fills the template's section of the last copy's outcome per destination
// (between OUTCOMES markers, one OROW row each) from the work table
// `CopyOutcome`; leaves the section out when the table holds nothing.
QString FillOutcomes(Database& db, const QString& html);

}  // namespace kestrel

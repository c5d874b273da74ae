#pragma once

#include <QDateTime>
#include <QString>

namespace kestrel {

// The host's report printer: lays out a report template for the trunk the
// selection formula names, from the work tables of an add-in's working
// database (opened read-only), and writes it as a PDF into `folder`.
// Returns the empty text on success (and the file in `written`), otherwise
// a description of the failure.
QString WriteTrunkReport(const QString& databasePath, const QString& templatePath,
                         const QString& selection, const QString& folder, QString* written);

// The page a report template makes for the selection, before it is printed.
struct FilledReport {
    QString html;      // the template with every placeholder filled
    QString trunk;     // the trunk the selection names
    QString exchange;  // the exchange the working database names
    QString failure;   // why there is no page; empty when there is one
};
FilledReport FillTrunkReport(const QString& databasePath, const QString& templatePath,
                             const QString& selection, const QDateTime& printed);

class Database;
// Fills the template's section of the last copy's outcome per destination
// (between OUTCOMES markers, one OROW row each) from the work table
// `CopyOutcome`; leaves the section out when the table holds nothing.
QString FillOutcomes(Database& db, const QString& html);

}  // namespace kestrel

#include "HostReport.h"

#include "copyengine/ReportWriter.h"

namespace kestrel {

QString WriteTrunkReport(const QString& databasePath, const QString& templatePath,
                         const QString& selection, const QString& folder, QString* written) {
    const ReportOutcome outcome = WriteReportFile(databasePath, templatePath, selection, folder);
    switch (outcome.failure) {
        case ReportFailure::None:
            if (written)
                *written = outcome.subject;
            return {};
        case ReportFailure::Selection:
            return QStringLiteral(
                       "The report selection \"%1\" is not understood; it must read "
                       "{Trunk.Trunk}= 'nnn'.")
                .arg(outcome.subject);
        case ReportFailure::Template:
            return QStringLiteral("The report template %1 cannot be read.").arg(outcome.subject);
        case ReportFailure::Layout:
            return QStringLiteral("The report template %1 has no item row.").arg(outcome.subject);
        case ReportFailure::NoData:
            return QStringLiteral("The working database holds no data for trunk %1.")
                .arg(outcome.subject);
        case ReportFailure::Database:
            return QStringLiteral("The working database %1 cannot be read: %2")
                .arg(outcome.subject, outcome.detail);
        case ReportFailure::Folder:
            return QStringLiteral("The reports folder %1 cannot be made.").arg(outcome.subject);
        case ReportFailure::Write:
            return QStringLiteral("The report could not be written to %1: %2")
                .arg(outcome.subject, outcome.detail);
    }
    return {};
}

}  // namespace kestrel

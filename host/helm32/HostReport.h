#pragma once

#include <QString>

namespace kestrel {

// The host's printer: as WriteReportFile, the empty text on success (and the
// file in `written`), otherwise the failure in the host's own words.
QString WriteTrunkReport(const QString& databasePath, const QString& templatePath,
                         const QString& selection, const QString& folder, QString* written);

}  // namespace kestrel

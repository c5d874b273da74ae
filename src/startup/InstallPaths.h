#pragma once

#include <QString>

namespace kestrel {

// The suite's application name in the settings store, the key of a
// module's folder there, and the answer "not found".
inline const QString kSuiteApplication = QStringLiteral("OPSHELM32");
inline const QString kInstallPathKey = QStringLiteral("InstallPath");
inline const QString kNoInstallPath = QStringLiteral("NONE");

// The 5-character version folder above the module's folder (root/OPSHELM32/
// ver/ADDINS), or "NONE" when the program's folder does not follow the
// layout.
QString GetVersionFolder(const QString& module);

// The folder of one kind of file ("Database", "Help", "Report", "BackGrnd",
// "RegDBofHelm32", ...) for a module, from the settings store or, without a
// setting, from the program's own folder. Always upper case, ending in a
// separator, except the fixed fall-back "30000" for unlisted combinations.
QString GetInstallPath(const QString& module, const QString& kind);

// The add-in's help file and report template of the language in use.
QString HelpFilePath();
QString ReportTemplatePath();

}  // namespace kestrel

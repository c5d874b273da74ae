#include "InstallPaths.h"

#include "platform/AppInfo.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"

namespace kestrel {

namespace {

const QString& kSuite = kSuiteApplication;
const QString& kNone = kNoInstallPath;
const QChar kSep = u'/';

QString ReadSetting(const QString& application, const QString& section, const QString& key,
                    const QString& defaultValue) {
    const SettingsStore* store = services().settings;
    return store ? store->Read(application, section, key, defaultValue) : defaultValue;
}

bool IsSuiteModule(const QString& upperModule) {
    return upperModule == u"ADDINS" || upperModule == u"HELM32";
}

}  // namespace

QString GetVersionFolder(const QString& module) {
    const QString m = module.toUpper();
    const QString folder = services().programFolder;
    if (IsSuiteModule(m)) {
        // OPSHELM32/ver/ADDINS: 9 + 1 + 5 + 1 + 6 characters.
        const QString t = folder.right(22).toUpper();
        if (t.size() == 22 && t.mid(0, 9) == kSuite && t.mid(16, 6) == m) {
            return t.mid(10, 5);
        }
        return kNone;
    }
    const qsizetype n = module.size();
    const QString t = folder.right(n + 6).toUpper();
    if (t.size() == n + 6 && t.left(n) == m) {
        return t.mid(n + 1, 5);
    }
    return kNone;
}

QString GetInstallPath(const QString& module, const QString& kind) {
    const QString m = module.toUpper();
    const QString k = kind.toUpper();
    const QString ownFolder = services().programFolder;
    QString result = QStringLiteral("30000");
    const QString version = GetVersionFolder(m);
    const QString application = IsSuiteModule(m) ? kSuite : m;

    QString base = ReadSetting(application, version, kInstallPathKey, kNone);
    if (base != kNone) {
        // The stored path is expected to end in a separator already.
        if (m == u"HELM32")
            base += QStringLiteral("HELM32") + kSep;
        if (m == u"ADDINS")
            base += QStringLiteral("ADDINS") + kSep;
    } else {
        base = ownFolder + kSep;
    }

    if (k == u"ME") {
        result = base;
    } else if (k == u"HELP" || k == u"REPORT" || k == u"DATABASE") {
        result = base + k + kSep;
    } else if (k == u"ACROBATRD") {
        if (m == u"HELM32")
            result = base + QStringLiteral("READER") + kSep;
    } else if (k == u"REGDBOFHELM32") {
        if (m == u"HELM32") {
            result = base + QStringLiteral("DATABASE") + kSep;
        } else if (m == u"ADDINS") {
            result = base + QStringLiteral("../HELM32/DATABASE") + kSep;
        }
    } else if (k == u"BACKGRND") {
        if (IsSuiteModule(m))
            result = base + QStringLiteral("../BACKGRND") + kSep;
    } else {
        const QString other = ReadSetting(application, version, kind, kNone);
        if (other.size() != 5) {
            result = ownFolder + kSep;
        } else {
            result = ReadSetting(kind, other, kInstallPathKey, QString(kSep));
        }
    }
    return result.toUpper();
}

QString HelpFilePath() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Help")) + HelpFileName();
}

QString ReportTemplatePath() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Report")) + ReportFileName();
}

}  // namespace kestrel

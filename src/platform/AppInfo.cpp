#include "AppInfo.h"

namespace kestrel {

AppInfo& App() {
    static AppInfo instance;
    return instance;
}

QString HelpFileName() {
    const QString name = App().HelpFile.trimmed();
    return name.isEmpty() ? QStringLiteral("kestrel.hlp") : name;
}

QString ReportFileName() {
    const QString name = App().ReportFile.trimmed();
    return name.isEmpty() ? QStringLiteral("kestrel.rpt") : name;
}

bool IsDefaultLanguage() {
    const QString language = App().Language.trimmed();
    return language.isEmpty() || language.compare(u"EN", Qt::CaseInsensitive) == 0;
}

}  // namespace kestrel

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

}  // namespace kestrel

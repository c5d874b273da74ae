#include "SafetyNetSetting.h"

#include <QSettings>

namespace kestrel {

namespace {
const QString kKey = QStringLiteral("SafetyNet/Enabled");

QSettings AddinSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrel"));
}
}  // namespace

bool SafetyNetSetting() {
    return AddinSettings().value(kKey, true).toBool();
}

void SetSafetyNetSetting(bool on) {
    AddinSettings().setValue(kKey, on);
}

}  // namespace kestrel

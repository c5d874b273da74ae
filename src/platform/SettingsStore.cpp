#include "SettingsStore.h"

#include <QSettings>

namespace kestrel {

QString QSettingsStore::Read(const QString& application, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    if (application.isEmpty() || section.isEmpty() || key.isEmpty())
        return defaultValue;
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

}  // namespace kestrel

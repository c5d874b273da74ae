#include "SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <optional>

namespace kestrel {

namespace {

// The value of `key` in `[section]` of an INI file as its line holds it,
// trimmed and without surrounding quotes; nothing when there is none.
std::optional<QString> LineValue(const QString& fileName, const QString& section,
                                 const QString& key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inSection = line.mid(1, line.size() - 2).trimmed() == section;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0 || line.left(equals).trimmed() != key)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

}  // namespace

QString QSettingsStore::Read(const QString& application, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    if (application.isEmpty() || section.isEmpty() || key.isEmpty())
        return defaultValue;
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with a comma reads as a list, which as text is
    // empty; a folder's name may well hold a comma, so such a value is
    // taken as its line writes it.
    if (value.typeId() == QMetaType::QStringList)
        return LineValue(settings.fileName(), section, key)
            .value_or(value.toStringList().join(u','));
    return value.toString();
}

}  // namespace kestrel

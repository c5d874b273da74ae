#pragma once

#include <QString>

namespace kestrel {

// The per-user settings store, read only: application, section and key to
// text. A missing value gives the caller's default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString Read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
};

// The store on QSettings: one INI file per application in the user's
// configuration folder (for example ~/.config/OPSHELM32.ini), the section
// as group and the key as key.
class QSettingsStore : public SettingsStore {
public:
    QString Read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
};

}  // namespace kestrel

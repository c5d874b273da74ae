#pragma once

#include <QString>

#include "platform/SettingsStore.h"

namespace kestrel {

// An installed runtime tree is shared by every user of the machine and is
// usually read-only for them. Its programs then keep what they write (the
// counter, the working copies, the registry row, the exchanges, the reports)
// in a tree of the user's own that mirrors the installed one, and the suite's
// install path points there.

// The file that marks an installed, shared tree, in its version folder
// beside ADDINS and HELM32.
QString SharedTreeMarker();

// True when the tree in `versionFolder` (root/OPSHELM32/30000) is shared:
// it carries the marker, or this user cannot write one of its database
// folders.
bool IsSharedTree(const QString& versionFolder);

// Makes `userFolder` a tree the programs can work in from the installed
// `versionFolder`: the folders they write into are the user's own, with
// links to every installed file and folder in them, except the databases
// written in place (Serial.MDB, Register.mdb), which are copied once. Links
// are renewed on every call, so they follow the installed tree to a new
// version or another place; a file the user put in place of a link stays.
// Raises RunError naming what could not be made.
void MirrorTree(const QString& versionFolder, const QString& userFolder);

// The settings store of a program whose suite install path defaults, for
// one version folder, to the user's own tree. A path the settings name wins.
class UserTreeSettings : public SettingsStore {
public:
    explicit UserTreeSettings(const SettingsStore& stored) : stored_(stored) {}
    QString Read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void SetInstallPathDefault(const QString& versionFolder, const QString& path);

private:
    const SettingsStore& stored_;
    QString version_;
    QString path_;
};

// For a program's start, once services() holds its program folder: when
// its tree is shared and `settings` name no install path for it, mirrors the
// tree into <dataFolder>/OPSHELM32/<version>/ and makes that the install
// path. False, after a "System Fatal Notice" saying what could not be made,
// when that fails.
bool UsePerUserTree(UserTreeSettings& settings, const QString& dataFolder);

}  // namespace kestrel

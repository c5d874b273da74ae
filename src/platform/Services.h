#pragma once

#include <QString>
#include <functional>

namespace kestrel {

class MessageBoxes;
class ProcessControl;
class SettingsStore;

// The platform services of this process and the facts of its start. Set
// once by the program's main (or by a test fixture); everything else reads
// them. The pointers are not owned.
struct Services {
    MessageBoxes* messageBoxes = nullptr;
    SettingsStore* settings = nullptr;
    ProcessControl* process = nullptr;
    // The folder holding the program, without a trailing separator.
    QString programFolder;
    // Everything after the program name, joined by blanks.
    QString commandLine;
    // The user's data folder (the copy journal lives there); empty: the
    // platform's own for this program.
    QString dataFolder;
    // Opens a file with the desktop's programme for its kind; false when
    // none could. Empty: the desktop's own opener.
    std::function<bool(const QString& file)> openFile;
    // Where Qt's own translations lie; empty: Qt's own folder.
    QString translationsFolder;
    // No engineer watches: an unattended session answers dialogs itself.
    bool unattended = false;
    // The program's start is under way (until its window has loaded): every
    // trapped error is also written to the standard error, so a start that
    // fails says why also where nobody sees its message box.
    bool starting = false;
};

Services& services();

// The user's data folder: the one set for the run, else the platform's own
// for this program; empty when there is neither.
QString DataFolder();

}  // namespace kestrel

#pragma once

#include <QString>
#include <functional>

namespace kestrel {

// Process start: folders, both language databases, message table and
// project record, then the start mode. Any failure ends the process through
// services().process and Main returns at once.
void Main();

// Standalone start: with a command line, shows the main window (which takes
// the command line as the exchange name). False when that fails.
bool StartStandalone();

// True when the command line asks for the automation start mode.
bool IsAutomationStart(const QString& commandLine);

// Who shows the main window for a standalone start; set by the program.
// Returns false when the window could not be shown (its load failed), which
// ends the process as a failed start.
void SetMainWindowLauncher(std::function<bool()> launcher);

// The exit code of a process that Main ends on a failure.
constexpr int kStartupFailureExit = 1;

}  // namespace kestrel

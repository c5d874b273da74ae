#include "Startup.h"

#include <cstdio>

#include "DbAccess.h"
#include "Globals.h"
#include "InstallPaths.h"
#include "localisation/Messages.h"
#include "platform/ProcessControl.h"
#include "platform/RunError.h"
#include "platform/Services.h"

namespace kestrel {

namespace {

std::function<bool()>& Launcher() {
    static std::function<bool()> launcher;
    return launcher;
}

// Ends a failed start with status 1 and one line on the standard error
// naming the step; the routine that failed has shown its message already.
void EndProcess(const char* step) {
    std::fprintf(stderr, "kestrel: the start failed: %s\n", step);
    std::fflush(stderr);
    if (ProcessControl* process = services().process) {
        process->EndProcess(kStartupFailureExit);
    }
}

}  // namespace

void SetMainWindowLauncher(std::function<bool()> launcher) {
    Launcher() = std::move(launcher);
}

bool IsAutomationStart(const QString& commandLine) {
    return commandLine.trimmed().startsWith(QStringLiteral("-Embedding"), Qt::CaseInsensitive);
}

void Main() {
    try {
        g_CmdDialogShown = QStringLiteral("False");
        g_Standalone = false;
        g_AddinVersion = GetVersionFolder(QStringLiteral("Addins"));
        g_BackgroundPath = GetInstallPath(QStringLiteral("Addins"), QStringLiteral("BackGrnd"));

        if (!OpenDB(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("REGDBOFHELM32")) +
                        QStringLiteral("Common.LNG"),
                    g_CommonDb, true)) {
            EndProcess("Common.LNG could not be opened");
            return;
        }
        if (!OpenDB(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) +
                        QStringLiteral("Kestrel.lng"),
                    g_LangDb, false)) {
            EndProcess("Kestrel.lng could not be opened");
            return;
        }
        if (!LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get())) {
            EndProcess("the message table of Kestrel.lng could not be loaded");
            return;
        }
        if (!LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get())) {
            EndProcess("the project record of Kestrel.lng could not be loaded");
            return;
        }
        if (!IsAutomationStart(services().commandLine)) {
            g_Standalone = true;
            if (!StartStandalone()) {
                EndProcess("the window could not be loaded");
                return;
            }
        } else {
            g_Standalone = false;
        }
    } catch (...) {
        EndProcess("an unexpected error");
    }
}

bool StartStandalone() {
    try {
        if (!services().commandLine.trimmed().isEmpty()) {
            if (Launcher() && !Launcher()())
                return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace kestrel

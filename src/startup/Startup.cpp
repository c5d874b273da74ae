#include "Startup.h"

#include "DbAccess.h"
#include "Globals.h"
#include "InstallPaths.h"
#include "LanguageFiles.h"
#include "localisation/Messages.h"
#include "platform/Logging.h"
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
void EndProcess(const QString& step) {
    qCCritical(lcUi, "The start failed: %s", qUtf8Printable(step));
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
        // Message boxes by number read the language databases opened below.
        SetLanguageDatabases(&g_CommonDb, &g_LangDb);
        g_CmdDialogShown = QStringLiteral("False");
        g_Standalone = false;
        g_AddinVersion = GetVersionFolder(QStringLiteral("Addins"));
        g_BackgroundPath = GetInstallPath(QStringLiteral("Addins"), QStringLiteral("BackGrnd"));

        if (!OpenDB(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("REGDBOFHELM32")) +
                        QStringLiteral("Common.LNG"),
                    g_CommonDb, true)) {
            EndProcess(QStringLiteral("Common.LNG could not be opened"));
            return;
        }
        if (!OpenDB(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")) +
                        QStringLiteral("Kestrel.lng"),
                    g_LangDb, false)) {
            EndProcess(QStringLiteral("Kestrel.lng could not be opened"));
            return;
        }
        if (!LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get())) {
            EndProcess(QStringLiteral("the message table of Kestrel.lng could not be loaded"));
            return;
        }
        if (!LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get())) {
            EndProcess(QStringLiteral("the project record of Kestrel.lng could not be loaded"));
            return;
        }
        // A language's missing file is no reason to stop: English stands in.
        SettleLanguageFiles();
        TellMissingLanguageFiles();
        if (!IsAutomationStart(services().commandLine)) {
            g_Standalone = true;
            if (!StartStandalone()) {
                EndProcess(QStringLiteral("the window could not be loaded"));
                return;
            }
        } else {
            g_Standalone = false;
        }
    } catch (const RunError& e) {
        // Nothing has been shown yet that could tell the engineer.
        EndProcess(QStringLiteral("%1 [%2]").arg(e.Description()).arg(e.Number()));
    }
}

bool StartStandalone() {
    try {
        if (!services().commandLine.trimmed().isEmpty()) {
            if (Launcher() && !Launcher()())
                return false;
        }
        return true;
    } catch (const RunError& e) {
        qCCritical(lcUi, "The window could not be started: %s [%d]",
                   qUtf8Printable(e.Description()), e.Number());
        return false;
    }
}

}  // namespace kestrel

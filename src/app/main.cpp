#include <QApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include "automation/AutomationContract.h"
#include "automation/AutomationServer.h"
#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedLink.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/PrintingMessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/FirstPaintNotice.h"
#include "platform/widgets/GuardedApplication.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "startup/Globals.h"
#include "startup/Startup.h"
#include "startup/UserTree.h"

int main(int argc, char* argv[]) {
    kestrel::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);  // the window's unload ends the run

    kestrel::QtMessageBoxes messageBoxes;
    kestrel::PrintingMessageBoxes printedBoxes;  // an unattended session's boxes
    kestrel::QSettingsStore storedSettings;
    kestrel::UserTreeSettings settings(storedSettings);
    kestrel::ImmediateProcessControl process;
    kestrel::Services& services = kestrel::services();
    // KESTREL_SESSION=boxes keeps the engineer's boxes and dialogs, so a
    // test host can work the add-in's modal states through the session object.
    const bool printed =
        qEnvironmentVariableIsSet("KESTREL_SESSION") && qgetenv("KESTREL_SESSION") != "boxes";
    services.messageBoxes =
        printed ? static_cast<kestrel::MessageBoxes*>(&printedBoxes) : &messageBoxes;
    services.settings = &settings;
    services.process = &process;
    services.programFolder = QCoreApplication::applicationDirPath();
    services.commandLine = QCoreApplication::arguments().mid(1).join(u' ');
    services.unattended = printed;
    services.starting = true;  // the window's load ends it
    // An installed tree shared by every user: this user's databases live in
    // a tree of their own.
    if (!kestrel::UsePerUserTree(
            settings, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))) {
        return kestrel::kStartupFailureExit;
    }

    QPointer<kestrel::dlgKestrel> window;
    kestrel::SetMainWindowLauncher([&] {
        window = new kestrel::dlgKestrel(kestrel::CreateHostObject);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(window, &kestrel::dlgKestrel::unloaded, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        if (!window->Load())
            return false;  // it unloaded itself with its message: a failed start
        window->show();
        // KESTREL_SCREENSHOT=<file> saves a picture of the window once it
        // has settled and ends the run: the run command's proof without a
        // display.
        // KESTREL_FIRST_PAINT=1 says "painted" on the standard output once
        // the window has first been painted, and ends the run: the start-up
        // benchmark's finishing line.
        if (qEnvironmentVariableIsSet("KESTREL_FIRST_PAINT")) {
            kestrel::OnFirstPaint(window, [window] {
                QTextStream(stdout) << "painted" << Qt::endl;
                window->Unload();
            });
        }
        const QString shot = qEnvironmentVariable("KESTREL_SCREENSHOT");
        if (!shot.isEmpty()) {
            QTimer::singleShot(800, window, [window, shot] {
                window->grab().save(shot);
                window->Unload();
            });
        }
        return true;
    });
    kestrel::Main();

    if (!kestrel::g_Standalone) {
        // -Embedding <address>: serve the host that started us; the last
        // release of its objects (or its going away) ends the process.
        QString address = services.commandLine.trimmed();
        address = address.mid(kestrel::contract::kEmbedding.size()).trimmed();
        kestrel::AutomationServer server;
        if (address.isEmpty() || !server.Start(address)) {
            QTextStream(stderr) << "kestrel: cannot reach the host at '" << address << "'\n";
            return 1;
        }
        return QApplication::exec();
    }
    if (!window || !window->IsLoaded())
        return 0;
    const int status = QApplication::exec();
    delete window;
    return status;
}

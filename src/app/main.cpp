#include <QApplication>
#include <QTextStream>

#include "StartupReport.h"
#include "platform/ProcessControl.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "startup/Globals.h"
#include "startup/Startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));

    kestrel::QtMessageBoxes messageBoxes;
    kestrel::QSettingsStore settings;
    kestrel::ImmediateProcessControl process;
    kestrel::Services& services = kestrel::services();
    services.messageBoxes = &messageBoxes;
    services.settings = &settings;
    services.process = &process;
    services.programFolder = QCoreApplication::applicationDirPath();
    services.commandLine = QCoreApplication::arguments().mid(1).join(u' ');

    QTextStream out(stdout);
    bool reported = true;
    kestrel::SetMainWindowLauncher([&] {
        reported = kestrel::PrintStartupReport(out);
        return true;
    });
    kestrel::Main();

    if (!kestrel::g_Standalone) {
        out << "Automation start recognised; serving the host comes with the host link.\n";
        return 0;
    }
    return reported ? 0 : 1;
}

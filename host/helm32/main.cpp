#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include "AddinLauncher.h"
#include "ScriptedSession.h"
#include "SoakSession.h"

#include "Helm32Window.h"
#include "exchange/SimulatedExchange.h"
#include "platform/PrintingMessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/GuardedApplication.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "startup/UserTree.h"

// helm32 [exchange]: the reference host. With an exchange name it opens
// Trunk Copy for it at once.
int main(int argc, char* argv[]) {
    kestrel::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Helm32"));
    kestrel::QtMessageBoxes boxes;
    kestrel::QSettingsStore storedSettings;
    kestrel::UserTreeSettings settings(storedSettings);
    kestrel::ImmediateProcessControl process;
    kestrel::Services& services = kestrel::services();
    services.messageBoxes = &boxes;
    services.settings = &settings;
    services.process = &process;
    services.programFolder = QCoreApplication::applicationDirPath();
    // An installed tree shared by every user: this user's databases, the
    // exchanges and the reports live in a tree of their own. Where nobody
    // watches (a scripted session or a soak), the reason it cannot be made is
    // printed rather than shown in a box nobody answers.
    // HELM32_SESSION=<folder>: an unattended session on the exchange given
    // (PBX1 by default) through the real automation path.
    const QString sessionFolder = qEnvironmentVariable("HELM32_SESSION");
    // HELM32_SOAK=<cycles> (with HELM32_SOAK_SEED=<n>): Get/Copy cycles
    // with random exchange faults, each checked against the exchange file.
    const int soakCycles = qEnvironmentVariableIntValue("HELM32_SOAK");
    kestrel::PrintingMessageBoxes printedBoxes;
    if (!sessionFolder.isEmpty() || soakCycles > 0)
        services.messageBoxes = &printedBoxes;
    services.starting = true;
    const bool ownTree = kestrel::UsePerUserTree(
        settings, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    services.starting = false;
    services.messageBoxes = &boxes;
    if (!ownTree)
        return 1;

    const QString addin =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../ADDINS/kestrel"));
    kestrel::Helm32Window window(QDir::cleanPath(addin));
    window.show();
    const QStringList args = QCoreApplication::arguments();
    if (soakCycles > 0) {
        qputenv("KESTREL_SESSION", "1");
        const QString exchange = args.size() > 1 ? args.at(1) : QStringLiteral("SOAK");
        // A fresh exchange each run: the checks start from the seed's data.
        QFile::remove(window.ExchangeFolder() + kestrel::SimulatedExchange::FileName(exchange));
        // The add-in's journal: its own data folder unless named.
        QString journal = qEnvironmentVariable("HELM32_SOAK_JOURNAL");
        if (journal.isEmpty()) {
            journal = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/Kestrel/journal.db");
        }
        bool seeded = false;
        const quint32 seed = qEnvironmentVariable("HELM32_SOAK_SEED").toUInt(&seeded);
        auto* soak = new kestrel::SoakSession(window.Launcher(), window.Model(), &window, exchange,
                                              QDir::tempPath(), window.ExchangeFolder(),
                                              window.ExchangeSeed(), journal, soakCycles,
                                              seeded ? seed : 1, &window);
        soak->Start();
        return QApplication::exec();
    }
    if (!sessionFolder.isEmpty()) {
        qputenv("KESTREL_SESSION", "1");
        auto* session = new kestrel::ScriptedSession(
            window.Launcher(), window.Model(), &window,
            args.size() > 1 ? args.at(1) : QStringLiteral("PBX1"), sessionFolder, &window);
        session->Start();
        return QApplication::exec();
    }
    if (args.size() > 1)
        window.OpenTrunkCopy(args.at(1));
    // HELM32_SCREENSHOT=<file>: once Trunk Copy is open, save the screen
    // (the host with the add-in over it) and end.
    const QString shot = qEnvironmentVariable("HELM32_SCREENSHOT");
    if (!shot.isEmpty()) {
        QObject::connect(&window.Launcher(), &kestrel::AddinLauncher::opened, &window, [&] {
            QTimer::singleShot(1500, &window, [&] {
                QScreen* screen = QGuiApplication::primaryScreen();
                QPixmap picture = screen ? screen->grabWindow(0) : QPixmap();
                if (picture.isNull() || QGuiApplication::platformName() == u"offscreen") {
                    picture = window.grab();
                }
                picture.save(shot);
                window.close();
                QApplication::quit();
            });
        });
    }
    return QApplication::exec();
}

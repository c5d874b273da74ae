#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/widgets/GuardedApplication.h"
#include "support/QtWarnings.h"

// Every test binary runs inside one QApplication on the offscreen platform,
// with standard paths and settings redirected away from the user's own. A
// Qt warning that no test declared fails the test that caused it.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Requests pause 1 ms before each answer's step instead of 100 (the add-in
    // processes the tests start inherit it): the tests wait for what they need.
    qputenv("KESTREL_STEP_INTERVAL_MS", "1");
    QStandardPaths::setTestModeEnabled(true);
    kestrel::GuardedApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    ::testing::InitGoogleTest(&argc, argv);
    kestrel::test::FailTestsOnQtWarnings();
    const int status = RUN_ALL_TESTS();
    qInstallMessageHandler(nullptr);  // what the ending application says is no test's
    return status;
}

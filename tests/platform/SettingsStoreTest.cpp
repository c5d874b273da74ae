#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <QFile>
#include <QSettings>

#include "platform/SettingsStore.h"

namespace kestrel {
namespace {

// The application's file (the test main points QSettings' user scope at a
// temporary folder), its section and key are read; a value as the engineer
// writes it into the file by hand, commas and quotes included, reads as
// written. Another section or application gives the default.
TEST(QSettingsStoreTest, ReadsSectionAndKeyOfTheApplicationAsWritten) {
    const struct {
        const char* line;
        const char* read;
    } cases[] = {
        {"/opt/suite/", "/opt/suite/"},
        {"/opt/Suite, test/", "/opt/Suite, test/"},
        {"/opt/a,b,c/", "/opt/a,b,c/"},
        {"\"/opt/quoted, too/\"", "/opt/quoted, too/"},
    };
    const QString file =
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("COMMAS")).fileName();
    const QSettingsStore store;
    for (const auto& c : cases) {
        QFile ini(file);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QByteArray("[29999]\nInstallPath=other\n[30000]\nInstallPath=") + c.line +
                  "\nOther=x\n");
        ini.close();
        EXPECT_EQ(store.Read(QStringLiteral("COMMAS"), QStringLiteral("30000"),
                             QStringLiteral("InstallPath"), QStringLiteral("NONE")),
                  QString::fromUtf8(c.read))
            << c.line;
    }
    EXPECT_EQ(store.Read(QStringLiteral("COMMAS"), QStringLiteral("NONE"),
                         QStringLiteral("InstallPath"), QStringLiteral("NONE")),
              QStringLiteral("NONE"));
    EXPECT_EQ(store.Read(QStringLiteral("OTHER"), QStringLiteral("30000"),
                         QStringLiteral("InstallPath"), QStringLiteral("\\")),
              QStringLiteral("\\"));
}

}  // namespace
}  // namespace kestrel

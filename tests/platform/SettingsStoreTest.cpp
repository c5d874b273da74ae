#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TableFiles.h"

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
        const char *line, *read;
    } cases[] = {{"/opt/suite/", "/opt/suite/"},
                 {"/opt/Suite, test/", "/opt/Suite, test/"},
                 {"/opt/a,b,c/", "/opt/a,b,c/"},
                 {"\"/opt/quoted, too/\"", "/opt/quoted, too/"}};
    const QString file =
        QSettings(QSettings::IniFormat, QSettings::UserScope, u"COMMAS"_s).fileName();
    const QSettingsStore store;
    for (const auto& c : cases) {
        QFile ini(file);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QByteArray("[29999]\nInstallPath=other\n[30000]\nInstallPath=") + c.line +
                  "\nOther=x\n");
        ini.close();
        EXPECT_EQ(store.Read(u"COMMAS"_s, u"30000"_s, u"InstallPath"_s, u"NONE"_s), Q(c.read))
            << c.line;
    }
    EXPECT_EQ(store.Read(u"COMMAS"_s, u"NONE"_s, u"InstallPath"_s, u"NONE"_s), u"NONE"_s);
    EXPECT_EQ(store.Read(u"OTHER"_s, u"30000"_s, u"InstallPath"_s, u"\\"_s), u"\\"_s);
}

}  // namespace
}  // namespace kestrel

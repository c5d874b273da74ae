#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <QSettings>

#include "platform/SettingsStore.h"

namespace kestrel {
namespace {

// The test main points QSettings' user scope at a temporary folder.
TEST(QSettingsStoreTest, ReadsSectionAndKeyOfTheApplication) {
    {
        QSettings writer(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("OPSHELM32"));
        writer.setValue(QStringLiteral("30000/InstallPath"), QStringLiteral("/opt/suite/"));
        writer.sync();
    }
    const QSettingsStore store;
    EXPECT_EQ(store.Read(QStringLiteral("OPSHELM32"), QStringLiteral("30000"),
                         QStringLiteral("InstallPath"), QStringLiteral("NONE")),
              QStringLiteral("/opt/suite/"));
    EXPECT_EQ(store.Read(QStringLiteral("OPSHELM32"), QStringLiteral("NONE"),
                         QStringLiteral("InstallPath"), QStringLiteral("NONE")),
              QStringLiteral("NONE"));
    EXPECT_EQ(store.Read(QStringLiteral("OTHER"), QStringLiteral("30000"),
                         QStringLiteral("InstallPath"), QStringLiteral("\\")),
              QStringLiteral("\\"));
}

}  // namespace
}  // namespace kestrel

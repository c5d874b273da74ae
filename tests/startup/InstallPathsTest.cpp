#include <gtest/gtest.h>

#include "platform/Services.h"
#include "startup/InstallPaths.h"
#include "support/RuntimeTree.h"
#include "support/TestDoubles.h"

namespace kestrel {
namespace {

struct Setting {
    const char* application;
    const char* section;
    const char* key;
    const char* value;
};

struct PathCase {
    const char* name;
    const char* programFolder;
    std::vector<Setting> settings;
    const char* module;
    const char* kind;
    const char* expected;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

class InstallPathTest : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override { test::ResetProcessState(); }
    void TearDown() override { test::ResetProcessState(); }
};

TEST_P(InstallPathTest, Resolves) {
    const PathCase& c = GetParam();
    test::MapSettingsStore store;
    for (const Setting& s : c.settings) {
        store.Set(QString::fromUtf8(s.application), QString::fromUtf8(s.section),
                  QString::fromUtf8(s.key), QString::fromUtf8(s.value));
    }
    services().settings = &store;
    services().programFolder = QString::fromUtf8(c.programFolder);
    EXPECT_EQ(GetInstallPath(QString::fromUtf8(c.module), QString::fromUtf8(c.kind)),
              QString::fromUtf8(c.expected));
}

const char* const kAddins = "/srv/x/OpsHelm32/30000/Addins";
const char* const kHelm = "/srv/x/OpsHelm32/30000/Helm32";
const std::vector<Setting> kSuiteAt = {{"OPSHELM32", "30000", "InstallPath", "/opt/app/"}};

INSTANTIATE_TEST_SUITE_P(
    Rules, InstallPathTest,
    ::testing::Values(
        PathCase{"HelpWithoutSetting",
                 kAddins,
                 {},
                 "Addins",
                 "Help",
                 "/SRV/X/OPSHELM32/30000/ADDINS/HELP/"},
        PathCase{"DatabaseWithoutSetting",
                 kAddins,
                 {},
                 "Addins",
                 "DataBase",
                 "/SRV/X/OPSHELM32/30000/ADDINS/DATABASE/"},
        PathCase{"ReportWithoutSetting",
                 kAddins,
                 {},
                 "ADDINS",
                 "Report",
                 "/SRV/X/OPSHELM32/30000/ADDINS/REPORT/"},
        PathCase{"SuiteDbWithoutSetting",
                 kAddins,
                 {},
                 "Addins",
                 "RegDBofHelm32",
                 "/SRV/X/OPSHELM32/30000/ADDINS/../HELM32/DATABASE/"},
        PathCase{"BackgroundsWithoutSetting",
                 kAddins,
                 {},
                 "Addins",
                 "BackGrnd",
                 "/SRV/X/OPSHELM32/30000/ADDINS/../BACKGRND/"},
        PathCase{"MeWithoutSetting", kAddins, {}, "Addins", "Me", "/SRV/X/OPSHELM32/30000/ADDINS/"},
        PathCase{"ReaderOnlyForHelm32", kAddins, {}, "Addins", "ACROBATRD", "30000"},
        PathCase{"DatabaseWithSetting", kAddins, kSuiteAt, "Addins", "Database",
                 "/OPT/APP/ADDINS/DATABASE/"},
        PathCase{"SuiteDbWithSetting", kAddins, kSuiteAt, "Addins", "REGDBOFHELM32",
                 "/OPT/APP/ADDINS/../HELM32/DATABASE/"},
        PathCase{"BackgroundsWithSetting", kAddins, kSuiteAt, "Addins", "BackGrnd",
                 "/OPT/APP/ADDINS/../BACKGRND/"},
        PathCase{"Helm32SuiteDbWithSetting", kHelm, kSuiteAt, "Helm32", "RegDBofHelm32",
                 "/OPT/APP/HELM32/DATABASE/"},
        PathCase{"Helm32ReaderWithSetting", kHelm, kSuiteAt, "Helm32", "AcrobatRd",
                 "/OPT/APP/HELM32/READER/"},
        // Outside the layout the section is "NONE": the setting is not found.
        PathCase{"FolderOffLayoutIgnoresSetting", "/usr/local/bin", kSuiteAt, "Addins", "Help",
                 "/USR/LOCAL/BIN/HELP/"},
        PathCase{"SettingOfAnotherVersionIgnored", "/srv/x/OpsHelm32/31000/Addins", kSuiteAt,
                 "Addins", "Database", "/SRV/X/OPSHELM32/31000/ADDINS/DATABASE/"},
        PathCase{"OtherKindThroughItsOwnApplication",
                 kAddins,
                 {{"OPSHELM32", "30000", "Printer", "12000"},
                  {"Printer", "12000", "InstallPath", "/opt/printer/"}},
                 "Addins",
                 "Printer",
                 "/OPT/PRINTER/"},
        PathCase{"OtherKindWithoutFiveCharacters",
                 kAddins,
                 {{"OPSHELM32", "30000", "Printer", "1200"}},
                 "Addins",
                 "Printer",
                 "/SRV/X/OPSHELM32/30000/ADDINS/"},
        PathCase{"OtherKindWithoutInstallPath",
                 kAddins,
                 {{"OPSHELM32", "30000", "Printer", "12000"}},
                 "Addins",
                 "Printer",
                 "/"},
        PathCase{"OtherModuleKeepsStoredBase",
                 "/srv/TOOLS/12345",
                 {{"TOOLS", "12345", "InstallPath", "/opt/tools/"}},
                 "Tools",
                 "Help",
                 "/OPT/TOOLS/HELP/"}),
    [](const auto& instance) { return std::string(instance.param.name); });

struct VersionCase {
    const char* folder;
    const char* module;
    const char* expected;
};

TEST(GetVersionFolderTest, ReadsTheLayout) {
    const VersionCase cases[] = {
        {"/srv/x/OPSHELM32/30000/ADDINS", "Addins", "30000"},
        {"/srv/x/opshelm32/21000/addins", "ADDINS", "21000"},
        {"/srv/x/OPSHELM32/30000/ADDINS", "Helm32", "NONE"},
        {"/srv/x/OPSHELM32/30000/HELM32", "helm32", "30000"},
        {"/srv/x/OTHERSUITE/30000/ADDINS", "Addins", "NONE"},
        {"ADDINS", "Addins", "NONE"},
        {"/srv/TOOLS/12345", "Tools", "12345"},
        {"/srv/TOOLS/12345", "Tool", "NONE"},
    };
    test::ResetProcessState();
    for (const VersionCase& c : cases) {
        services().programFolder = QString::fromUtf8(c.folder);
        EXPECT_EQ(GetVersionFolder(QString::fromUtf8(c.module)), QString::fromUtf8(c.expected))
            << c.folder << " " << c.module;
    }
    test::ResetProcessState();
}

}  // namespace
}  // namespace kestrel

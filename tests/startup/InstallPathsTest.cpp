#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/InstallPaths.h"
#include "startup/UserTree.h"
#include "startup/WorkingCopy.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/TestDoubles.h"

namespace kestrel {
namespace {

struct Setting {
    const char* application;
    const char* section;
    const char* key;
    const char* value;
};

const char* const kAddins = "/srv/x/OpsHelm32/30000/Addins";
const char* const kHelm = "/srv/x/OpsHelm32/30000/Helm32";
const std::vector<Setting> kNone;
const std::vector<Setting> kSuiteAt = {{"OPSHELM32", "30000", "InstallPath", "/opt/app/"}};
const std::vector<Setting> kPrinterAt = {{"OPSHELM32", "30000", "Printer", "12000"},
                                         {"Printer", "12000", "InstallPath", "/opt/printer/"}};
const std::vector<Setting> kPrinterShort = {{"OPSHELM32", "30000", "Printer", "1200"}};
const std::vector<Setting> kPrinterNoPath = {{"OPSHELM32", "30000", "Printer", "12000"}};
const std::vector<Setting> kToolsAt = {{"TOOLS", "12345", "InstallPath", "/opt/tools/"}};

TEST(InstallPathTest, FollowsTheLayoutAndTheSettings) {
    const struct {
        const char* programFolder;
        const std::vector<Setting>& settings;
        const char* module;
        const char* kind;
        const char* expected;
    } cases[] = {
        // Without a setting; the reader only for helm32.
        {kAddins, kNone, "Addins", "Help", "/SRV/X/OPSHELM32/30000/ADDINS/HELP/"},
        {kAddins, kNone, "Addins", "DataBase", "/SRV/X/OPSHELM32/30000/ADDINS/DATABASE/"},
        {kAddins, kNone, "ADDINS", "Report", "/SRV/X/OPSHELM32/30000/ADDINS/REPORT/"},
        {kAddins, kNone, "Addins", "RegDBofHelm32",
         "/SRV/X/OPSHELM32/30000/ADDINS/../HELM32/DATABASE/"},
        {kAddins, kNone, "Addins", "BackGrnd", "/SRV/X/OPSHELM32/30000/ADDINS/../BACKGRND/"},
        {kAddins, kNone, "Addins", "Me", "/SRV/X/OPSHELM32/30000/ADDINS/"},
        {kAddins, kNone, "Addins", "ACROBATRD", "30000"},
        // With the suite's setting.
        {kAddins, kSuiteAt, "Addins", "Database", "/OPT/APP/ADDINS/DATABASE/"},
        {kAddins, kSuiteAt, "Addins", "REGDBOFHELM32", "/OPT/APP/ADDINS/../HELM32/DATABASE/"},
        {kAddins, kSuiteAt, "Addins", "BackGrnd", "/OPT/APP/ADDINS/../BACKGRND/"},
        {kHelm, kSuiteAt, "Helm32", "RegDBofHelm32", "/OPT/APP/HELM32/DATABASE/"},
        {kHelm, kSuiteAt, "Helm32", "AcrobatRd", "/OPT/APP/HELM32/READER/"},
        // Outside the layout the section is "NONE": the setting is not found.
        {"/usr/local/bin", kSuiteAt, "Addins", "Help", "/USR/LOCAL/BIN/HELP/"},
        {"/srv/x/OpsHelm32/31000/Addins", kSuiteAt, "Addins", "Database",
         "/SRV/X/OPSHELM32/31000/ADDINS/DATABASE/"},
        // Another kind through its own application; without five characters or
        // without its install path. Another module keeps its stored base.
        {kAddins, kPrinterAt, "Addins", "Printer", "/OPT/PRINTER/"},
        {kAddins, kPrinterShort, "Addins", "Printer", "/SRV/X/OPSHELM32/30000/ADDINS/"},
        {kAddins, kPrinterNoPath, "Addins", "Printer", "/"},
        {"/srv/TOOLS/12345", kToolsAt, "Tools", "Help", "/OPT/TOOLS/HELP/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        test::ResetProcessState();
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
    test::ResetProcessState();
}

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

// An installed tree shared by its users, and the user's own tree beside it.
class UserTreeTest : public ::testing::Test {
protected:
    QString Installed() const { return tree_.Root() + QStringLiteral("/OPSHELM32/30000"); }
    QString Data() const { return tree_.Root() + QStringLiteral("/home/.local/share"); }
    QString Own() const { return Data() + QStringLiteral("/OPSHELM32/30000"); }
    void MarkShared() const {
        QFile marker(Installed() + u'/' + SharedTreeMarker());
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    }
    static qlonglong Counter(const QString& serial) {
        return test::SqlValue(*Database::Open(serial, true),
                              "SELECT SerialCounter FROM SerialTable WHERE Addin = 'KESTREL'")
            .toLongLong();
    }

    test::RuntimeTree tree_;
};

// Run as root, the install test covers this with a tree nobody can write.
TEST_F(UserTreeTest, SharedWhenTheUserCannotWriteADatabaseFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "an administrator writes every folder";
    for (const char* folder : {"/HELM32/DATABASE", "/ADDINS/DATABASE"}) {
        const QString path = Installed() + QString::fromUtf8(folder);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_TRUE(IsSharedTree(Installed())) << folder;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_FALSE(IsSharedTree(Installed()));
}

// A tree is shared by its marker; the mirror leaves the marker out.
TEST_F(UserTreeTest, MirrorsWithOwnFoldersCopiesAndLinks) {
    EXPECT_FALSE(IsSharedTree(Installed()));
    MarkShared();
    EXPECT_TRUE(IsSharedTree(Installed()));
    MirrorTree(Installed(), Own());
    enum Kind { Folder, Copy, Link };
    const struct {
        const char* path;
        Kind kind;
    } expected[] = {
        {"ADDINS", Folder},
        {"ADDINS/DATABASE", Folder},
        {"HELM32", Folder},
        {"HELM32/DATABASE", Folder},
        {"ADDINS/DATABASE/Serial.MDB", Copy},
        {"HELM32/DATABASE/Register.mdb", Copy},
        {"ADDINS/DATABASE/KESTREL.MDB", Link},
        {"ADDINS/DATABASE/Kestrel.lng", Link},
        {"ADDINS/DATABASE/LANGUAGES", Link},
        {"ADDINS/HELP", Link},
        {"ADDINS/REPORT", Link},
        {"HELM32/DATABASE/Common.LNG", Link},
        {"HELM32/DATABASE/Exchange.seed", Link},
        {"BACKGRND", Link},
    };
    for (const auto& e : expected) {
        const QString own = Own() + u'/' + QString::fromUtf8(e.path);
        const QFileInfo info(own);
        ASSERT_TRUE(info.exists()) << e.path;
        EXPECT_EQ(info.isSymLink(), e.kind == Link) << e.path;
        if (e.kind == Link) {
            EXPECT_EQ(info.symLinkTarget(), Installed() + u'/' + QString::fromUtf8(e.path))
                << e.path;
        } else {
            EXPECT_EQ(info.isDir(), e.kind == Folder) << e.path;
            EXPECT_TRUE(info.isWritable()) << e.path;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(Own() + u'/' + SharedTreeMarker()));
}

TEST_F(UserTreeTest, RenewsLinksAndKeepsWhatIsTheUsers) {
    MirrorTree(Installed(), Own());
    const QString serial = Own() + QStringLiteral("/ADDINS/DATABASE/Serial.MDB");
    tree_.Sql(serial, QStringLiteral("UPDATE SerialTable SET SerialCounter = 41"));
    const QString lng = Own() + QStringLiteral("/ADDINS/DATABASE/Kestrel.lng");
    ASSERT_TRUE(QFile::remove(lng));
    ASSERT_TRUE(QFile::copy(
        Installed() + QStringLiteral("/ADDINS/DATABASE/LANGUAGES/DE/Kestrel.lng"), lng));
    const QString help = Own() + QStringLiteral("/ADDINS/HELP");
    ASSERT_TRUE(QFile::remove(help));
    ASSERT_TRUE(QFile::link(tree_.Root(), help));
    const QString gone = Own() + QStringLiteral("/ADDINS/DATABASE/Old.lng");
    ASSERT_TRUE(QFile::link(Installed() + QStringLiteral("/ADDINS/DATABASE/Old.lng"), gone));
    QFile added(Installed() + QStringLiteral("/ADDINS/DATABASE/Added.lng"));
    ASSERT_TRUE(added.open(QIODevice::WriteOnly));
    added.close();

    MirrorTree(Installed(), Own());

    EXPECT_EQ(Counter(serial), 41) << "the user's counter is kept";
    EXPECT_FALSE(QFileInfo(lng).isSymLink()) << "the user's own language database stays";
    EXPECT_EQ(QFileInfo(help).symLinkTarget(), Installed() + QStringLiteral("/ADDINS/HELP"));
    EXPECT_FALSE(QFileInfo(gone).isSymLink()) << "a link that leads nowhere is removed";
    EXPECT_EQ(QFileInfo(Own() + QStringLiteral("/ADDINS/DATABASE/Added.lng")).symLinkTarget(),
              added.fileName());
}

TEST_F(UserTreeTest, ANewWorkingCopyLeavesTheInstalledTreeAlone) {
    MirrorTree(Installed(), Own());
    const QString installedSerial = Installed() + QStringLiteral("/ADDINS/DATABASE/Serial.MDB");
    const qlonglong before = Counter(installedSerial);
    const QString folder = Own() + QStringLiteral("/ADDINS/DATABASE/");
    const QString name =
        MakeWorkingCopy(QStringLiteral("KESTREL"), folder, QStringLiteral("KESTREL"));
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(QFileInfo(folder + name).isFile());
    EXPECT_FALSE(QFileInfo(folder + name).isSymLink());
    EXPECT_EQ(Counter(folder + QStringLiteral("Serial.MDB")), (before + 1) % 10000);
    EXPECT_EQ(Counter(installedSerial), before);
    EXPECT_FALSE(QFileInfo::exists(Installed() + QStringLiteral("/ADDINS/DATABASE/") + name));
}

TEST_F(UserTreeTest, AFolderThatCannotBeMadeIsNamed) {
    QFile file(tree_.Root() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString below = file.fileName() + QStringLiteral("/OPSHELM32/30000");
    try {
        MirrorTree(Installed(), below);
        FAIL() << "a tree below a file was made";
    } catch (const RunError& e) {
        EXPECT_EQ(e.Number(), err::kPathNotFound);
        EXPECT_TRUE(e.Description().contains(below)) << e.Description().toStdString();
    }
    EXPECT_THROW(MirrorTree(tree_.Root() + QStringLiteral("/none"), Own()), RunError);
}

TEST_F(UserTreeTest, SettingsDefaultTheSuiteInstallPathOnly) {
    UserTreeSettings settings(tree_.settings);
    const QString none = QStringLiteral("NONE");
    const QString path = QStringLiteral("/home/u/OPSHELM32/30000/");
    EXPECT_EQ(settings.Read(QStringLiteral("OPSHELM32"), QStringLiteral("30000"),
                            QStringLiteral("InstallPath"), none),
              none);
    settings.SetInstallPathDefault(QStringLiteral("30000"), path);
    const struct {
        const char* application;
        const char* section;
        const char* key;
        bool userTree;
    } cases[] = {
        {"OPSHELM32", "30000", "InstallPath", true},  {"opshelm32", "30000", "installpath", true},
        {"OPSHELM32", "21000", "InstallPath", false}, {"OPSHELM32", "30000", "Printer", false},
        {"TOOLS", "30000", "InstallPath", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings.Read(QString::fromUtf8(c.application), QString::fromUtf8(c.section),
                                QString::fromUtf8(c.key), none),
                  c.userTree ? path : none)
            << c.application << " " << c.section << " " << c.key;
    }
    tree_.settings.Set(QStringLiteral("OPSHELM32"), QStringLiteral("30000"),
                       QStringLiteral("InstallPath"), QStringLiteral("/opt/app/"));
    EXPECT_EQ(settings.Read(QStringLiteral("OPSHELM32"), QStringLiteral("30000"),
                            QStringLiteral("InstallPath"), none),
              QStringLiteral("/opt/app/"));
}

TEST_F(UserTreeTest, AProgramOfASharedTreeWorksInTheUsersTree) {
    UserTreeSettings settings(tree_.settings);
    services().settings = &settings;
    const QString own = tree_.DatabaseDir().toUpper();
    ASSERT_TRUE(UsePerUserTree(settings, Data()));
    EXPECT_EQ(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")), own)
        << "a tree of its own is worked in";
    EXPECT_FALSE(QFileInfo::exists(Own()));

    MarkShared();
    ASSERT_TRUE(UsePerUserTree(settings, Data()));
    EXPECT_EQ(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")),
              (Own() + QStringLiteral("/ADDINS/DATABASE/")).toUpper());
    services().programFolder = Installed() + QStringLiteral("/HELM32");
    EXPECT_EQ(GetInstallPath(QStringLiteral("HELM32"), QStringLiteral("RegDBofHelm32")),
              (Own() + QStringLiteral("/HELM32/DATABASE/")).toUpper());
    EXPECT_TRUE(QFileInfo(Own() + QStringLiteral("/HELM32/DATABASE/Register.mdb")).isFile());
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(UserTreeTest, TheUsersSettingWinsOverTheUsersTree) {
    MarkShared();
    tree_.settings.Set(QStringLiteral("OPSHELM32"), QStringLiteral("30000"),
                       QStringLiteral("InstallPath"), QStringLiteral("/opt/app/"));
    UserTreeSettings settings(tree_.settings);
    services().settings = &settings;
    ASSERT_TRUE(UsePerUserTree(settings, Data()));
    EXPECT_EQ(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")),
              QStringLiteral("/OPT/APP/ADDINS/DATABASE/"));
    EXPECT_FALSE(QFileInfo::exists(Own()));
}

TEST_F(UserTreeTest, AUserTreeThatCannotBeMadeEndsTheStartWithItsReason) {
    MarkShared();
    UserTreeSettings settings(tree_.settings);
    services().settings = &settings;
    for (const QString& data : {QString(), tree_.DatabaseDir() + QStringLiteral("Serial.MDB")}) {
        tree_.boxes.shown.clear();
        EXPECT_FALSE(UsePerUserTree(settings, data)) << data.toStdString();
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_EQ(tree_.boxes.shown[0].title.value_or(QString()),
                  QStringLiteral("System Fatal Notice"));
        EXPECT_TRUE(tree_.boxes.shown[0].prompt.startsWith(
            QStringLiteral("This user's runtime tree could not be made")))
            << tree_.boxes.shown[0].prompt.toStdString();
    }
    EXPECT_EQ(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Database")),
              tree_.DatabaseDir().toUpper());
}

}  // namespace
}  // namespace kestrel

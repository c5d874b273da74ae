#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <functional>
#include <optional>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "startup/InstallPaths.h"
#include "startup/UserTree.h"
#include "startup/WorkingCopy.h"
#include "support/FileLimits.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"
#include "support/TestDoubles.h"

namespace kestrel {
namespace {

struct Setting {
    const char *application, *section, *key, *value;
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
const std::vector<Setting> kOldAt = {{"OPSHELM32", "21000", "InstallPath", "/opt/old/"}};
const std::vector<Setting> kToolAt = {{"TOOL", "12345", "InstallPath", "/opt/wrong/"}};

TEST(InstallPathTest, FollowsTheLayoutAndTheSettings) {
    const struct {
        const char* programFolder;
        const std::vector<Setting>& settings;
        const char *module, *kind, *expected;
    } cases[] = {
        // Without a setting; the reader only for helm32.
        {kAddins, kNone, "Addins", "Help", "/SRV/X/OPSHELM32/30000/ADDINS/HELP/"},
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
        // Outside the layout (another suite, another module's folder, too short
        // a path) the section is "NONE": the setting is not found.
        {"/usr/local/bin", kSuiteAt, "Addins", "Help", "/USR/LOCAL/BIN/HELP/"},
        {"/srv/x/OpsHelm32/31000/Addins", kSuiteAt, "Addins", "Database",
         "/SRV/X/OPSHELM32/31000/ADDINS/DATABASE/"},
        {"/srv/x/OTHERSUITE/30000/ADDINS", kSuiteAt, "Addins", "Help",
         "/SRV/X/OTHERSUITE/30000/ADDINS/HELP/"},
        {"ADDINS", kSuiteAt, "Addins", "Help", "ADDINS/HELP/"},
        {kAddins, kSuiteAt, "Helm32", "Help", "/SRV/X/OPSHELM32/30000/ADDINS/HELP/"},
        {"/srv/TOOLS/12345", kToolAt, "Tool", "Help", "/SRV/TOOLS/12345/HELP/"},
        // The version folder is read whatever the case of the layout.
        {"/srv/x/opshelm32/21000/addins", kOldAt, "ADDINS", "Database",
         "/OPT/OLD/ADDINS/DATABASE/"},
        // Another kind through its own application; without five characters or
        // without its install path. Another module keeps its stored base.
        {kAddins, kPrinterAt, "Addins", "Printer", "/OPT/PRINTER/"},
        {kAddins, kPrinterShort, "Addins", "Printer", "/SRV/X/OPSHELM32/30000/ADDINS/"},
        {kAddins, kPrinterNoPath, "Addins", "Printer", "/"},
        {"/srv/TOOLS/12345", kToolsAt, "Tools", "Help", "/OPT/TOOLS/HELP/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        test::ResetProcessState();
        test::MapSettingsStore store;
        for (const Setting& s : c.settings)
            store.Set(Q(s.application), Q(s.section), Q(s.key), Q(s.value));
        services().settings = &store;
        services().programFolder = Q(c.programFolder);
        EXPECT_EQ(GetInstallPath(Q(c.module), Q(c.kind)), Q(c.expected));
    }
    test::ResetProcessState();
}

// An installed tree shared by its users, and the user's own tree beside it.
class UserTreeTest : public ::testing::Test {
protected:
    QString Installed() const { return tree_.Root() + u"/OPSHELM32/30000"_s; }
    QString Data() const { return tree_.Root() + u"/home/.local/share"_s; }
    QString Own() const { return Data() + u"/OPSHELM32/30000"_s; }
    void MarkShared() const {
        ASSERT_TRUE(test::WriteFile(Installed() + u'/' + SharedTreeMarker(), {}));
    }
    void SetUp() override { services().settings = &settings_; }

    test::RuntimeTree tree_;
    UserTreeSettings settings_{tree_.settings};
};

// A tree is shared by its marker; the mirror leaves the marker out.
TEST_F(UserTreeTest, MirrorsWithOwnFoldersCopiesAndLinks) {
    EXPECT_FALSE(IsSharedTree(Installed()));
    MarkShared();
    EXPECT_TRUE(IsSharedTree(Installed()));
    MirrorTree(Installed(), Own());
    // Folders and copies of the user's own, writable; links to the installed tree.
    const auto kind = [this](const QString& path) {
        const QFileInfo info(Own() + u'/' + path);
        if (info.isSymLink())
            return info.symLinkTarget() == Installed() + u'/' + path ? "link" : "stray link";
        if (!info.exists() || !info.isWritable())
            return "missing or read-only";
        return info.isDir() ? "folder" : "copy";
    };
    const std::pair<const char*, const char*> expected[] = {
        {"folder", "ADDINS ADDINS/DATABASE HELM32 HELM32/DATABASE"},
        {"copy", "ADDINS/DATABASE/Serial.MDB HELM32/DATABASE/Register.mdb"},
        {"link",
         "ADDINS/DATABASE/KESTREL.MDB ADDINS/DATABASE/Kestrel.lng ADDINS/DATABASE/LANGUAGES "
         "ADDINS/HELP ADDINS/REPORT HELM32/DATABASE/Common.LNG HELM32/DATABASE/Exchange.seed "
         "BACKGRND"}};
    for (const auto& [want, paths] : expected) {
        for (const QString& path : Q(paths).split(u' '))
            EXPECT_STREQ(kind(path), want) << path.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(Own() + u'/' + SharedTreeMarker()));
}

TEST_F(UserTreeTest, RenewsLinksAndKeepsWhatIsTheUsers) {
    MirrorTree(Installed(), Own());
    const QString serial = Own() + u"/ADDINS/DATABASE/Serial.MDB"_s;
    tree_.Sql(serial, u"UPDATE SerialTable SET SerialCounter = 41"_s);
    const QString lng = Own() + u"/ADDINS/DATABASE/Kestrel.lng"_s;
    ASSERT_TRUE(QFile::remove(lng));
    ASSERT_TRUE(QFile::copy(Installed() + u"/ADDINS/DATABASE/LANGUAGES/DE/Kestrel.lng"_s, lng));
    const QString help = Own() + u"/ADDINS/HELP"_s;
    ASSERT_TRUE(QFile::remove(help));
    ASSERT_TRUE(QFile::link(tree_.Root(), help));
    const QString gone = Own() + u"/ADDINS/DATABASE/Old.lng"_s;
    ASSERT_TRUE(QFile::link(Installed() + u"/ADDINS/DATABASE/Old.lng"_s, gone));
    const QString added = Installed() + u"/ADDINS/DATABASE/Added.lng"_s;
    ASSERT_TRUE(test::WriteFile(added, {}));

    MirrorTree(Installed(), Own());

    EXPECT_EQ(test::StoredCounter(serial), 41) << "the user's counter is kept";
    EXPECT_FALSE(QFileInfo(lng).isSymLink()) << "the user's own language database stays";
    EXPECT_EQ(QFileInfo(help).symLinkTarget(), Installed() + u"/ADDINS/HELP"_s);
    EXPECT_FALSE(QFileInfo(gone).isSymLink()) << "a link that leads nowhere is removed";
    EXPECT_EQ(QFileInfo(Own() + u"/ADDINS/DATABASE/Added.lng"_s).symLinkTarget(), added);
}

TEST_F(UserTreeTest, SettingsDefaultTheSuiteInstallPathOnly) {
    const QString none = u"NONE"_s;
    const QString path = u"/home/u/OPSHELM32/30000/"_s;
    settings_.SetInstallPathDefault(u"30000"_s, path);
    const struct {
        const char *application, *section, *key;
        bool userTree;
    } cases[] = {{"OPSHELM32", "30000", "InstallPath", true},
                 {"opshelm32", "30000", "installpath", true},
                 {"OPSHELM32", "21000", "InstallPath", false},
                 {"OPSHELM32", "30000", "Printer", false},
                 {"TOOLS", "30000", "InstallPath", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(settings_.Read(Q(c.application), Q(c.section), Q(c.key), none),
                  c.userTree ? path : none)
            << c.application << " " << c.section << " " << c.key;
    }
}

// A program of a shared tree works in the user's mirror, and its working
// copies leave the installed tree alone.
TEST_F(UserTreeTest, AProgramOfASharedTreeWorksInTheUsersTree) {
    const QString own = tree_.DatabaseDir().toUpper();
    ASSERT_TRUE(UsePerUserTree(settings_, Data()));
    EXPECT_EQ(GetInstallPath(u"Addins"_s, u"Database"_s), own) << "a tree of its own is worked in";
    EXPECT_FALSE(QFileInfo::exists(Own()));

    MarkShared();
    ASSERT_TRUE(UsePerUserTree(settings_, Data()));
    EXPECT_EQ(GetInstallPath(u"Addins"_s, u"Database"_s),
              (Own() + u"/ADDINS/DATABASE/"_s).toUpper());
    services().programFolder = Installed() + u"/HELM32"_s;
    EXPECT_EQ(GetInstallPath(u"HELM32"_s, u"RegDBofHelm32"_s),
              (Own() + u"/HELM32/DATABASE/"_s).toUpper());
    EXPECT_TRUE(QFileInfo(Own() + u"/HELM32/DATABASE/Register.mdb"_s).isFile());
    EXPECT_TRUE(tree_.boxes.shown.empty());

    const QString installedSerial = Installed() + u"/ADDINS/DATABASE/Serial.MDB"_s;
    const qlonglong before = test::StoredCounter(installedSerial);
    const QString folder = Own() + u"/ADDINS/DATABASE/"_s;
    const QString name = MakeWorkingCopy(u"KESTREL"_s, folder, u"KESTREL"_s);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(QFileInfo(folder + name).isFile() && !QFileInfo(folder + name).isSymLink());
    EXPECT_EQ(test::StoredCounter(folder + u"Serial.MDB"_s), (before + 1) % 10000);
    EXPECT_EQ(test::StoredCounter(installedSerial), before);
    EXPECT_FALSE(QFileInfo::exists(Installed() + u"/ADDINS/DATABASE/"_s + name));
}

TEST_F(UserTreeTest, TheUsersSettingWinsOverTheUsersTree) {
    MarkShared();
    tree_.settings.Set(u"OPSHELM32"_s, u"30000"_s, u"InstallPath"_s, u"/opt/app/"_s);
    ASSERT_TRUE(UsePerUserTree(settings_, Data()));
    EXPECT_EQ(GetInstallPath(u"Addins"_s, u"Database"_s), u"/OPT/APP/ADDINS/DATABASE/"_s);
    EXPECT_FALSE(QFileInfo::exists(Own()));
}

// Without a data folder, or with one below a file, the start ends with the
// fatal notice naming the folder that cannot be made.
TEST_F(UserTreeTest, AUserTreeThatCannotBeMadeEndsTheStartWithItsReason) {
    MarkShared();
    const QString file = tree_.DatabaseDir() + u"Serial.MDB"_s;
    for (const QString& data : {QString(), file}) {
        tree_.boxes.shown.clear();
        EXPECT_FALSE(UsePerUserTree(settings_, data)) << data.toStdString();
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const MessageBoxRequest& box = tree_.boxes.Last();
        EXPECT_EQ(box.title.value_or(QString()), u"System Fatal Notice"_s);
        EXPECT_TRUE(box.prompt.startsWith(u"This user's runtime tree could not be made"_s) &&
                    box.prompt.endsWith(u" [76]"_s) &&
                    box.prompt.contains(file + u"/OPSHELM32/30000"_s) == !data.isEmpty())
            << box.prompt.toStdString();
    }
    EXPECT_EQ(GetInstallPath(u"Addins"_s, u"Database"_s), tree_.DatabaseDir().toUpper());
    EXPECT_THROW(MirrorTree(tree_.Root() + u"/none"_s, Own()), RunError);
}

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
        ASSERT_TRUE(
            test::WriteFile(file, QByteArray("[29999]\nInstallPath=other\n[30000]\nInstallPath=") +
                                      c.line + "\nOther=x\n"));
        EXPECT_EQ(store.Read(u"COMMAS"_s, u"30000"_s, u"InstallPath"_s, u"NONE"_s), Q(c.read))
            << c.line;
    }
    EXPECT_EQ(store.Read(u"COMMAS"_s, u"NONE"_s, u"InstallPath"_s, u"NONE"_s), u"NONE"_s);
    EXPECT_EQ(store.Read(u"OTHER"_s, u"30000"_s, u"InstallPath"_s, u"\\"_s), u"\\"_s);
}

class WorkingCopyTest : public ::testing::Test {
protected:
    QString Serial() const { return tree_.DatabaseDir() + u"Serial.MDB"_s; }
    QString Template() const { return tree_.DatabaseDir() + u"KESTREL.MDB"_s; }
    QString Copy(int n) const { return tree_.DatabaseDir() + u"KESTREL%1.MDB"_s.arg(n); }
    void SetCounter(int n) {
        tree_.Sql(Serial(), u"UPDATE SerialTable SET SerialCounter = %1"_s.arg(n));
    }
    // Makes a copy as the add-in asked by `addin`; the test's end removes it.
    QString Make(const QString& addin = u"KESTREL"_s, const QString& templateFile = QString()) {
        const QString name =
            MakeWorkingCopy(addin, tree_.DatabaseDir(), u"KESTREL"_s, templateFile);
        if (!name.isEmpty())
            made_ << name;
        return name;
    }
    void Put(const QString& name, const QByteArray& content = "left behind") {
        ASSERT_TRUE(test::WriteFile(tree_.DatabaseDir() + name, content));
    }
    void TearDown() override {
        for (const QString& name : made_)
            RemoveWorkingCopy(tree_.DatabaseDir(), name);
    }

    test::RuntimeTree tree_;
    QStringList made_;
};

// The number follows the counter and wraps at 9999; a copy another
// instance holds is passed over, and every number tried is stored; a stale
// read-only copy is reset and overwritten. A language's own template is
// copied in place of KESTREL.MDB, beside which the copy is made all the same.
// The counter row is found whatever the case of its key, stored or asked,
// and keeps the key as stored.
TEST_F(WorkingCopyTest, NumbersFollowTheCounterAndTheCopyHoldsTheCatalogue) {
    const struct {
        const char *key, *asked;  // the counter row's key, and the add-in that asks
        int counter;
        const char* before;  // what the folder holds beforehand
        const char* name;
        int stored;
        const char* firstTitle;
    } cases[] = {
        {"KESTREL", "KESTREL", 41, "", "KESTREL42.MDB", 42, "Trunk route"},
        {"KESTREL", "KESTREL", 9999, "", "KESTREL0.MDB", 0, "Trunk route"},
        {"KESTREL", "KESTREL", 5, "copy 6 held", "KESTREL7.MDB", 7, "Trunk route"},
        {"KESTREL", "KESTREL", 5, "copy 6 read-only", "KESTREL6.MDB", 6, "Trunk route"},
        {"KESTREL", "KESTREL", 7, "LANGUAGES/DE/KESTREL.MDB", "KESTREL8.MDB", 8, "Leitungsbündel"},
        {"Kestrel", "KESTREL", 300, "", "KESTREL301.MDB", 301, "Trunk route"},
        {"KESTREL", "kestrel", 310, "", "KESTREL311.MDB", 311, "Trunk route"},
        {"kEsTrEl", "Kestrel", 320, "", "KESTREL321.MDB", 321, "Trunk route"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.Sql(Serial(),
                  u"UPDATE SerialTable SET Addin = '%1', SerialCounter = %2"_s.arg(Q(c.key)).arg(
                      c.counter));
        const QString before = Q(c.before);
        std::optional<FileLock> otherInstance;
        if (before == u"copy 6 held") {
            ASSERT_TRUE(QFile::copy(Template(), Copy(6)));
            otherInstance = TryLockFile(Copy(6));
            ASSERT_TRUE(otherInstance->Held());
        } else if (before == u"copy 6 read-only") {
            ASSERT_TRUE(test::WriteFile(Copy(6), "left by a killed instance"));
            QFile::setPermissions(Copy(6), QFile::ReadOwner);
        }
        const QString languageTemplate =
            before.endsWith(u".MDB") ? tree_.DatabaseDir() + before : QString();
        EXPECT_EQ(Make(Q(c.asked), languageTemplate), Q(c.name));
        EXPECT_EQ(test::SqlRows(*Database::Open(Serial(), true),
                                "SELECT Addin, SerialCounter FROM SerialTable"),
                  QStringList{u"%1=%2"_s.arg(Q(c.key)).arg(c.stored)});
        auto work = OpenWorkingDb(tree_.DatabaseDir(), Q(c.name));
        ASSERT_NE(work, nullptr);
        EXPECT_EQ(test::SqlValue(*work, "SELECT Description FROM CMD30Titles WHERE CMD = '3001'"),
                  Q(c.firstTitle));
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// A start removes the copies (and their journals) that no running instance
// holds: those of instances killed by a signal. A copy another instance
// holds stays, in this process or another; so do files that are not
// copies of ours.
TEST_F(WorkingCopyTest, AStartRemovesTheCopiesNoRunningInstanceHolds) {
    SetCounter(100);
    const QStringList notOurs = {u"KESTREL07.MDB"_s, u"KESTREL12345.MDB"_s, u"KESTRELX.MDB"_s,
                                 u"KESTREL3.MDB.bak"_s, u"OTHER3.MDB"_s};
    for (const QString& name :
         notOurs + QStringList{"KESTREL3.MDB", "KESTREL3.MDB-journal", "kestrel4.mdb",
                               "KESTREL9.MDB-journal", "KESTREL9999.MDB", "KESTREL5.MDB",
                               "KESTREL6.MDB", "KESTREL6.MDB-journal"})
        Put(name);
    FileLock sameProcess = TryLockFile(tree_.DatabaseDir() + u"KESTREL5.MDB"_s);
    ASSERT_TRUE(sameProcess.Held());
    test::OtherProcessLock otherProcess(tree_.DatabaseDir() + u"KESTREL6.MDB"_s);
    ASSERT_TRUE(otherProcess.Held());

    EXPECT_EQ(Make(), u"KESTREL101.MDB"_s);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    QStringList expected = notOurs;
    expected << u"KESTREL101.MDB"_s << u"KESTREL5.MDB"_s << u"KESTREL6.MDB"_s
             << u"KESTREL6.MDB-journal"_s;
    expected.sort(Qt::CaseInsensitive);
    const QStringList others = QDir(tree_.DatabaseDir()).entryList({u"OTHER*"_s});
    EXPECT_EQ(tree_.WorkingCopies() + others, expected);

    // Killed, the other process leaves its copy to the next start; our own
    // copies are never touched.
    otherProcess.Kill();
    sameProcess.Release();
    EXPECT_EQ(Make(), u"KESTREL102.MDB"_s);
    EXPECT_EQ(tree_.WorkingCopies(),
              QStringList({"KESTREL07.MDB", "KESTREL101.MDB", "KESTREL102.MDB", "KESTREL12345.MDB",
                           "KESTREL3.MDB.bak", "KESTRELX.MDB"}));
    EXPECT_NE(OpenWorkingDb(tree_.DatabaseDir(), u"KESTREL101.MDB"_s), nullptr);
}

// A copy that cannot be made is given up with a box saying why and leaves
// no file behind. Without a counter row, or with the row held by a second
// instance, it fails at once and the counter stays; an attempt no other
// number can cure (a full disk too) is tried 64 times, and the counter is
// free afterwards.
TEST_F(WorkingCopyTest, AFailedCopyIsToldAndLeavesNothing) {
    const QString saved = Template() + u".saved"_s;
    const qint64 templateSize = QFileInfo(Template()).size();
    ASSERT_GT(templateSize, QFileInfo(Serial()).size() * 3);
    std::optional<test::HeldTable> held;
    std::optional<test::FileSizeLimit> fullDisk;
    const struct {
        const char* name;
        std::function<void()> breakIt, mendIt;
        const char* reason;
        int tried;  // the numbers the counter moved on by
    } cases[] = {
        {"no counter row", [&] { tree_.Sql(Serial(), u"DELETE FROM SerialTable"_s); },
         [&] { tree_.Sql(Serial(), "INSERT INTO SerialTable VALUES ('KESTREL', 0)"); },
         "No current record.", -1},
        {"the counter held by a second instance", [&] { held.emplace(Serial(), u"SerialTable"_s); },
         [&] { held.reset(); }, "Couldn't lock", 0},
        {"a missing template", [&] { ASSERT_TRUE(QFile::rename(Template(), saved)); },
         [&] { QFile::rename(saved, Template()); }, "64 numbers", kMaxWorkingCopyAttempts},
        {"a folder in place of the template",
         [&] { ASSERT_TRUE(QFile::rename(Template(), saved) && QDir().mkdir(Template())); },
         [&] {
             QDir().rmdir(Template());
             QFile::rename(saved, Template());
         },
         "Path/File access error", kMaxWorkingCopyAttempts},
        {"a full disk", [&] { fullDisk.emplace(templateSize / 2); }, [&] { fullDisk.reset(); },
         "Disk full", kMaxWorkingCopyAttempts}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.boxes.shown.clear();
        SetCounter(200);
        c.breakIt();
        const QString result = Make();
        c.mendIt();
        EXPECT_EQ(test::StoredCounter(Serial()),
                  c.tried < 0 ? 0 : 200 + c.tried);  // the mended row counts from 0
        EXPECT_EQ(result, QString());
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const QString prompt = tree_.boxes.Last().prompt;
        EXPECT_TRUE(prompt.contains(Q(c.reason))) << prompt.toStdString();
        EXPECT_EQ(prompt.contains(u"64 numbers"_s), c.tried > 0) << prompt.toStdString();
        EXPECT_EQ(tree_.WorkingCopies(), QStringList());
        // The counter is free again for the next instance.
        EXPECT_NO_THROW(test::HeldTable(Serial(), u"SerialTable"_s));
    }
}

// A copy that is no working database does not open: garbage, a file cut
// short, an empty file and another database all fail with their reason.
TEST_F(WorkingCopyTest, OnlyAWorkingDatabaseOpens) {
    const QByteArray whole = test::ReadFile(Template());
    const struct {
        const char* name;
        QByteArray content;
        const char* reason;
    } cases[] = {{"KESTREL11.MDB", QByteArray(3000, '\x5a'), "[3343]"},
                 {"KESTREL12.MDB", whole.left(whole.size() / 3), "[3343]"},
                 {"KESTREL13.MDB", QByteArray(), "'CMD30Titles'"},
                 {"KESTREL14.MDB", test::ReadFile(Serial()), "'CMD30Titles'"}};
    for (const auto& c : cases) {
        Put(Q(c.name), c.content);
        const test::ExpectQtWarning logged(u"^kestrel.db: The working copy .*"_s + Q(c.name));
        QString failure;
        EXPECT_EQ(OpenWorkingDb(tree_.DatabaseDir(), Q(c.name), &failure), nullptr) << c.name;
        EXPECT_TRUE(failure.contains(Q(c.reason))) << failure.toStdString();
    }
}

}  // namespace
}  // namespace kestrel

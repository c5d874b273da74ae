#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <bit>
#include <memory>
#include <optional>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Services.h"
#include "startup/AddinRegistration.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "startup/LanguageFiles.h"
#include "startup/Startup.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainWindowLauncher([this] { return ++windowsShown_ > 0; });
    }
    void TearDown() override { SetMainWindowLauncher(nullptr); }

    test::RuntimeTree tree_;
    int windowsShown_ = 0;
};

// Only a start with a command line shows the window; "-Embedding" waits for
// the host. The standalone start loads everything and hands the language
// databases it opens to the message boxes by number.
TEST_F(StartupTest, StartModes) {
    const struct {
        const char* commandLine;
        bool standalone;
        int windows;
    } modes[] = {{"-Embedding unix:path=/tmp/x", false, 0},
                 {"-embedding", false, 0},
                 {"", true, 0},
                 {"   ", true, 0},
                 {"PBX 2 North", true, 1}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.commandLine);
        test::ResetProcessState();
        SetLanguageDatabases(nullptr, nullptr);
        services().messageBoxes = &tree_.boxes;
        services().process = &tree_.process;
        services().programFolder = tree_.AddinsDir();
        services().commandLine = Q(mode.commandLine);
        windowsShown_ = 0;
        Main();
        EXPECT_FALSE(tree_.process.Ended());
        EXPECT_EQ(g_Standalone, mode.standalone);
        EXPECT_EQ(windowsShown_, mode.windows);
    }
    // Version, background folder, the common database read-only and the own
    // one writable, the message table, the project record.
    ASSERT_TRUE(g_CommonDb && g_LangDb);
    EXPECT_EQ(
        QStringList(
            {g_AddinVersion, g_BackgroundPath.right(20), QString::number(g_CommonDb->IsReadOnly()),
             QString::number(g_LangDb->IsReadOnly()), QString::number(g_Messages.size() >= 16),
             App().Title, QString::number(App().OleServerBusyMsgText.isEmpty())}),
        QStringList({"30000", "/ADDINS/../BACKGRND/", "1", "0", "1", "Kestrel Trunk Copy", "0"}));
    EXPECT_TRUE(tree_.boxes.shown.empty());
    tree_.boxes.Script({answer::kOk});
    EXPECT_EQ(LangMsgBox(kCommonSource, 17, QString(), u"T"_s), 1);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_NE(tree_.boxes.Last().title, u"System Fatal Notice"_s);
}

// The add-in's row of the host's registry is found whatever the case of its
// key, stored or asked; the key keeps its case and no other row changes.
TEST_F(StartupTest, RegistrationFindsItsRowWhateverTheCase) {
    const QString registry = tree_.SuiteDatabaseDir() + u"Register.mdb"_s;
    struct Case {
        const char *stored, *asked, *version;
    };
    const Case cases[] = {{"Kestrel.WRX", "kestrel.wrx", "13.0.1"},
                          {"kestrel.wrx", "KESTREL.WRX", "13.0.2"},
                          {"KESTREL.wrx", "Kestrel.Wrx", "13.0.3"}};
    for (const Case& c : cases) {
        tree_.Sql(registry, QStringLiteral("UPDATE Registry SET AppName = '%1' WHERE "
                                           "lower(AppName) = 'kestrel.wrx'")
                                .arg(Q(c.stored)));
        EXPECT_TRUE(RegisterAddin(u"ADDINS"_s, Q(c.asked), Q(c.version)));
        auto db = Database::Open(registry, true);
        EXPECT_EQ(test::SqlRows(*db, QStringLiteral("SELECT AppName, Version FROM Registry "
                                                    "ORDER BY lower(AppName)")),
                  QStringList({"alarmlog.wrx=4.0.3", Q(c.stored) + u'=' + Q(c.version),
                               "lineview.wrx=2.1.0"}))
            << c.asked;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// In German the start picks the language's own catalogue, help, report and
// Qt's German texts. A German file that is missing is replaced by the
// English one: the start goes on, and one notice names every missing file.
TEST_F(StartupTest, AMissingGermanFileFallsBackToEnglishWithOneNotice) {
    enum Missing { kNone = 0, kCatalogue = 1, kHelp = 2, kReport = 4, kQt = 8 };
    struct Case {
        const char* name;
        int missing;
    };
    // Each file missing beside others present, and all of them.
    const Case cases[] = {{"nothing", kNone},
                          {"catalogue and help", kCatalogue | kHelp},
                          {"report and Qt's translation", kReport | kQt},
                          {"all", kCatalogue | kHelp | kReport | kQt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RuntimeTree tree;
        tree.UseLanguage(u"DE"_s);
        const QString addins = tree.AddinsDir();
        const QString files[] = {addins + u"/DATABASE/LANGUAGES/DE/KESTREL.MDB"_s,
                                 addins + u"/HELP/kestrel_de.hlp"_s,
                                 addins + u"/REPORT/kestrel_de.rpt"_s};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(!(c.missing & (1 << i)) || QFile::remove(files[i]));
        QTemporaryDir noTranslations;
        if (c.missing & kQt)
            services().translationsFolder = noTranslations.path();
        const int missingCount = std::popcount(static_cast<unsigned>(c.missing));
        // Each missing file is logged as well.
        std::optional<test::ExpectQtWarning> logged;
        if (missingCount > 0)
            logged.emplace(u"^kestrel.ui: A file of the language is missing"_s);
        windowsShown_ = 0;
        services().commandLine = u"PBX1"_s;
        Main();
        EXPECT_FALSE(tree.process.Ended());
        EXPECT_EQ(windowsShown_, 1);

        EXPECT_EQ(CatalogueTemplate(), c.missing & kCatalogue ? QString() : files[0]);
        EXPECT_EQ(HelpFileName(), c.missing & kHelp ? u"kestrel.hlp"_s : u"kestrel_de.hlp"_s);
        EXPECT_EQ(ReportFileName(), c.missing & kReport ? u"kestrel.rpt"_s : u"kestrel_de.rpt"_s);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  c.missing & kQt ? u"Cancel"_s : u"Abbrechen"_s);

        EXPECT_EQ(MissingLanguageFiles().size(), missingCount);
        EXPECT_EQ(logged ? logged->Count() : 0, missingCount);
        ASSERT_EQ(tree.boxes.shown.size(), missingCount > 0 ? 1u : 0u);
        if (missingCount > 0) {
            const MessageBoxRequest& notice = tree.boxes.Last();
            EXPECT_TRUE(notice.prompt.startsWith(u"Diese Dateien der eingestellten Sprache"))
                << notice.prompt.toStdString();
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(notice.prompt.contains(files[i]), (c.missing & (1 << i)) != 0) << i;
            EXPECT_EQ(notice.prompt.contains(u"qtbase_de.qm"), (c.missing & kQt) != 0);
            // The notice is told once.
            TellMissingLanguageFiles();
            EXPECT_EQ(tree.boxes.shown.size(), 1u);
        }
        // A message box names the English help in place of a missing German one.
        tree.boxes.Clear();
        LangMsgBox(kOwnSource, msgbox::own::kBadDestinationList, QString(), kProductTitle);
        ASSERT_EQ(tree.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree.boxes.Last().helpFile.endsWith(
            c.missing & kHelp ? u"/HELP/kestrel.hlp"_s : u"/HELP/kestrel_de.hlp"_s))
            << tree.boxes.Last().helpFile.toStdString();
    }
}

// A database that does not open gives the fatal notice and clears its
// handle; a look-up reads the first row, is silent when there is none and
// tells any other error in a notice.
TEST_F(StartupTest, OpenDbAndLookupFieldTellTheirFailures) {
    auto db = Database::Open(tree_.DatabaseDir() + u"KESTREL.MDB"_s, true);
    const QString sql = u"SELECT * FROM CMD30Titles WHERE CMD = ?"_s;
    EXPECT_EQ(LookupField(db.get(), sql, u"Description"_s, {u"3001"_s}).toString(),
              u"Trunk route"_s);
    EXPECT_TRUE(LookupField(db.get(), sql, u"Description"_s, {u"x' OR '1'='1"_s}).isNull());
    EXPECT_TRUE(tree_.boxes.shown.empty());
    EXPECT_TRUE(LookupField(db.get(), u"SELECT * FROM NoSuchTable"_s, u"x"_s).isNull());
    EXPECT_FALSE(OpenDB(tree_.DatabaseDir() + u"Missing.lng"_s, db, true));
    EXPECT_EQ(db, nullptr);
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    const MessageBoxRequest& notice = tree_.boxes.shown[0];
    EXPECT_EQ(notice.title, u"Notice"_s);
    EXPECT_EQ(notice.flags, mb::kExclamation);
    EXPECT_TRUE(notice.prompt.endsWith(u"[3078]"_s) && !notice.prompt.endsWith(u" [3078]"_s))
        << notice.prompt.toStdString();
    EXPECT_EQ(tree_.boxes.Last().title, u"System Fatal Notice"_s);
    EXPECT_EQ(tree_.boxes.Last().flags, mb::kCritical);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(u" [3024]"_s));
}

// Breaks `name` by `how`: removed, garbage, empty, a folder in its place,
// held as a second instance starting in the same instant holds it, or the
// statement given. What it returns is kept until the start has ended.
std::shared_ptr<void> Break(const test::RuntimeTree& t, const char* name, const char* how) {
    const QString file =
        (qstrcmp(name, "Common.LNG") == 0 ? t.SuiteDatabaseDir() : t.DatabaseDir()) + Q(name);
    const QByteArray kind(how);
    if (kind == "garbage" || kind == "empty" || kind == "remove" || kind == "folder")
        QFile::remove(file);
    if (kind == "garbage")
        test::WriteFile(file, QByteArray(3000, '\x5a'));
    else if (kind == "empty")
        test::WriteFile(file, QByteArray());
    else if (kind == "folder")
        QDir().mkdir(file);
    else if (kind == "hold")
        return std::make_shared<test::HeldTable>(file, u"SerialTable"_s);
    else if (kind != "remove")
        t.Sql(file, Q(how));
    return nullptr;
}

// Each broken condition of the start ends it at once with status 1, its
// message box, a line on the standard error saying why (the reason is in
// one or the other), and no working copy left. Unbroken, the window comes
// up (its picture saved ends the run) and the run ends with status 0.
TEST(StandaloneProgramTest, AStartShowsItsWindowOrSaysWhyItCannot) {
    const struct {
        const char *file, *how, *reason;
    } cases[] = {{"", "", ""},
                 {"KESTREL.MDB", "garbage", "of KESTREL.MDB cannot be used"},
                 {"KESTREL.MDB", "empty", "'CMD30Titles'"},
                 {"Serial.MDB", "remove", "Serial.MDB"},
                 {"Serial.MDB", "hold", "Couldn't lock"},
                 {"Kestrel.lng", "remove", "Kestrel.lng could not be opened"},
                 {"Kestrel.lng", "folder", "Kestrel.lng could not be opened"},
                 {"Kestrel.lng", "garbage", "[3343]"},
                 {"Kestrel.lng", "DELETE FROM tMessages", "table tMessages has no rows)"},
                 {"Kestrel.lng", "DROP TABLE tMessages", "Make sure it exists"},
                 {"Kestrel.lng", "UPDATE tProject SET EXEName = 'Other'", "[3021]"},
                 {"Kestrel.lng", "DROP TABLE tForms", "'tForms'"},
                 {"Common.LNG", "remove", "Common.LNG could not be opened"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.how);
        test::RuntimeTree tree;
        if (tree.AddinProgram().isEmpty())
            GTEST_SKIP() << "the add-in program is not staged";
        const bool broken = *c.file != '\0';
        const std::shared_ptr<void> kept = broken ? Break(tree, c.file, c.how) : nullptr;
        QProcessEnvironment env = tree.AddinEnvironment();
        const QString shot = tree.Root() + u"/shot.png"_s;
        env.insert(u"KESTREL_SCREENSHOT"_s, shot);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(tree.AddinProgram(), {u"PBX1"_s});
        ASSERT_TRUE(process.waitForFinished(120000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), broken ? 1 : 0);
        EXPECT_EQ(err.contains(u"kestrel.ui: The start failed: "_s), broken) << err.toStdString();
        EXPECT_EQ(out.contains(u"[message]"_s) && (err + out).contains(Q(c.reason)), broken)
            << err.toStdString() << out.toStdString();
        EXPECT_EQ(QFile::exists(shot), !broken);
        EXPECT_EQ(tree.WorkingCopies(), QStringList());
    }
}

}  // namespace
}  // namespace kestrel

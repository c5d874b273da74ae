#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/AddinRegistration.h"
#include "startup/Globals.h"
#include "startup/LanguageFiles.h"
#include "startup/Startup.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainWindowLauncher([this] {
            ++windowsShown_;
            return launcherResult_;
        });
    }
    void TearDown() override { SetMainWindowLauncher(nullptr); }

    test::RuntimeTree tree_;
    int windowsShown_ = 0;
    bool launcherResult_ = true;
};

// The start also hands the language databases it opens to the message
// boxes by number.
TEST_F(StartupTest, StandaloneStartLoadsEverythingAndShowsTheWindow) {
    SetLanguageDatabases(nullptr, nullptr);
    services().commandLine = QStringLiteral("PBX1");
    Main();
    EXPECT_FALSE(tree_.process.Ended());
    EXPECT_TRUE(g_Standalone);
    EXPECT_EQ(windowsShown_, 1);
    EXPECT_EQ(g_AddinVersion, QStringLiteral("30000"));
    EXPECT_TRUE(g_BackgroundPath.endsWith(QStringLiteral("/ADDINS/../BACKGRND/")));
    EXPECT_NE(g_CommonDb, nullptr);
    EXPECT_TRUE(g_CommonDb->IsReadOnly());
    ASSERT_NE(g_LangDb, nullptr);
    EXPECT_FALSE(g_LangDb->IsReadOnly());
    EXPECT_GE(g_Messages.size(), 16);
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy"));
    EXPECT_FALSE(App().OleServerBusyMsgText.isEmpty());
    EXPECT_EQ(g_CmdDialogShown, QStringLiteral("False"));
    EXPECT_TRUE(tree_.boxes.shown.empty());
    tree_.boxes.Script({answer::kOk});
    EXPECT_EQ(LangMsgBox(kCommonSource, 17, QString(), QStringLiteral("T")), 1);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_NE(tree_.boxes.Last().title, QStringLiteral("System Fatal Notice"));
}

// The add-in's row of the host's registry is found whatever the case of its
// key, stored or asked; the key keeps its case and no other row changes.
TEST_F(StartupTest, RegistrationFindsItsRowWhateverTheCase) {
    const QString registry = tree_.SuiteDatabaseDir() + QStringLiteral("Register.mdb");
    struct Case {
        const char* stored;
        const char* asked;
        const char* version;
    };
    const Case cases[] = {{"Kestrel.WRX", "kestrel.wrx", "13.0.1"},
                          {"kestrel.wrx", "KESTREL.WRX", "13.0.2"},
                          {"KESTREL.wrx", "Kestrel.Wrx", "13.0.3"}};
    for (const Case& c : cases) {
        tree_.Sql(registry, QStringLiteral("UPDATE Registry SET AppName = '%1' WHERE "
                                           "lower(AppName) = 'kestrel.wrx'")
                                .arg(QString::fromLatin1(c.stored)));
        EXPECT_TRUE(RegisterAddin(QStringLiteral("ADDINS"), QString::fromLatin1(c.asked),
                                  QString::fromLatin1(c.version)));
        auto db = Database::Open(registry, true);
        EXPECT_EQ(
            test::SqlRows(*db, QStringLiteral("SELECT AppName, Version FROM Registry "
                                              "ORDER BY lower(AppName)")),
            QStringList({"alarmlog.wrx=4.0.3",
                         QString::fromLatin1(c.stored) + u'=' + QString::fromLatin1(c.version),
                         "lineview.wrx=2.1.0"}))
            << c.asked;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(StartupTest, StartModes) {
    struct Mode {
        const char* commandLine;
        bool standalone;
        int windows;
    };
    const Mode modes[] = {
        {"-Embedding unix:path=/tmp/x", false, 0},
        {"-embedding", false, 0},
        {"", true, 0},
        {"   ", true, 0},
        {"PBX 2 North", true, 1},
    };
    for (const Mode& mode : modes) {
        test::ResetProcessState();
        services().messageBoxes = &tree_.boxes;
        services().process = &tree_.process;
        services().programFolder = tree_.AddinsDir();
        services().commandLine = QString::fromUtf8(mode.commandLine);
        windowsShown_ = 0;
        Main();
        EXPECT_FALSE(tree_.process.Ended()) << mode.commandLine;
        EXPECT_EQ(g_Standalone, mode.standalone) << mode.commandLine;
        EXPECT_EQ(windowsShown_, mode.windows) << mode.commandLine;
    }
}

// In German the start picks the language's own catalogue, help, report and
// Qt's German texts. A German file that is missing is replaced by the
// English one: the start goes on, and one notice names every missing file.
TEST(LanguageStartTest, AMissingGermanFileFallsBackToEnglishWithOneNotice) {
    enum Missing { kNone = 0, kCatalogue = 1, kHelp = 2, kReport = 4, kQt = 8 };
    struct Case {
        const char* name;
        int missing;
    };
    const Case cases[] = {
        {"nothing", kNone},  {"catalogue", kCatalogue}, {"help", kHelp},
        {"report", kReport}, {"Qt's translation", kQt}, {"all", kCatalogue | kHelp | kReport | kQt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RuntimeTree tree;
        tree.UseLanguage(QStringLiteral("DE"));
        const QString addins = tree.AddinsDir();
        const QString files[] = {addins + QStringLiteral("/DATABASE/LANGUAGES/DE/KESTREL.MDB"),
                                 addins + QStringLiteral("/HELP/kestrel_de.hlp"),
                                 addins + QStringLiteral("/REPORT/kestrel_de.rpt")};
        for (int i = 0; i < 3; ++i) {
            if (c.missing & (1 << i)) {
                ASSERT_TRUE(QFile::remove(files[i]));
            }
        }
        QTemporaryDir noTranslations;
        if (c.missing & kQt)
            services().translationsFolder = noTranslations.path();
        int missingCount = 0;
        for (int bit : {kCatalogue, kHelp, kReport, kQt})
            missingCount += (c.missing & bit) != 0;
        // Each missing file is logged as well.
        std::optional<test::ExpectQtWarning> logged;
        if (missingCount > 0)
            logged.emplace(QStringLiteral("^kestrel.ui: A file of the language is missing"));
        int windows = 0;
        SetMainWindowLauncher([&windows] { return ++windows > 0; });
        services().commandLine = QStringLiteral("PBX1");
        Main();
        SetMainWindowLauncher(nullptr);
        EXPECT_FALSE(tree.process.Ended());
        EXPECT_EQ(windows, 1);

        EXPECT_EQ(CatalogueTemplate().isEmpty(), (c.missing & kCatalogue) != 0);
        if (!(c.missing & kCatalogue)) {
            EXPECT_TRUE(CatalogueTemplate().endsWith(u"/LANGUAGES/DE/KESTREL.MDB"));
        }
        EXPECT_EQ(HelpFileName(), c.missing & kHelp ? QStringLiteral("kestrel.hlp")
                                                    : QStringLiteral("kestrel_de.hlp"));
        EXPECT_EQ(ReportFileName(), c.missing & kReport ? QStringLiteral("kestrel.rpt")
                                                        : QStringLiteral("kestrel_de.rpt"));
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  c.missing & kQt ? QStringLiteral("Cancel") : QStringLiteral("Abbrechen"));

        EXPECT_EQ(MissingLanguageFiles().size(), missingCount);
        if (logged) {
            EXPECT_EQ(logged->Count(), missingCount);
        }
        ASSERT_EQ(tree.boxes.shown.size(), missingCount > 0 ? 1u : 0u);
        if (missingCount > 0) {
            const MessageBoxRequest& notice = tree.boxes.Last();
            EXPECT_TRUE(notice.prompt.startsWith(u"Diese Dateien der eingestellten Sprache"))
                << notice.prompt.toStdString();
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(notice.prompt.contains(files[i]), (c.missing & (1 << i)) != 0) << i;
            }
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
            c.missing & kHelp ? QStringLiteral("/HELP/kestrel.hlp")
                              : QStringLiteral("/HELP/kestrel_de.hlp")))
            << tree.boxes.Last().helpFile.toStdString();
    }
    // English needs no files of its own, and nothing of German stays behind.
    test::RuntimeTree english;
    services().commandLine = QStringLiteral("PBX1");
    Main();
    EXPECT_TRUE(english.boxes.shown.empty());
    EXPECT_TRUE(CatalogueTemplate().isEmpty());
    EXPECT_EQ(ReportFileName(), QStringLiteral("kestrel.rpt"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

// Each broken database ends the process at once, with the message its
// routine shows and without going on to the next step.
struct Breakage {
    const char* name;
    std::function<void(test::RuntimeTree&)> breakIt;
    const char* promptEnd;
    bool langDbOpened;
};

void PrintTo(const Breakage& b, std::ostream* os) {
    *os << b.name;
}

class StartupFailureTest : public StartupTest, public ::testing::WithParamInterface<Breakage> {};

TEST_P(StartupFailureTest, EndsTheProcess) {
    GetParam().breakIt(tree_);
    services().commandLine = QStringLiteral("PBX1");
    const test::ExpectQtWarning logged(QStringLiteral("^kestrel.ui: The start failed: "));
    Main();
    EXPECT_EQ(tree_.process.ends, std::vector<int>{kStartupFailureExit});
    EXPECT_EQ(windowsShown_, 0);
    EXPECT_EQ(g_LangDb != nullptr, GetParam().langDbOpened);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, QStringLiteral("System Fatal Notice"));
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QString::fromUtf8(GetParam().promptEnd)))
        << tree_.boxes.Last().prompt.toStdString();
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QString Template(const test::RuntimeTree& t) {
    return t.DatabaseDir() + QStringLiteral("KESTREL.MDB");
}

QString LangDb(const test::RuntimeTree& t) {
    return t.DatabaseDir() + QStringLiteral("Kestrel.lng");
}

QString SerialDb(const test::RuntimeTree& t) {
    return t.DatabaseDir() + QStringLiteral("Serial.MDB");
}

QString CommonLng(const test::RuntimeTree& t) {
    return t.SuiteDatabaseDir() + QStringLiteral("Common.LNG");
}

INSTANTIATE_TEST_SUITE_P(
    Broken, StartupFailureTest,
    ::testing::Values(
        Breakage{"MissingCommonLng",
                 [](test::RuntimeTree& tree) { QFile::remove(CommonLng(tree)); }, "[3024]", false},
        Breakage{"CorruptKestrelLng",
                 [](test::RuntimeTree& tree) { WriteFile(LangDb(tree), QByteArray(2048, '\x7f')); },
                 "[3343]", false},
        Breakage{"EmptyMessageTable",
                 [](test::RuntimeTree& tree) { tree.Sql(LangDb(tree), "DELETE FROM tMessages"); },
                 "table tMessages has no rows)", true},
        Breakage{"MissingMessageTable",
                 [](test::RuntimeTree& tree) { tree.Sql(LangDb(tree), "DROP TABLE tMessages"); },
                 "Make sure it exists and that its name is spelled correctly.", true},
        Breakage{"NoProjectRow",
                 [](test::RuntimeTree& tree) {
                     tree.Sql(LangDb(tree), "UPDATE tProject SET EXEName = 'Other'");
                 },
                 "[3021]", true}),
    [](const auto& instance) { return std::string(instance.param.name); });

// The real program started standalone in a copy of the staged tree.
class StandaloneProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = tree_.AddinProgram();
        if (program_.isEmpty())
            GTEST_SKIP() << "the add-in program is not staged";
    }
    struct Ended {
        QProcess::ExitStatus how = QProcess::CrashExit;
        int status = -1;
        QString out;
        QString err;
    };
    Ended Run(const QProcessEnvironment& env) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program_, {QStringLiteral("PBX1")});
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitStatus(), process.exitCode(),
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // The numbered working copies (and journals) in the database folder.
    QStringList CopiesLeft() const {
        QStringList left = QDir(tree_.DatabaseDir())
                               .entryList({QStringLiteral("KESTREL*.MDB*")},
                                          QDir::AllEntries | QDir::NoDotAndDotDot);
        left.removeAll(QStringLiteral("KESTREL.MDB"));
        return left;
    }

    // The counter as stored for good; -1 while an instance holds it.
    qlonglong StoredCounter() const {
        try {
            return test::SqlValue(*Database::Open(SerialDb(tree_), true),
                                  "SELECT SerialCounter FROM SerialTable")
                .toLongLong();
        } catch (const RunError&) {
            return -1;
        }
    }

    test::RuntimeTree tree_;
    QString program_;
};

// Each broken condition of the start ends it with status 1, its message
// box, a line on the standard error saying why, and no working copy left.
// (A garbled language database and a missing message table end the start
// in StartupFailureTest.)
struct BrokenStart {
    const char* name;
    // Breaks the tree; what it returns is kept until the program has ended.
    std::function<std::shared_ptr<void>(test::RuntimeTree&)> breakIt;
    const char* reason;
};

void PrintTo(const BrokenStart& b, std::ostream* os) {
    *os << b.name;
}

class StandaloneStartFailureTest : public StandaloneProgramTest,
                                   public ::testing::WithParamInterface<BrokenStart> {};

TEST_P(StandaloneStartFailureTest, SaysWhyAndEndsWithStatusOne) {
    const std::shared_ptr<void> kept = GetParam().breakIt(tree_);
    const Ended ended = Run(tree_.AddinEnvironment());
    EXPECT_EQ(ended.how, QProcess::NormalExit);
    EXPECT_EQ(ended.status, 1);
    EXPECT_TRUE(ended.err.contains(QStringLiteral("kestrel.ui: The start failed: ")))
        << ended.err.toStdString();
    EXPECT_TRUE(ended.err.contains(QString::fromUtf8(GetParam().reason)))
        << ended.err.toStdString();
    EXPECT_TRUE(ended.out.contains(QStringLiteral("[message]"))) << ended.out.toStdString();
    EXPECT_EQ(CopiesLeft(), QStringList());
}

// The counter row held the way a second instance starting in the same
// instant finds it.
struct HeldCounter {
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> set;
};

// A break that needs nothing kept while the program runs.
std::function<std::shared_ptr<void>(test::RuntimeTree&)> Just(
    std::function<void(test::RuntimeTree&)> breakIt) {
    return [breakIt](test::RuntimeTree& tree) {
        breakIt(tree);
        return std::shared_ptr<void>();
    };
}

void ReplaceByFolder(const QString& path) {
    QFile::remove(path);
    QDir().mkdir(path);
}

INSTANTIATE_TEST_SUITE_P(
    Broken, StandaloneStartFailureTest,
    ::testing::Values(
        BrokenStart{"MissingTemplate", Just([](auto& tree) { QFile::remove(Template(tree)); }),
                    "64 numbers"},
        BrokenStart{"GarbageTemplate",
                    Just([](auto& tree) { WriteFile(Template(tree), QByteArray(3000, '\x5a')); }),
                    "of KESTREL.MDB cannot be used"},
        BrokenStart{"EmptyTemplate",
                    Just([](auto& tree) { WriteFile(Template(tree), QByteArray()); }),
                    "'CMD30Titles'"},
        BrokenStart{"MissingCounterDatabase",
                    Just([](auto& tree) { QFile::remove(SerialDb(tree)); }), "Serial.MDB"},
        BrokenStart{"NoCounterRow",
                    Just([](auto& tree) { tree.Sql(SerialDb(tree), "DELETE FROM SerialTable"); }),
                    "No current record"},
        BrokenStart{"CounterHeldByAnInstanceStartingAtTheSameTime",
                    [](test::RuntimeTree& tree) {
                        auto held = std::make_shared<HeldCounter>();
                        held->db = Database::Open(SerialDb(tree), false);
                        held->set = held->db->OpenRecordset(
                            QStringLiteral("SELECT * FROM SerialTable"), RecordsetType::Dynaset,
                            rs::kDenyRead | rs::kDenyWrite);
                        return std::shared_ptr<void>(held);
                    },
                    "Couldn't lock"},
        BrokenStart{"MissingLanguageDatabase",
                    Just([](auto& tree) { QFile::remove(LangDb(tree)); }),
                    "Kestrel.lng could not be opened"},
        BrokenStart{"FolderInPlaceOfTheLanguageDatabase",
                    Just([](auto& tree) { ReplaceByFolder(LangDb(tree)); }),
                    "Kestrel.lng could not be opened"},
        BrokenStart{"NoFormsTable",
                    Just([](auto& tree) { tree.Sql(LangDb(tree), "DROP TABLE tForms"); }),
                    "'tForms'"},
        BrokenStart{"MissingCommonLanguageDatabase",
                    Just([](auto& tree) { QFile::remove(CommonLng(tree)); }),
                    "Common.LNG could not be opened"}),
    [](const auto& instance) { return std::string(instance.param.name); });

// An instance killed by SIGKILL leaves its working copy behind; the next
// start removes it, and its own copy goes when it ends.
TEST_F(StandaloneProgramTest, TheNextStartRemovesTheCopyOfAKilledInstance) {
    QProcess killed;
    killed.setProcessEnvironment(tree_.AddinEnvironment());
    killed.start(program_, {QStringLiteral("PBX1")});
    // Killed once its copy is made and its number stored for good (killed
    // before, its number would simply be handed out again).
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const QStringList copies = CopiesLeft();
            return copies.size() == 1 &&
                   copies.first() == QStringLiteral("KESTREL%1.MDB").arg(StoredCounter());
        },
        60000));
    const QString leftover = CopiesLeft().first();
    killed.kill();
    ASSERT_TRUE(test::WaitFor([&] { return killed.state() == QProcess::NotRunning; }, 30000));
    ASSERT_EQ(CopiesLeft(), QStringList{leftover});

    QProcessEnvironment env = tree_.AddinEnvironment();
    // It ends by itself once its window is up.
    env.insert(QStringLiteral("KESTREL_SCREENSHOT"), tree_.Root() + QStringLiteral("/shot.png"));
    QProcess next;
    next.setProcessEnvironment(env);
    next.start(program_, {QStringLiteral("PBX1")});
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const QStringList copies = CopiesLeft();
            return next.state() == QProcess::NotRunning ||
                   (copies.size() == 1 && copies.first() != leftover);
        },
        60000));
    EXPECT_FALSE(CopiesLeft().contains(leftover));
    ASSERT_TRUE(test::WaitFor([&] { return next.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    EXPECT_EQ(CopiesLeft(), QStringList());
}

// Two standalone starts in the same instant: one that finds the counter
// held by the other fails its load at once, with its reason and status 1;
// neither ends silently, at least one starts, and no copy is left.
TEST_F(StandaloneProgramTest, TwoStartsInTheSameInstantEachSayHowTheyEnded) {
    QProcessEnvironment env = tree_.AddinEnvironment();
    env.insert(QStringLiteral("KESTREL_SCREENSHOT"), tree_.Root() + QStringLiteral("/shot.png"));
    QProcess starts[2];
    for (QProcess& start : starts) {
        start.setProcessEnvironment(env);
        start.start(program_, {QStringLiteral("PBX1")});
    }
    int started = 0;
    for (QProcess& start : starts) {
        ASSERT_TRUE(start.waitForFinished(120000));
        const QString err = QString::fromUtf8(start.readAllStandardError());
        EXPECT_EQ(start.exitStatus(), QProcess::NormalExit);
        if (start.exitCode() == 0) {
            ++started;
        } else {
            EXPECT_EQ(start.exitCode(), 1);
            EXPECT_TRUE(err.contains(QStringLiteral("Couldn't lock"))) << err.toStdString();
        }
    }
    EXPECT_GE(started, 1);
    EXPECT_EQ(CopiesLeft(), QStringList());
}

}  // namespace
}  // namespace kestrel

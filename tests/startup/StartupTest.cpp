#include <gtest/gtest.h>

#include <QFile>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/Services.h"
#include "startup/AddinRegistration.h"
#include "startup/Globals.h"
#include "startup/Startup.h"
#include "support/RuntimeTree.h"

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

    QString CommonLng() const { return tree_.SuiteDatabaseDir() + QStringLiteral("Common.LNG"); }
    QString KestrelLng() const { return tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"); }

    test::RuntimeTree tree_;
    int windowsShown_ = 0;
    bool launcherResult_ = true;
};

TEST_F(StartupTest, StandaloneStartLoadsEverythingAndShowsTheWindow) {
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
}

// The start-up hands the language databases it opens to the message boxes
// by number.
TEST_F(StartupTest, MessageBoxesByNumberReadTheDatabasesTheStartOpens) {
    SetLanguageDatabases(nullptr, nullptr);
    services().commandLine = QStringLiteral("PBX1");
    Main();
    ASSERT_FALSE(tree_.process.Ended());
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
        auto rows = db->OpenRecordset(QStringLiteral("SELECT AppName, Version FROM Registry "
                                                     "ORDER BY lower(AppName)"),
                                      RecordsetType::Snapshot);
        QStringList versions;
        while (!rows->Eof()) {
            versions << rows->Fields(0).toString() + u'=' + rows->Fields(1).toString();
            rows->MoveNext();
        }
        EXPECT_EQ(versions, QStringList({"alarmlog.wrx=4.0.3",
                                         QString::fromLatin1(c.stored) + u'=' +
                                             QString::fromLatin1(c.version),
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

// Each broken database ends the process at once, with the message its
// routine shows and without going on to the next step.
struct Breakage {
    const char* name;
    std::function<void(StartupTest&, test::RuntimeTree&)> breakIt;
    const char* promptEnd;
    bool langDbOpened;
};

void PrintTo(const Breakage& b, std::ostream* os) {
    *os << b.name;
}

class StartupFailureTest : public StartupTest, public ::testing::WithParamInterface<Breakage> {};

TEST_P(StartupFailureTest, EndsTheProcess) {
    GetParam().breakIt(*this, tree_);
    services().commandLine = QStringLiteral("PBX1");
    Main();
    EXPECT_EQ(tree_.process.ends, std::vector<int>{kStartupFailureExit});
    EXPECT_EQ(windowsShown_, 0);
    EXPECT_EQ(g_LangDb != nullptr, GetParam().langDbOpened);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, QStringLiteral("System Fatal Notice"));
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QString::fromUtf8(GetParam().promptEnd)))
        << tree_.boxes.Last().prompt.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Broken, StartupFailureTest,
    ::testing::Values(Breakage{"MissingCommonLng",
                               [](StartupTest&, test::RuntimeTree& t) {
                                   QFile::remove(t.SuiteDatabaseDir() +
                                                 QStringLiteral("Common.LNG"));
                               },
                               "[3024]", false},
                      Breakage{"CorruptKestrelLng",
                               [](StartupTest&, test::RuntimeTree& t) {
                                   QFile file(t.DatabaseDir() + QStringLiteral("Kestrel.lng"));
                                   ASSERT_TRUE(
                                       file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                                   file.write(QByteArray(2048, '\x7f'));
                               },
                               "[3343]", false},
                      Breakage{"EmptyMessageTable",
                               [](StartupTest&, test::RuntimeTree& t) {
                                   t.Sql(t.DatabaseDir() + QStringLiteral("Kestrel.lng"),
                                         QStringLiteral("DELETE FROM tMessages"));
                               },
                               "table tMessages has no rows)", true},
                      Breakage{"MissingMessageTable",
                               [](StartupTest&, test::RuntimeTree& t) {
                                   t.Sql(t.DatabaseDir() + QStringLiteral("Kestrel.lng"),
                                         QStringLiteral("DROP TABLE tMessages"));
                               },
                               "Make sure it exists and that its name is spelled correctly.", true},
                      Breakage{"NoProjectRow",
                               [](StartupTest&, test::RuntimeTree& t) {
                                   t.Sql(t.DatabaseDir() + QStringLiteral("Kestrel.lng"),
                                         QStringLiteral("UPDATE tProject SET EXEName = 'Other'"));
                               },
                               "[3021]", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel

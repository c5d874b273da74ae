#include <algorithm>

#include "localisation/TokenExpansion.h"
#include "support/MainWindowParts.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamTexts.h"

namespace kestrel {
namespace {

class dlgKestrelTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window_ = std::make_unique<dlgKestrel>();
    }

    QString WorkCopy() const { return tree_.DatabaseDir() + g_WorkDbName; }
    template <typename T>
    T* Child(const char* name) const {
        return test::Child<T>(window_.get(), name);
    }
};

// The working copy made and removed, the unload told to the host and the
// menu off without an exchange are AutomationTest's, over the connection.
TEST_F(dlgKestrelTest, AutomationLoadThenUnload) {
    window_->SetParent(&host_);
    ASSERT_TRUE(window_->Load());
    EXPECT_FALSE(window_->CheckDBLoadError());
    EXPECT_TRUE(window_->Session().NoSourceData());
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Trunk Copy"));  // localised
    EXPECT_EQ(window_->Session().Tree().rowCount(), 14);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // Without a team's server nothing of it is made, and nothing waits.
    EXPECT_EQ(window_->Session().MadeTeam(), nullptr);
    EXPECT_TRUE(Child<QLabel>("lblTeamWaiting")->isHidden());
    // No exchange's name leaves the highest trunk the largest.
    host_.processor = QStringLiteral("XP 1.0");
    window_->SetPBXName(QString());
    EXPECT_EQ(window_->windowTitle(), Msg(0) + QStringLiteral(" ()"));
    EXPECT_EQ(window_->Session().HighestTrunk(), 511);
    window_->Unload();
    EXPECT_EQ(g_LangDb, nullptr);
    EXPECT_EQ(window_->Session().WorkDb(), nullptr);
}

// With a server set, the journal's entries not yet sent are counted under
// the safety net, with why they wait; the count follows the sender.
TEST_F(dlgKestrelTest, SaysHowManyJournalEntriesWaitForTheTeamsServer) {
    {
        QString error;
        auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        ASSERT_TRUE(journal) << error.toStdString();
        JournalEntry entry;
        entry.kind = QStringLiteral("Preview");
        entry.exchange = QStringLiteral("PBX1");
        entry.time = QDateTime::currentDateTime();
        journal->Record(entry, {});
    }
    TeamServer server;
    server.host = QStringLiteral("127.0.0.1");
    server.port = 1;  // nobody listens there
    SetTeamServerSetting(server);
    window_->SetParent(&host_);
    const bool loaded = window_->Load();
    SetTeamServerSetting(TeamServer());  // the other tests have none
    ASSERT_TRUE(loaded);
    const TeamJournal* team = window_->Session().MadeTeam();
    ASSERT_NE(team, nullptr);
    auto* line = Child<QLabel>("lblTeamWaiting");
    ASSERT_TRUE(test::WaitFor(
        [&] { return team->Problem() == TeamProblem::Unreachable && !line->isHidden(); }));
    EXPECT_EQ(team->Waiting(), 1);
    const QString reason =
        TeamProblemText(TeamProblem::Unreachable, server.Name(), team->ProblemDetail());
    EXPECT_EQ(
        line->text(),
        QStringLiteral("1 journal entry is waiting to be sent to the team journal. ") + reason);
    EXPECT_EQ(line->toolTip(), reason);
}

TEST_F(dlgKestrelTest, WorkingCopyFailureKeepsTheAutomationWindowWithTheLoadError) {
    tree_.Sql(tree_.DatabaseDir() + QStringLiteral("Serial.MDB"),
              QStringLiteral("DELETE FROM SerialTable"));
    window_->SetParent(&host_);
    EXPECT_TRUE(window_->Load());
    EXPECT_TRUE(window_->CheckDBLoadError());
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_EQ(tree_.boxes.shown.size(), 1u);
}

TEST_F(dlgKestrelTest, LocalisationFailureUnloadsAndRemovesTheCopy) {
    g_LangDb->Execute(
        QStringLiteral("INSERT INTO tControls VALUES ('dlgKestrel', 'lblNone', -1, "
                       "'x', '-1', NULL, '-1')"));
    window_->SetParent(&host_);
    EXPECT_FALSE(window_->Load());
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_FALSE(QFile::exists(WorkCopy()));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral("[730]")));
}

TEST_F(dlgKestrelTest, StandaloneTakesTheCommandLineAndItsOwnHost) {
    g_Standalone = true;
    services().commandLine = QStringLiteral("PBX2");
    QStringList made;
    window_ = std::make_unique<dlgKestrel>([&](const QString& className) {
        made << className;
        return CreateHostObject(className);
    });
    ASSERT_TRUE(window_->Load());
    EXPECT_EQ(made, QStringList{QStringLiteral("PBXDeskProj.cPBXOLE")});
    EXPECT_NE(window_->Session().StandaloneHost(), nullptr);
    EXPECT_EQ(window_->PBXName(), QStringLiteral("PBX2"));
    EXPECT_TRUE(Child<ListBar>("lsbMenu")->isEnabled());
    // Every control that takes the focus has a name to say; the boxes take
    // theirs from their labels.
    const auto names = test::SpokenNames(window_.get());
    for (const char* control : {"txtTrunk", "txtTrunkRange", "tvwTrkData", "grdTrkData",
                                "chkSafetyNet", "lsbItem_Get", "lsbGroup1", "cmdCancel"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(control))) << control;
    EXPECT_EQ(names.value(QStringLiteral("txtTrunk")), QStringLiteral("Source trunk"));
    // With no host to show it, Help opens the help file's contents.
    window_->RunCommand(QStringLiteral("Help"));
    QTextBrowser* viewer = test::OpenHelpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->source().fileName(), QStringLiteral("kestrel.hlp"));
    EXPECT_EQ(viewer->source().fragment(), QStringLiteral("1000"));
    viewer->close();
    // Hide Window unloads a standalone window and deletes its copy.
    const QString copy = WorkCopy();
    window_->RunCommand(QStringLiteral("Hide Window"));
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_FALSE(QFile::exists(copy));
}

TEST_F(dlgKestrelTest, CommandsByKey) {
    window_->SetParent(&host_);
    ASSERT_TRUE(window_->Load());
    window_->SetPBXName(QStringLiteral("PBX1"));

    window_->RunCommand(QStringLiteral("View List"));
    EXPECT_EQ(window_->FrontPanel(), 1);
    EXPECT_EQ(Child<QLineEdit>("txtTrunk")->text(), QStringLiteral("000"));
    EXPECT_TRUE(window_->Session().Dispatcher().tmrEvent().isActive());  // the trunk changed
    host_.loginReply = QStringLiteral("BUSY");  // the read it starts is refused
    ASSERT_TRUE(test::WaitFor([&] {
        return window_->Session().Dispatcher().State() == DispatchState::Idle &&
               !window_->Session().Dispatcher().tmrEvent().isActive();
    }));
    window_->RunCommand(QStringLiteral("View List"));
    EXPECT_FALSE(window_->Session().Dispatcher().tmrEvent().isActive());  // unchanged: no request
    window_->RunCommand(QStringLiteral("View Tree"));
    EXPECT_EQ(window_->FrontPanel(), 0);

    host_.loginReply = QStringLiteral("LOGIN7");
    Child<QLineEdit>("txtTrunk")->setText(QStringLiteral("7"));
    window_->RunCommand(QStringLiteral("Get"));
    EXPECT_EQ(Child<QLineEdit>("txtTrunk")->text(), QStringLiteral("007"));
    EXPECT_EQ(Child<QLineEdit>("txtTrunk")->property("tag").toString(), QStringLiteral("007"));
    EXPECT_TRUE(host_.messages.contains(Msg(2)));

    // While the Get's request is in flight every command (from a shortcut or
    // the session interface) does nothing: no request, box, help or unload.
    ASSERT_TRUE(window_->Session().Dispatcher().RequestInFlight());
    window_->ShowPanel(1);
    tree_.boxes.Clear();
    const int sends = host_.sends;
    for (const char* key : {"Get", "Copy", "Preview", "Undo", "View List", "View Tree", "Print",
                            "History", "Help", "Hide Window", "Exit"}) {
        window_->RunCommand(QString::fromLatin1(key));
        EXPECT_EQ(host_.sends, sends) << key;
        EXPECT_TRUE(tree_.boxes.shown.empty()) << key;
        EXPECT_TRUE(host_.help.isEmpty()) << key;
        EXPECT_TRUE(host_.printed.isEmpty()) << key;
        EXPECT_EQ(window_->FrontPanel(), 1) << key;
        EXPECT_TRUE(window_->IsLoaded()) << key;
    }
    window_->Session().Dispatcher().FinishRequest(host_.loginReply);

    window_->RunCommand(QStringLiteral("Help"));
    EXPECT_EQ(host_.help, QStringList{QStringLiteral("kestrel.hlp")});
    window_->RunCommand(QStringLiteral("Unknown"));
    window_->RunCommand(QStringLiteral("Hide Window"));
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_FALSE(window_->isVisible());
    window_->RunCommand(QStringLiteral("Exit"));
    EXPECT_FALSE(window_->IsLoaded());
}

TEST(WindowPositionTest, ParsesTwoNumbersOnly) {
    EXPECT_EQ(ParsePosition(QStringLiteral("1200,900")), QPoint(1200, 900));
    EXPECT_EQ(ParsePosition(QStringLiteral(" 10.6 , -5 ")), QPoint(11, -5));
    for (const char* bad : {"", "1200", "1200,", "x,1", "1,2,3", "1e9,1", "nan,1"}) {
        EXPECT_FALSE(ParsePosition(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

// The German help holds every topic of the English one. The history's
// window, its command and its help topic carry one name, in either language.
TEST(LanguageSwapTest, GermanHelpHasEveryTopicAndHistoryOneName) {
    const QString addins = QStringLiteral(KESTREL_STAGE_ROOT "/ADDINS/");
    const auto help = [&](const char* file) {
        return HelpViewer::TopicTexts(addins + QStringLiteral("HELP/") + QLatin1String(file));
    };
    const auto topics = [&](const char* file) {
        QList<int> found = help(file).keys();
        std::ranges::sort(found);
        return found;
    };
    EXPECT_GE(topics("kestrel.hlp").size(), 17);
    EXPECT_EQ(topics("kestrel_de.hlp"), topics("kestrel.hlp"));
    const std::pair<const char*, const char*> languages[] = {{"", "kestrel.hlp"},
                                                             {"LANGUAGES/DE/", "kestrel_de.hlp"}};
    for (const auto& [language, file] : languages) {
        SCOPED_TRACE(language);
        auto db = Database::Open(
            addins + QStringLiteral("DATABASE/") + language + QStringLiteral("Kestrel.lng"), true);
        const auto first = [&](const char* sql) {
            auto rows = db->OpenRecordset(QString::fromLatin1(sql), RecordsetType::Snapshot);
            return rows->Eof() ? QString() : TextOf(rows->Fields(0));
        };
        QString noInsert;
        const QString title = ExpandTokens(
            first("SELECT Caption FROM tForms WHERE ObjectName = 'frmHistory'"), noInsert);
        EXPECT_FALSE(title.isEmpty());
        EXPECT_EQ(first("SELECT Text FROM tSSListBar WHERE ObjectName = 'lsbMenu' AND "
                        "GroupIndex = '1' AND ListItemIndex = '8'"),
                  title);
        EXPECT_EQ(help(file).value(1110).section(u'\n', 0, 0), title);
    }
}

}  // namespace
}  // namespace kestrel

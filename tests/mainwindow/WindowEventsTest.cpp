// The hosted main window: its load, its commands, and faults that live in its
// event handling, driven by real clicks, keys and focus changes.
#include <gtest/gtest.h>

#include <algorithm>

#include <QContextMenuEvent>
#include <QScreen>
#include <QTableView>

#include "catalogue/TreeEditor.h"
#include "platform/widgets/GuardedApplication.h"
#include "support/MainWindowParts.h"
#include "support/QtWarnings.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamTexts.h"

namespace kestrel {
namespace {

class WindowEventsTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(LoadHosted());
        window_->SetPBXName(QStringLiteral("PBX1"));
    }
    // A Get of trunk 005 answered with these items.
    void ReadSource(const QList<QStringList>& items) {
        Box("txtTrunk")->setText(QStringLiteral("005"));
        Answer(QStringLiteral("13"), {{"3000", "005", "01"}});
        Answer(QStringLiteral("11"), items);
        ASSERT_FALSE(Session().NoSourceData());
    }
    QStandardItem* Option(const QString& cmd, const QString& text) const {
        QStandardItem* title = test::Title(Session().Tree(), cmd);
        for (int o = 0; title && o < title->rowCount(); ++o) {
            if (title->child(o)->text() == text)
                return title->child(o);
        }
        return nullptr;
    }
    QTableView* Grid() const { return test::Child<QTableView>(window_.get(), "grdTrkData"); }
};

// While the exchange is asked about a station number, the dialog's OK waits
// and its box holds the number asked about; Cancel and Escape keep working.
// An answer that fails as a whole is told and OK works again; the number the
// exchange then confirms is the one handed back. A verdict that comes after
// the dialog has gone (closed by Escape) asks nothing more.
TEST_F(WindowEventsTest, AStationCheckLeavesTheDialogUsable) {
    ReadSource({{"3005", "005", "201"}, {"3001", "005", "01"}});
    QStandardItem* station = Option(QStringLiteral("3005"), QStringLiteral("Station number"));
    ASSERT_NE(station, nullptr);
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape while asked" : "asked twice");
        QString seen;  // the dialog while the exchange is asked, and after its answer
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmCmd*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* input = dialog->findChild<QLineEdit*>(QStringLiteral("txtData1"));
            QPushButton* buttons[2] = {};
            for (QPushButton* b : dialog->findChildren<QPushButton*>(QStringLiteral("cmdButton")))
                buttons[b->property("index").toInt() == 0 ? 0 : 1] = b;
            input->clear();
            QTest::keyClicks(input, QStringLiteral("250"));
            QTest::mouseClick(buttons[0], Qt::LeftButton);  // asks the exchange
            seen = QStringLiteral("asked %1, usable %2, OK %3")
                       .arg(Session().Dispatcher().RequestInFlight() && g_StationCheckPending)
                       .arg(dialog->isEnabled() && input->isEnabled() && buttons[1]->isEnabled())
                       .arg(buttons[0]->isEnabled());
            QTest::keyClicks(input, QStringLiteral("1"));
            seen += QStringLiteral(", box ") + input->text();
            if (escape) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                seen += dialog->isVisible() ? QStringLiteral(", open") : QStringLiteral(", closed");
            } else {
                Answer(QStringLiteral("14"), {}, 3);
                seen +=
                    QStringLiteral(", told %1 %2, OK again %3")
                        .arg(Prompts().size())
                        .arg(Prompts().join(u'|').section(u'(', 0, 0))
                        .arg(!g_StationCheckPending && !input->isReadOnly() && dialog->isVisible());
                dialog->cmdButton_Click(0);  // asks again
                QTest::keyClicks(input, QStringLiteral("9"));
                Answer(QStringLiteral("14"), {{"@LEN", "250", "", "OPX_STN_STATION"}});
            }
            if (dialog->isVisible())
                dialog->done(0);  // never leave the test hanging in the dialog
        });
        tree_.boxes.Clear();
        Session().Editor().NodeClick(station);
        Session().Editor().DoubleClick(station);
        EXPECT_EQ(seen, QStringLiteral("asked 1, usable 1, OK 0, box 250") +
                            (escape ? QStringLiteral(", closed")
                                    : QStringLiteral(", told 1 The station number could not be "
                                                     "checked , OK again 1")));
        EXPECT_EQ(window_->Tag(), escape ? QStringLiteral("cancel") : QStringLiteral("ok"));
        if (escape) {
            tree_.boxes.Clear();
            Answer(QStringLiteral("14"), {{"@LEN", "250", "", "OPX_STN_NOT ASSIGNED"}});
            EXPECT_TRUE(tree_.boxes.shown.empty());
            EXPECT_FALSE(g_StationCheckPending);
            EXPECT_TRUE(window_->IsEnabled());
        } else {
            EXPECT_EQ(Session().Editor().SelectedValue(), QStringLiteral("250"));
        }
    }
}

// The trunk box holds a number above the highest trunk at the highest,
// however long, and the message line says so; it never cuts digits off.
TEST_F(WindowEventsTest, TheTrunkBoxClampsAndSaysSo) {
    ASSERT_EQ(Session().HighestTrunk(), 511);
    // Typed, held, and the number the message line names as changed.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"1005", "511", "1005"}, {"600", "511", "600"}, {"0007", "0007", ""}, {"5", "5", ""}};
    for (const auto& [typed, held, told] : cases) {
        Box("txtTrunk")->clear();
        host_.messages.clear();
        QTest::keyClicks(Box("txtTrunk"), QString::fromLatin1(typed));
        EXPECT_EQ(Box("txtTrunk")->text(), QString::fromLatin1(held)) << typed;
        EXPECT_EQ(host_.messages.join(u'|'),
                  *told ? Msg(text::kTrunkNumberClamped)
                              .arg(QString::fromLatin1(told), QStringLiteral("511"))
                        : QString())
            << typed;
    }
    Box("txtTrunk")->setText(QStringLiteral("99999999999999999999"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("511"));
}

// Shift and a click on a node sends that node's line to the host, not the
// line of the node clicked before.
TEST_F(WindowEventsTest, ShiftClickSendsTheNodeJustClicked) {
    ReadSource({{"3001", "005", "01"}, {"3003", "005", "1"}});
    ShowActive();
    auto* view = test::Child<QTreeView>(window_.get(), "tvwTrkData");
    view->expandAll();
    QStandardItem* first =
        Option(QStringLiteral("3001"), QStringLiteral("Route 01: exchange lines"));
    QStandardItem* second = Option(QStringLiteral("3003"), QStringLiteral("Tone dialling"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const auto centre = [&](QStandardItem* node) {
        return test::NodeCentre(view, Session().Tree().indexFromItem(node));
    };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(first));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(second));
    ASSERT_TRUE(test::WaitFor([&] { return !host_.added.isEmpty(); }));
    const QStringList fields = host_.added.last().split(u'\t');
    EXPECT_EQ(QStringList({fields.value(0), fields.value(1), fields.value(4)}),
              QStringList({"3003", "005", "Tone dialling"}));
}

// A click on a row adds it to the rows the look-ups selected; a right-click
// on an empty list still brings the tree forward and offers What's This.
TEST_F(WindowEventsTest, ListClicksAddToTheSelectionAndEmptyListsAnswerRightClicks) {
    Grid()->resize(500, 300);
    window_->ShowPanel(1);
    ShowActive();
    QContextMenuEvent onEmpty(QContextMenuEvent::Mouse, QPoint(20, 20),
                              Grid()->viewport()->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(Grid()->viewport(), &onEmpty);
    EXPECT_EQ(window_->FrontPanel(), 0);
    EXPECT_EQ(popups_.shown, QStringList{QStringLiteral("mnuWhatsThis")});

    ReadSource({{"3001", "005", "01"}, {"3002", "005", "2"}, {"3003", "005", "1"}});
    window_->ShowPanel(1);
    Session().Values().GetItemValue(QStringLiteral("3001"));  // a look-up selects row 0
    const QRect row2 = Grid()->visualRect(Session().Values().index(2, 1));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, row2.center());
    QItemSelectionModel* selection = Session().Values().Selection();
    EXPECT_TRUE(selection->isRowSelected(0, {}));
    EXPECT_TRUE(selection->isRowSelected(2, {}));
    EXPECT_FALSE(selection->isRowSelected(1, {}));
}

// A destination list naming more trunks than one request can carry is
// refused before anything is sent, instead of overflowing the record inside
// the Copy command.
TEST_F(WindowEventsTest, AnOversizedDestinationListIsRefusedBeforeSending) {
    ReadSource({{"3001", "005", "01"}, {"3002", "005", "2"}});
    const std::pair<int, bool> cases[] = {
        {129, true}, {64, true}, {63, false}};  // 63 x 256 x 2 fit
    for (const auto& [ranges, refused] : cases) {
        QStringList pieces;
        for (int i = 0; i < ranges; ++i)
            pieces << QStringLiteral("0-255");
        Box("txtTrunkRange")->setText(pieces.join(u','));
        tree_.boxes.Clear();
        const int sends = host_.sends;
        window_->RunCommand(QStringLiteral("Copy"));
        if (refused) {
            EXPECT_EQ(host_.sends, sends) << ranges;
            ASSERT_EQ(tree_.boxes.shown.size(), 1u) << ranges;
            EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
                QStringLiteral("A copy of 2 items to %1 trunks").arg(ranges * 256)));
            EXPECT_TRUE(window_->IsEnabled());
        } else {
            EXPECT_EQ(host_.sends, sends + 1) << ranges;  // the destination check
            EXPECT_EQ(host_.sent.Count(), ranges * 256);
            EXPECT_TRUE(tree_.boxes.shown.empty());
        }
    }
}

// An error escaping a slot or event handler is caught at the last place,
// logged and shown; the program goes on.
TEST(GuardedApplicationTest, AnEscapedErrorIsShownNotFatal) {
    test::RuntimeTree tree;
    auto* app = qobject_cast<GuardedApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    const int before = app->CaughtErrors();
    // Each escaped error is logged as critical, with its number.
    const test::ExpectQtWarning logged(
        QStringLiteral("^kestrel.ui: Error (6|0) escaped an event handler: (Overflow|bad state)$"));
    QTimer::singleShot(0, [] { throw RunError(err::kOverflow, QStringLiteral("Overflow")); });
    QTimer::singleShot(0, [] { throw std::runtime_error("bad state"); });
    ASSERT_TRUE(test::WaitFor([&] { return app->CaughtErrors() == before + 2; }));
    ASSERT_TRUE(test::WaitFor([&] { return !tree.boxes.shown.empty(); }));
    EXPECT_EQ(tree.boxes.Last().prompt, QStringLiteral("Overflow[6]"));
    EXPECT_EQ(tree.boxes.Last().title, QStringLiteral("Notice"));
    EXPECT_EQ(logged.Count(), 2);
}

// A stored place is two numbers, and is taken only where enough of the
// window lands on a screen to take hold of.
TEST(WindowPlacementTest, AStoredPlaceIsTwoNumbersOnAScreen) {
    EXPECT_EQ(ParsePosition(QStringLiteral(" 10.6 , -5 ")), QPoint(11, -5));
    for (const char* bad : {"", "1200", "1200,", "x,1", "1,2,3", "1e9,1", "nan,1"})
        EXPECT_FALSE(ParsePosition(QString::fromLatin1(bad)).has_value()) << bad;
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    const std::pair<QRect, bool> cases[] = {
        {QRect(100, 100, 800, 600), true},
        {QRect(1500, 50, 800, 600), true},    // on the second screen
        {QRect(100, -30, 800, 600), false},   // title bar above every screen
        {QRect(100, 1020, 800, 600), false},  // only 4 pixels of it left
        {QRect(-790, 100, 800, 600), false},  // 10 pixels of width on screen
        {QRect(-700, 100, 800, 600), true},   // enough of it to take hold of
        {QRect(5000, 100, 800, 600), false},
        {QRect(3190, 100, 800, 600), false}};  // right of the second screen
    for (const auto& [window, reachable] : cases)
        EXPECT_EQ(PlacementReachable(window, screens), reachable)
            << window.x() << "," << window.y();
}

// The host keeps the client area's place: what is saved is what is
// restored, so the window stays put session after session; a place off
// every screen centres it.
TEST_F(WindowEventsTest, ThePlaceSavedIsThePlaceRestored) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    host_.stored.insert(QStringLiteral("Kestrel/MOVE"), QStringLiteral("120,90"));
    for (int session = 0; session < 3; ++session) {
        window_->hide();
        window_->SetParent(nullptr);
        window_->FrmMove(&host_);
        window_->SetParent(&host_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->FrmPositionSave();
        EXPECT_EQ(host_.stored.value(QStringLiteral("Kestrel/MOVE")), QStringLiteral("120,90"));
    }
    // Registered, the window keeps its place.
    const QPoint at = window_->pos();
    host_.stored.insert(QStringLiteral("Kestrel/MOVE"), QStringLiteral("300,300"));
    window_->FrmMove(&host_);
    EXPECT_EQ(window_->pos(), at);
    window_->hide();
    host_.stored.insert(QStringLiteral("Kestrel/MOVE"), QStringLiteral("120,-5000"));
    window_->SetParent(nullptr);
    window_->FrmMove(&host_);
    EXPECT_TRUE(screen.contains(window_->geometry().center()));
}

using dlgKestrelTest = test::WindowFixture;

// With a server set, the journal's entries not yet sent are counted under
// the safety net, with why they wait; the count follows the sender.
TEST_F(dlgKestrelTest, SaysHowManyJournalEntriesWaitForTheTeamsServer) {
    {
        auto journal = test::OpenJournal();
        ASSERT_TRUE(journal);
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
    const bool loaded = LoadHosted();
    SetTeamServerSetting(TeamServer());  // the other tests have none
    ASSERT_TRUE(loaded);
    const TeamJournal* team = window_->Session().MadeTeam();
    ASSERT_NE(team, nullptr);
    auto* line = test::Child<QLabel>(window_.get(), "lblTeamWaiting");
    ASSERT_TRUE(test::WaitFor(
        [&] { return team->Problem() == TeamProblem::Unreachable && !line->isHidden(); }));
    const QString reason =
        TeamProblemText(TeamProblem::Unreachable, server.Name(), team->ProblemDetail());
    EXPECT_EQ(
        line->text(),
        QStringLiteral("1 journal entry is waiting to be sent to the team journal. ") + reason);
}

TEST_F(dlgKestrelTest, WorkingCopyFailureKeepsTheAutomationWindowWithTheLoadError) {
    tree_.Sql(tree_.DatabaseDir() + QStringLiteral("Serial.MDB"),
              QStringLiteral("DELETE FROM SerialTable"));
    EXPECT_TRUE(LoadHosted());
    EXPECT_TRUE(window_->CheckDBLoadError());
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_EQ(tree_.boxes.shown.size(), 1u);
}

TEST_F(dlgKestrelTest, LocalisationFailureUnloadsAndRemovesTheCopy) {
    g_LangDb->Execute(
        QStringLiteral("INSERT INTO tControls VALUES ('dlgKestrel', 'lblNone', -1, "
                       "'x', '-1', NULL, '-1')"));
    EXPECT_FALSE(LoadHosted());
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_FALSE(QFile::exists(tree_.DatabaseDir() + g_WorkDbName));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral("[730]")));
}

TEST_F(dlgKestrelTest, StandaloneTakesTheCommandLineAndItsOwnHost) {
    LoadStandalone(QStringLiteral("PBX2"));
    EXPECT_EQ(window_->PBXName(), QStringLiteral("PBX2"));
    // With no host to show it, Help opens the help file's contents.
    window_->RunCommand(QStringLiteral("Help"));
    QTextBrowser* viewer = test::OpenHelpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->source().fileName(), QStringLiteral("kestrel.hlp"));
    EXPECT_EQ(viewer->source().fragment(), QStringLiteral("1000"));
    viewer->close();
    // Hide Window unloads a standalone window and deletes its copy.
    const QString copy = tree_.DatabaseDir() + g_WorkDbName;
    window_->RunCommand(QStringLiteral("Hide Window"));
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_FALSE(QFile::exists(copy));
}

// The hosted window's commands, from a load that tells nothing to the Exit
// that closes its databases. The working copy made and removed and the
// unload told to the host are AutomationTest's, over the connection.
TEST_F(WindowEventsTest, CommandsByKey) {
    EXPECT_TRUE(tree_.boxes.shown.empty());
    window_->RunCommand(QStringLiteral("View List"));
    EXPECT_EQ(window_->FrontPanel(), 1);
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("000"));
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
    Box("txtTrunk")->setText(QStringLiteral("7"));
    window_->RunCommand(QStringLiteral("Get"));
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
    EXPECT_EQ(g_LangDb, nullptr);
    EXPECT_EQ(window_->Session().WorkDb(), nullptr);
}

// The German help holds every topic of the English one.
TEST(LanguageSwapTest, GermanHelpHasEveryTopic) {
    const auto topics = [](const char* file) {
        QList<int> found =
            HelpViewer::TopicTexts(QStringLiteral(KESTREL_STAGE_ROOT "/ADDINS/HELP/") +
                                   QLatin1String(file))
                .keys();
        std::ranges::sort(found);
        return found;
    };
    EXPECT_GE(topics("kestrel.hlp").size(), 17);
    EXPECT_EQ(topics("kestrel_de.hlp"), topics("kestrel.hlp"));
}

}  // namespace
}  // namespace kestrel

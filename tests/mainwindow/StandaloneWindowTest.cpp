#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenu>
#include <QWhatsThis>
#include <algorithm>
#include <optional>

#include "catalogue/TreeImages.h"
#include "copyengine/TrunkRange.h"
#include "support/InputRoads.h"
#include "support/MainWindowParts.h"

namespace kestrel {
namespace {

// The standalone window worked by keyboard alone, with real key events, and
// its boxes reached by keys, clicks, pastes and focus changes.
class KeyboardTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
        ShowActive();
    }
    ListBar* Bar() const { return window_->findChild<ListBar*>(QStringLiteral("lsbMenu")); }
    QTreeView* Tree() const { return window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData")); }
    QToolButton* Group(int number) const {
        return window_->findChild<QToolButton*>(QStringLiteral("lsbGroup%1").arg(number));
    }
    void Press(const QKeySequence& keys) { QTest::keySequence(QApplication::focusWidget(), keys); }
    void WaitIdle() {
        ASSERT_TRUE(test::WaitFor(
            [&] {
                return window_->IsEnabled() && !Session().RequestUnderWay() &&
                       !Session().Dispatcher().tmrEvent().isActive() &&
                       Session().Dispatcher().State() == DispatchState::Idle;
            },
            20000));
    }
    // Reads a trunk afresh with F5.
    void ReadTrunk(const char* trunk) {
        WaitIdle();  // F5 during a request does nothing
        Box("txtTrunk")->setFocus(Qt::TabFocusReason);
        Box("txtTrunk")->setText(QString::fromLatin1(trunk));
        Press(CommandShortcut(QStringLiteral("Get")));
        WaitIdle();
        ASSERT_FALSE(Session().NoSourceData());
        ASSERT_EQ(Box("txtTrunk")->property("tag").toString(),
                  QString::fromLatin1(trunk).rightJustified(3, u'0'));
        tree_.boxes.Clear();
    }
    // What a command left behind: the boxes shown, the panel in front and
    // whether the window still stands.
    QString Outcome() const {
        return Prompts().join(u'|') + QStringLiteral("#panel%1#%2")
                                          .arg(window_->FrontPanel())
                                          .arg(window_->IsLoaded() ? "loaded" : "unloaded");
    }
};

// Each shortcut does what a click on its command-bar item does: run the
// command, or give the same refusal. None of these commands changes the data
// read, so each state is read once.
TEST_F(KeyboardTest, EveryShortcutIsTheClickOfItsItem) {
    // The command, with data (a Get of trunk 004, else of 000, not assigned),
    // refused.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"Copy", false, true},      {"Preview", false, true},    {"Print", false, true},
        {"Undo", false, true},      {"View List", false, false}, {"View List", true, false},
        {"View Tree", true, false}, {"Copy", true, true}};  // no destinations given
    std::optional<bool> read;
    for (const auto& [command, withData, refused] : cases) {
        SCOPED_TRACE(std::string(command) + (withData ? " with data" : " before Get"));
        if (read != withData) {
            if (withData) {
                ReadTrunk("4");
            } else {
                WaitIdle();
                Box("txtTrunk")->clear();
                window_->RunCommand(QStringLiteral("Get"));
            }
            read = withData;
        }
        const QString key = QString::fromLatin1(command);
        QString byKeys;
        QString byClick;
        for (QString* outcome : {&byKeys, &byClick}) {
            window_->ShowPanel(0);
            window_->activateWindow();
            // Leaving the trunk box may read it: done before the command.
            Box("txtTrunkRange")->setFocus(Qt::TabFocusReason);
            WaitIdle();
            tree_.boxes.Clear();
            if (outcome == &byKeys) {
                Press(CommandShortcut(key));
            } else {
                QToolButton* button = Bar()->ButtonForKey(key);
                ASSERT_TRUE(button && button->isVisible());
                QTest::mouseClick(button, Qt::LeftButton);
            }
            WaitIdle();
            *outcome = Outcome();
        }
        EXPECT_EQ(byKeys, byClick);
        EXPECT_EQ(!Prompts().isEmpty(), refused) << Prompts().join(u'|').toStdString();
    }
}

TEST_F(KeyboardTest, TabReachesEveryCommandAndSpaceOrEnterRunsIt) {
    QList<QWidget*> reached;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget();
    }
    for (QToolButton* button : Bar()->Buttons()) {
        EXPECT_EQ(reached.contains(button), button->isVisibleTo(window_.get()))
            << button->objectName().toStdString();
    }
    EXPECT_TRUE(reached.contains(Box("txtTrunkRange")));
    EXPECT_TRUE(reached.contains(Tree()));
    // The list lies behind the tree: Tab passes it by.
    auto* list = window_->findChild<QWidget*>(QStringLiteral("grdTrkData"));
    EXPECT_FALSE(reached.contains(list));
    // The order: boxes, the tree, then the command bar.
    EXPECT_LT(reached.indexOf(Box("txtTrunkRange")), reached.indexOf(Tree()));
    EXPECT_LT(reached.indexOf(Tree()), reached.indexOf(Bar()->ButtonForKey(QStringLiteral("Get"))));

    ReadTrunk("4");
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Space, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        window_->ShowPanel(0);
        QToolButton* viewList = Bar()->ButtonForKey(QStringLiteral("View List"));
        viewList->setFocus(Qt::TabFocusReason);
        QTest::keyClick(viewList, key, modifiers);
        WaitIdle();
        EXPECT_EQ(window_->FrontPanel(), 1);
        // A group header opens its group.
        Group(2)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Group(2), key, modifiers);
        EXPECT_EQ(Bar()->Group(), 2);
        Bar()->SetGroup(1);
    }
}

// A shortcut is shown in its item's tool tip. In either view the trunk
// boxes and the safety net are in sight, and while the net is off a notice
// beside it and Copy's tip say what it leaves out.
TEST_F(KeyboardTest, ShortcutsInTipsAndTheSafetyNetInSightInBothViews) {
    const auto inSight = [&](const char* name) {
        auto* control = window_->findChild<QWidget*>(QString::fromLatin1(name));
        QWidget* top = window_->childAt(control->mapTo(window_.get(), control->rect().center()));
        return control->isVisible() && top && (top == control || control->isAncestorOf(top));
    };
    for (const int panel : {1, 0}) {
        SCOPED_TRACE(panel);
        window_->ShowPanel(panel);
        for (const char* name : {"txtTrunk", "txtTrunkRange", "chkSafetyNet", "lblSafetyNetOff"})
            EXPECT_TRUE(inSight(name)) << name;
        EXPECT_EQ(inSight("grdTrkData"), panel == 1);
        EXPECT_EQ(inSight("tvwTrkData"), panel == 0);
    }
    EXPECT_EQ(Bar()->ButtonForKey(QStringLiteral("Copy"))->toolTip(),
              QStringLiteral("Copy to Trunks (Ctrl+Return)\nSafety net off: nothing is shown "
                             "before the copy, and nothing will be read back after it."));
    auto* net = window_->findChild<QCheckBox*>(QStringLiteral("chkSafetyNet"));
    QTest::mouseClick(net, Qt::LeftButton, {}, QPoint(8, net->height() / 2));
    EXPECT_TRUE(SafetyNetSetting());
    EXPECT_FALSE(inSight("lblSafetyNetOff"));
    EXPECT_EQ(Bar()->ButtonForKey(QStringLiteral("Copy"))->toolTip(),
              QStringLiteral("Copy to Trunks (Ctrl+Return)"));
}

// F1 opens the help topic of the control with the focus (or of the one the
// engineer was in before a request took it), whether or not the command bar
// is on; Shift+F1 shows its What's This.
TEST_F(KeyboardTest, F1OpensTheHelpOfTheFocusedControlWhateverTheBar) {
    const auto viewer = test::OpenHelpViewer;
    const auto whatsThisShown = [] {
        return std::ranges::any_of(QApplication::topLevelWidgets(), [](QWidget* w) {
            return w->isVisible() && QLatin1String(w->metaObject()->className()) == "QWhatsThat";
        });
    };
    const struct {
        const char* what;
        std::function<void()> arrange;
        const char* topic;
        bool whatsThis = true;
    } cases[] = {
        {"bar off: the trunk box emptied",
         [&] {
             Box("txtTrunk")->setFocus(Qt::TabFocusReason);
             Box("txtTrunk")->clear();
         },
         "2010"},
        {"a command-bar item", [&] { Bar()->ButtonForKey(QStringLiteral("Get"))->setFocus(); },
         "1000"},
        {"bar off: a request in flight",
         [&] {
             Box("txtTrunkRange")->setFocus(Qt::TabFocusReason);
             Box("txtTrunk")->setText(QStringLiteral("4"));
             window_->RunCommand(QStringLiteral("Get"));
             ASSERT_TRUE(test::WaitFor([&] { return !window_->IsEnabled(); }, 20000));
         },
         "2020", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WaitIdle();
        if (QTextBrowser* open = viewer())
            open->hide();
        ShowActive();
        c.arrange();
        if (c.whatsThis) {
            ASSERT_FALSE(whatsThisShown());
            Press(kWhatsThisKeys);
            EXPECT_TRUE(test::WaitFor(whatsThisShown, 2000));
            QWhatsThis::hideText();
            ASSERT_TRUE(test::WaitFor([&] { return !whatsThisShown(); }, 2000));
        }
        Press(QKeySequence(Qt::Key_F1));
        ASSERT_TRUE(test::WaitFor([&] { return viewer() != nullptr; }, 2000));
        EXPECT_EQ(viewer()->source().fileName(), QStringLiteral("kestrel.hlp"));
        EXPECT_EQ(viewer()->source().fragment(), QString::fromLatin1(c.topic));
    }
    WaitIdle();
    viewer()->close();
}

// Enter, keypad Enter and Space on a tree node do what a double-click does:
// each road chooses an option not yet taken.
TEST_F(KeyboardTest, EnterOrSpaceInTheTreeIsADoubleClick) {
    ReadTrunk("4");
    auto& model = Session().Tree();
    // Options 1 to 3 of the class of service: none is trunk 004's value (0).
    QStandardItem* service = test::Title(model, QStringLiteral("3002"));
    ASSERT_NE(service, nullptr);
    Tree()->expand(model.indexFromItem(service));
    // The double-click itself: CopyEndToEndTest's Choose.
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifiers> roads[] = {
        {"Return", Qt::Key_Return, Qt::NoModifier},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier},
        {"Space", Qt::Key_Space, Qt::NoModifier},
    };
    int option = 0;
    for (const auto& [name, key, modifiers] : roads) {
        SCOPED_TRACE(name);
        QStandardItem* node = service->child(++option);
        Tree()->setCurrentIndex(model.indexFromItem(node));
        Tree()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Tree(), key, modifiers);
        EXPECT_EQ(CatalogueTreeModel::ImageKey(node) + u'=' +
                      Session().Values().GetItemValue(QStringLiteral("3002")).toString(),
                  image::kEdit + u'=' + QString::number(option));
    }
    // On a title, Enter opens and closes it as a double-click does.
    const QModelIndex title = model.indexFromItem(model.item(0));
    Tree()->collapseAll();
    Tree()->setCurrentIndex(title);
    QTest::keyClick(Tree(), Qt::Key_Return);
    EXPECT_TRUE(Tree()->isExpanded(title));
    QTest::keyClick(Tree(), Qt::Key_Return);
    EXPECT_FALSE(Tree()->isExpanded(title));
}

// Only focus moving on to another control of the window reads the number
// just typed, and only a new one; the window losing focus in any other way
// reads nothing.
TEST_F(KeyboardTest, OnlyFocusToAnotherControlReads) {
    struct Case {
        const char* name;
        std::function<void()> leave;
        bool reads;
        bool retyped = true;
    };
    QWidget other;
    QMenu menu;
    menu.addAction(QStringLiteral("What's This?"));
    const Case cases[] = {
        {"Return in the box", [&] { QTest::keyClick(Box("txtTrunk"), Qt::Key_Return); }, true},
        {"keypad Enter, the number read kept",
         [&] { QTest::keyClick(Box("txtTrunk"), Qt::Key_Enter, Qt::KeypadModifier); }, false,
         false},
        {"Tab to the next box", [&] { QTest::keyClick(Box("txtTrunk"), Qt::Key_Tab); }, true},
        {"Tab again, the number read kept", [&] { QTest::keyClick(Box("txtTrunk"), Qt::Key_Tab); },
         false, false},
        {"click into the tree",
         [&] { QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); }, true},
        {"another window activated (Alt-Tab)",
         [&] {
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
         },
         false},
        {"a pop-up menu",
         [&] {
             menu.popup(window_->mapToGlobal(QPoint(20, 20)));
             ASSERT_TRUE(test::WaitFor([&] { return menu.isVisible(); }));
             menu.close();
         },
         false},
        {"the window hidden", [&] { window_->hide(); }, false},
        {"the window disabled by a request", [&] { window_->SetEnabled(false); }, false},
        // Asking for help or leaving never reads, by click or by Tab.
        {"a click on the Help group", [&] { QTest::mouseClick(Group(2), Qt::LeftButton); }, false},
        {"a click on the Exit group", [&] { QTest::mouseClick(Group(3), Qt::LeftButton); }, false},
        {"Tab to the Exit group", [&] { Group(3)->setFocus(Qt::TabFocusReason); }, false},
    };
    int number = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        other.hide();
        window_->SetEnabled(true);
        ShowActive();
        Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(test::WaitFor([&] { return Box("txtTrunk")->hasFocus(); }));
        if (c.retyped)
            Box("txtTrunk")->setText(QString::number(++number));
        const QString tagBefore = Box("txtTrunk")->property("tag").toString();
        c.leave();
        const bool scheduled = Session().Dispatcher().tmrEvent().isActive();
        EXPECT_EQ(scheduled, c.reads);
        EXPECT_EQ(Box("txtTrunk")->property("tag").toString(),
                  c.reads ? FormatTrunk(number) : tagBefore);
        // Let a read finish before the next case.
        ASSERT_TRUE(test::WaitFor([&] { return !Session().RequestUnderWay(); }, 20000));
    }
}

// A box never typed into names no trunk: the first click elsewhere reads
// nothing. Get with an empty box reads trunk 000, which the exchange does not
// hold: the engineer is told so. An Exit clicked then exits, asking nothing.
TEST_F(KeyboardTest, TheEmptyBoxReadsNothingAndItsGetFindsTrunk000NotAssigned) {
    ASSERT_EQ(QApplication::focusWidget(), Box("txtTrunk"));
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Return);
    // A number typed and taken back turns the command bar off, and its
    // shortcuts with it.
    QTest::keyClicks(Box("txtTrunk"), QStringLiteral("4"));
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Backspace);
    for (const char* command : {"Get", "Copy", "Exit"})
        QTest::keySequence(Box("txtTrunk"), CommandShortcut(QString::fromLatin1(command)));
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_FALSE(Session().Dispatcher().tmrEvent().isActive());
    EXPECT_FALSE(Session().RequestUnderWay());  // an Exit now would exit
    EXPECT_EQ(Box("txtTrunk")->text(), QString());
    EXPECT_TRUE(Prompts().isEmpty()) << Prompts().join(u'|').toStdString();

    RunAndWait(QStringLiteral("Get"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("000"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The source trunk is not")));

    tree_.boxes.Clear();
    QTest::mouseClick(Group(3), Qt::LeftButton);
    QTest::mouseClick(window_->findChild<QToolButton*>(QStringLiteral("lsbItem_Exit")),
                      Qt::LeftButton);
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_TRUE(Prompts().isEmpty()) << Prompts().join(u'|').toStdString();
}

// Text reaches the main window's boxes only through their filters: typed,
// pasted by key (Ctrl+V as X11 delivers it, with its control character, or
// as the test library does, with its letter), Shift+Insert or a drop; the
// editing keys work as in any box.
TEST_F(KeyboardTest, BoxesTakeOnlyWhatTheirFilterPasses) {
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"txtTrunk", "1", "abc", "typed abc", "1"},
        {"txtTrunk", "", "", "typed a1b2", "12"},
        {"txtTrunk", "1", "abc", "ctrl+v x11", "1"},
        {"txtTrunk", "1", "23", "ctrl+v x11", "123"},  // an editing key, not 22
        {"txtTrunk", "12", "", "keys ^A7", "7"},
        {"txtTrunkRange", "5", "", "keys ,6^Z", "5"},
        {"txtTrunkRange", "5-65", "", "keys ^A^X", ""},
        {"txtTrunkRange", "5", "", "keys ^A^C^V^V", "55"},
        {"txtTrunk", "1", "abc", "ctrl+v", "1"},
        {"txtTrunk", "1", "abc", "shift+insert", "1"},
        {"txtTrunk", "1", "2b", "shift+insert", "1"},  // refused whole
        {"txtTrunk", "1", "23", "shift+insert", "123"},
        {"txtTrunk", "1", "abc", "drop", "1"},
        {"txtTrunk", "1", "45", "drop", "145"},
        {"txtTrunkRange", "5", "x", "ctrl+v x11", "5"},
        {"txtTrunkRange", "5", ";7", "shift+insert", "5"},
        {"txtTrunkRange", "5", ",7-9", "shift+insert", "5,7-9"},
        {"txtTrunkRange", "5", "6 7", "drop", "5"},
        {"txtTrunkRange", "", "", "typed 1, 2-3", "1,2-3"},
    };
    for (const auto& [name, before, clipboard, road, after] : cases) {
        QLineEdit* box = Box(name);
        box->setText(QString::fromUtf8(before));
        box->end(false);
        ASSERT_TRUE(test::EnterByRoad(box, QString::fromUtf8(road), QString::fromUtf8(clipboard)));
        EXPECT_EQ(box->text(), QString::fromUtf8(after)) << name << " " << road << " " << clipboard;
    }
}

// The standalone window copying on the simulated exchange.
class CopyEndToEndTest : public KeyboardTest {
protected:
    // Selects the option by mouse and double-clicks it.
    void Choose(const char* cmd, int option) {
        QStandardItem* title = test::Title(Session().Tree(), QString::fromLatin1(cmd));
        ASSERT_NE(title, nullptr);
        Tree()->expand(Session().Tree().indexFromItem(title));
        const QPoint at =
            test::NodeCentre(Tree(), Session().Tree().indexFromItem(title->child(option)));
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // With the net on, trunk 004 read and its class of service set to 3, to
    // be copied to `destinations`; the preview will be answered with Copy.
    void ClassThreeOfTrunk4(const char* destinations) {
        SetSafetyNetSetting(true);
        ReadTrunk("4");
        Choose("3002", 3);
        Box("txtTrunkRange")->setText(QString::fromLatin1(destinations));
        test::OnModal(
            window_.get(),
            [this](QWidget* preview) {
                previewed_ = true;
                test::Child<QPushButton>(preview, "cmdCopy")->click();
            },
            true);
    }
    QString ValueOf(int trunk, const char* cmd) {
        return test::ExchangeValue(*test::OpenExchange(), trunk, QString::fromLatin1(cmd));
    }
    bool previewed_ = false;
};

// The source box retyped without leaving it: Copy reads the trunk in the
// box first and copies its data, never the data of the trunk read before.
TEST_F(CopyEndToEndTest, CopyAfterTheSourceWasRetypedCopiesTheTrunkInTheBox) {
    ClassThreeOfTrunk4("5");
    Box("txtTrunk")->setText(QStringLiteral("8"));
    window_->RunCommand(QStringLiteral("Copy"));
    ASSERT_TRUE(test::WaitFor(
        [&] { return previewed_ && !Session().Busy() && !Session().RequestUnderWay(); }, 20000));
    EXPECT_EQ(ValueOf(5, "3002"), ValueOf(8, "3002"));
    EXPECT_EQ(ValueOf(5, "3001"), ValueOf(8, "3001"));
}

// Closing the window while a copy writes asks first; kept open, the copy
// goes on; stopped, it ends after the entries in flight, is recorded whole
// and only then does the window unload. The exchange's file is the judge.
TEST_F(CopyEndToEndTest, ClosingDuringACopyAsksAndStopsAfterTheEntriesInFlight) {
    ClassThreeOfTrunk4("5-12");
    ExchangeFaults slow;
    slow.entryDelayMs = 30;
    test::OpenExchange()->SetFaults(slow);
    window_->RunCommand(QStringLiteral("Copy"));
    ASSERT_TRUE(test::WaitFor([&] { return ValueOf(5, "3002") == u"3"; }, 20000));
    tree_.boxes.Clear();
    tree_.boxes.Script({7});  // No: keep the window open
    window_->close();
    ASSERT_EQ(Prompts().size(), 1);
    EXPECT_TRUE(Prompts().first().startsWith(QStringLiteral("A copy is writing to the exchange")));
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_TRUE(Session().Writing());
    tree_.boxes.Script({6});  // Yes: stop after the entries in flight
    window_->close();
    ASSERT_TRUE(test::WaitFor([&] { return !window_->IsLoaded(); }, 30000));
    EXPECT_TRUE(Prompts().last().startsWith(QStringLiteral("The copy has ended.")))
        << Prompts().join(u'|').toStdString();
    // That each cell written is journalled with its old value is the
    // exploration's oracle, which closes windows during slow copies.
    auto journal = test::OpenJournal();
    ASSERT_NE(journal, nullptr);
    EXPECT_TRUE(journal->Entries(QStringLiteral("PBX1")).first().finished);
    EXPECT_EQ(ValueOf(12, "3002"), QString::number(12 % 4));  // never reached
}

}  // namespace
}  // namespace kestrel

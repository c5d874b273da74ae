#include <gtest/gtest.h>

#include <QCheckBox>
#include <QWhatsThis>
#include <algorithm>
#include <optional>

#include "catalogue/TreeImages.h"
#include "support/MainWindowParts.h"

namespace kestrel {
namespace {

// The standalone window worked by keyboard alone, with real key events.
class KeyboardTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
        ShowActive();
    }
    ListBar* Bar() const { return window_->findChild<ListBar*>(QStringLiteral("lsbMenu")); }
    QTreeView* Tree() const { return window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData")); }
    void Press(const QKeySequence& keys) {
        const QKeyCombination combination = keys[0];
        QTest::keyClick(QApplication::focusWidget(), combination.key(),
                        combination.keyboardModifiers());
    }
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
        auto* help = window_->findChild<QToolButton*>(QStringLiteral("lsbGroup2"));
        help->setFocus(Qt::TabFocusReason);
        QTest::keyClick(help, key, modifiers);
        EXPECT_EQ(Bar()->Group(), 2);
        Bar()->SetGroup(1);
    }
}

// Each shortcut is shown in its item's tool tip. In either view the trunk
// boxes and the safety net are in sight, and while the net is off a notice
// beside it and Copy's tip say what it leaves out.
TEST_F(KeyboardTest, ShortcutsInTipsAndTheSafetyNetInSightInBothViews) {
    for (const CommandKey& command : CommandKeys()) {
        QToolButton* button = Bar()->ButtonForKey(QString::fromLatin1(command.command));
        ASSERT_TRUE(button) << command.command;
        EXPECT_EQ(button->toolTip().section(u'\n', 0, 0),
                  button->text() + QStringLiteral(" (") +
                      command.keys.toString(QKeySequence::NativeText) + u')');
    }
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
    // An option not taken (nor read) under the first title that has one.
    const auto option = [&]() -> QStandardItem* {
        for (int t = 0; t < model.rowCount(); ++t) {
            QStandardItem* title = model.item(t);
            const QString held =
                Session().Values().GetItemValue(CatalogueTreeModel::Tag(title)).toString();
            for (int o = 0; o < title->rowCount(); ++o) {
                QStandardItem* node = title->child(o);
                if (CatalogueTreeModel::ImageKey(node) == image::kBlank &&
                    CatalogueTreeModel::OptionData(CatalogueTreeModel::Key(node)) != held)
                    return node;
            }
        }
        return nullptr;
    };
    const auto state = [&](QStandardItem* node) {
        const QString cmd = CatalogueTreeModel::Tag(node->parent());
        return CatalogueTreeModel::ImageKey(node) + u'=' +
               Session().Values().GetItemValue(cmd).toString();
    };
    // The double-click itself: CopyEndToEndTest.EditedValuesReachTheDestinations.
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifiers> roads[] = {
        {"Return", Qt::Key_Return, Qt::NoModifier},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier},
        {"Space", Qt::Key_Space, Qt::NoModifier},
    };
    for (const auto& [name, key, modifiers] : roads) {
        SCOPED_TRACE(name);
        QStandardItem* node = option();
        ASSERT_TRUE(node);
        Tree()->expand(model.indexFromItem(node->parent()));
        const QString before = state(node);
        Tree()->setCurrentIndex(model.indexFromItem(node));
        Tree()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Tree(), key, modifiers);
        const QString after = state(node);
        EXPECT_NE(after, before);
        EXPECT_EQ(after, image::kEdit + u'=' +
                             CatalogueTreeModel::OptionData(CatalogueTreeModel::Key(node)));
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

}  // namespace
}  // namespace kestrel

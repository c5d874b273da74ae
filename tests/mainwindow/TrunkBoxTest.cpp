#include <gtest/gtest.h>

#include <QMenu>

#include "copyengine/TrunkRange.h"
#include "support/InputRoads.h"
#include "support/MainWindowParts.h"

namespace kestrel {
namespace {

// The standalone window's trunk box on the built-in simulated exchange.
class TrunkBoxTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
    }
    QToolButton* Group(int number) const {
        return window_->findChild<QToolButton*>(QStringLiteral("lsbGroup%1").arg(number));
    }
};

// Only focus moving on to another control of the window reads the number
// just typed, and only a new one; the window losing focus in any other way
// reads nothing.
TEST_F(TrunkBoxTest, OnlyFocusToAnotherControlReads) {
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
         [&] {
             auto* tree = window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData"));
             QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
         },
         true},
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
// hold: the engineer is told so and there is nothing to copy. Trunk 010 also
// carries an item the catalogue does not know: it is left out without a box
// of its own. An Exit clicked then exits, asking nothing.
TEST_F(TrunkBoxTest, TheEmptyBoxReadsNothingAndItsGetFindsTrunk000NotAssigned) {
    ShowActive();
    ASSERT_EQ(QApplication::focusWidget(), Box("txtTrunk"));
    auto* tree = window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Return);
    // A number typed and taken back turns the command bar off, and its
    // shortcuts with it.
    QTest::keyClicks(Box("txtTrunk"), QStringLiteral("4"));
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Backspace);
    for (const char* command : {"Get", "Copy", "Exit"}) {
        const QKeyCombination keys = CommandShortcut(QString::fromLatin1(command))[0];
        QTest::keyClick(Box("txtTrunk"), keys.key(), keys.keyboardModifiers());
    }
    EXPECT_TRUE(window_->IsLoaded());
    EXPECT_FALSE(Session().Dispatcher().tmrEvent().isActive());
    EXPECT_FALSE(Session().RequestUnderWay());  // an Exit now would exit
    EXPECT_EQ(Box("txtTrunk")->text(), QString());
    EXPECT_TRUE(Prompts().isEmpty()) << Prompts().join(u'|').toStdString();

    RunAndWait(QStringLiteral("Get"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("000"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The source trunk is not")));
    EXPECT_TRUE(Session().NoSourceData());
    EXPECT_EQ(Session().Values().rowCount(), 0);
    for (const char* key : {"Copy", "Print"}) {
        tree_.boxes.Clear();
        window_->RunCommand(QString::fromLatin1(key));
        ASSERT_EQ(tree_.boxes.shown.size(), 1u) << key;
        EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("There is no trunk data")));
    }

    tree_.boxes.Clear();
    Box("txtTrunk")->setText(QStringLiteral("10"));
    RunAndWait(QStringLiteral("Get"));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("The request has been completed.")});
    EXPECT_FALSE(Session().NoSourceData());
    EXPECT_EQ(Session().Values().rowCount(), 14);

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
TEST_F(TrunkBoxTest, BoxesTakeOnlyWhatTheirFilterPasses) {
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

}  // namespace
}  // namespace kestrel

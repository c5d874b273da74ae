#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <functional>

#include "catalogue/ValueListModel.h"
#include "copyengine/TrunkRange.h"
#include "support/WindowFixture.h"

namespace kestrel {
namespace {

// The standalone window's trunk box on the built-in simulated exchange.
class TrunkBoxTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
    }
    void ShowActive() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
};

TEST_F(TrunkBoxTest, LeavingTheTrunkBoxReadsANewTrunkOnce) {
    ShowActive();
    Box("txtTrunk")->setText(QStringLiteral("600"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("511"));  // highest trunk
    Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
    Box("txtTrunk")->setText(QStringLiteral("4"));
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Tab);
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("004"));
    ASSERT_TRUE(test::WaitFor([&] { return !window_->NoSourceData(); }, 20000));
    EXPECT_EQ(window_->Values().rowCount(), 14);
    // Leaving it again with the same number reads nothing.
    ASSERT_TRUE(
        test::WaitFor([&] { return window_->Dispatcher().State() == DispatchState::Idle; }));
    Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(Box("txtTrunk"), Qt::Key_Tab);
    EXPECT_FALSE(window_->Dispatcher().tmrEvent().isActive());
}

// Only focus moving on to another control of the window reads the number
// just typed; the window losing focus in any other way reads nothing.
TEST_F(TrunkBoxTest, OnlyFocusToAnotherControlReads) {
    struct Case {
        const char* name;
        std::function<void()> leave;
        bool reads;
    };
    QWidget other;
    QMenu menu;
    menu.addAction(QStringLiteral("What's This?"));
    const Case cases[] = {
        {"Tab to the next box", [&] { QTest::keyClick(Box("txtTrunk"), Qt::Key_Tab); }, true},
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
    };
    int number = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        other.hide();
        window_->SetEnabled(true);
        ShowActive();
        Box("txtTrunk")->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(test::WaitFor([&] { return Box("txtTrunk")->hasFocus(); }));
        const QString typed = QString::number(++number);
        Box("txtTrunk")->setText(typed);
        const QString tagBefore = Box("txtTrunk")->property("tag").toString();
        c.leave();
        const bool scheduled = window_->Dispatcher().tmrEvent().isActive();
        EXPECT_EQ(scheduled, c.reads);
        EXPECT_EQ(Box("txtTrunk")->property("tag").toString(),
                  c.reads ? FormatTrunk(number) : tagBefore);
        // Let a read finish before the next case.
        ASSERT_TRUE(test::WaitFor(
            [&] {
                return window_->Dispatcher().State() == DispatchState::Idle &&
                       !window_->Dispatcher().tmrEvent().isActive();
            },
            20000));
    }
}

}  // namespace
}  // namespace kestrel

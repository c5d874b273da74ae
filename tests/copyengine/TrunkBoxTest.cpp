#include <gtest/gtest.h>

#include <QFocusEvent>

#include "catalogue/ValueListModel.h"
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
};

TEST_F(TrunkBoxTest, LeavingTheTrunkBoxReadsANewTrunkOnce) {
    Box("txtTrunk")->setText(QStringLiteral("600"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("511"));  // highest trunk
    Box("txtTrunk")->setText(QStringLiteral("4"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(Box("txtTrunk"), &leave);
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("004"));
    ASSERT_TRUE(test::WaitFor([&] { return !window_->NoSourceData(); }, 20000));
    EXPECT_EQ(window_->Values().rowCount(), 14);
    // Leaving it again with the same number reads nothing.
    QCoreApplication::sendEvent(Box("txtTrunk"), &leave);
    EXPECT_FALSE(window_->Dispatcher().tmrEvent().isActive());
}

}  // namespace
}  // namespace kestrel

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "support/WindowFixture.h"

namespace kestrel {
namespace {

// The standalone window on the built-in simulated exchange, driven through
// its widgets. KESTREL_TEST_SHOTS=<folder> keeps pictures of the window.
class GetEndToEndTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
        window_->resize(900, 620);
        window_->show();
    }
    void Shot(const char* name) {
        const QString folder = qEnvironmentVariable("KESTREL_TEST_SHOTS");
        if (!folder.isEmpty()) {
            QCoreApplication::processEvents();
            window_->grab().save(folder + u'/' + QString::fromLatin1(name) + ".png");
        }
    }
    QTreeView* Tree() const { return window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData")); }
    QString Label(const char* name) const {
        return window_->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    // Clicks, then double-clicks an option of an item, as the engineer does.
    void DoubleClickOption(const QString& cmd, const QString& data) {
        QStandardItem* title = nullptr;
        for (int r = 0; r < window_->Tree().rowCount(); ++r) {
            if (CatalogueTreeModel::Tag(window_->Tree().item(r)) == cmd)
                title = window_->Tree().item(r);
        }
        ASSERT_NE(title, nullptr);
        // A double-click on the title selects it and opens it.
        const QModelIndex titleIndex = window_->Tree().indexFromItem(title);
        Tree()->scrollTo(titleIndex);
        const QPoint titleAt = Tree()->visualRect(titleIndex).center();
        if (!Tree()->isExpanded(titleIndex)) {
            QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, titleAt);
            QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, titleAt);
        }
        QStandardItem* option = nullptr;
        for (int i = 0; i < title->rowCount(); ++i) {
            if (CatalogueTreeModel::OptionData(CatalogueTreeModel::Key(title->child(i))) == data) {
                option = title->child(i);
            }
        }
        ASSERT_NE(option, nullptr);
        const QModelIndex index = window_->Tree().indexFromItem(option);
        Tree()->scrollTo(index);
        const QPoint at = Tree()->visualRect(index).center();
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    int Row(const QString& cmd) const {
        for (int r = 0; r < window_->Values().rowCount(); ++r) {
            if (window_->Values().Cell(r, ValueListModel::kCmd) == cmd)
                return r;
        }
        return -1;
    }
};

TEST_F(GetEndToEndTest, GetEditAndRestoreOnTheSimulatedExchange) {
    QTest::keyClicks(Box("txtTrunk"), QStringLiteral("1x"));  // the letter is dropped
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("1"));
    RunAndWait(QStringLiteral("Get"));
    EXPECT_EQ(Box("txtTrunk")->text(), QStringLiteral("001"));
    ASSERT_FALSE(window_->NoSourceData());
    EXPECT_EQ(window_->Values().rowCount(), 14);
    // Trunk 001 carries an item the catalogue does not know, then the
    // closing message.
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith(QStringLiteral("3017")));
    EXPECT_EQ(tree_.boxes.shown[1].prompt, QStringLiteral("The request has been completed."));

    // Class of service of trunk 001 is 1; choose 3.
    const int row = Row(QStringLiteral("3002"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(window_->Values().Cell(row, ValueListModel::kData), QStringLiteral("1"));
    DoubleClickOption(QStringLiteral("3002"), QStringLiteral("3"));
    EXPECT_EQ(window_->Values().Cell(row, ValueListModel::kData), QStringLiteral("3"));
    EXPECT_TRUE(window_->Values().index(row, 0).data(ValueListModel::EditedRole).toBool());
    EXPECT_EQ(Label("lblCMD"), QStringLiteral("3002"));
    // The option read from the trunk keeps its tick beside the new choice.
    QStandardItem* title = window_->Tree().Node(QStringLiteral("Title2"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(CatalogueTreeModel::ImageKey(title->child(1)), image::kCheck);
    EXPECT_EQ(CatalogueTreeModel::ImageKey(title->child(3)), image::kEdit);
    EXPECT_EQ(Label("lblData"), QStringLiteral("3"));
    DoubleClickOption(QStringLiteral("3014"), QStringLiteral("OG"));
    g_BackgroundPath = tree_.AddinsDir() + QStringLiteral("/../BACKGRND/");
    window_->BackGround(2);
    EXPECT_TRUE(tree_.boxes.shown.size() == 2u);  // no failure from the pictures
    Shot("tree-edited");
    window_->RunCommand(QStringLiteral("View List"));
    Shot("list-edited");
    EXPECT_EQ(window_->FrontPanel(), 1);

    // Choosing the chosen option again restores the original value.
    window_->RunCommand(QStringLiteral("View Tree"));
    DoubleClickOption(QStringLiteral("3002"), QStringLiteral("3"));
    EXPECT_EQ(window_->Values().Cell(row, ValueListModel::kData), QStringLiteral("1"));
    EXPECT_FALSE(window_->Values().index(row, 0).data(ValueListModel::EditedRole).toBool());
}

TEST_F(GetEndToEndTest, ANotAssignedTrunkEmptiesTheList) {
    Box("txtTrunk")->setText(QStringLiteral("1"));
    RunAndWait(QStringLiteral("Get"));
    ASSERT_EQ(window_->Values().rowCount(), 14);
    tree_.boxes.Clear();
    Box("txtTrunk")->setText(QStringLiteral("2"));
    RunAndWait(QStringLiteral("Get"));
    EXPECT_EQ(window_->Values().rowCount(), 0);
    EXPECT_TRUE(window_->NoSourceData());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The source trunk is not")));
}

TEST_F(GetEndToEndTest, LeavingTheTrunkBoxReadsANewTrunkOnce) {
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

TEST_F(GetEndToEndTest, DestinationsAreCheckedWithTheExchange) {
    QStringList copied;
    window_->sendCopyRequests = [&](const QStringList& t) { copied = t; };
    Box("txtTrunk")->setText(QStringLiteral("4"));
    RunAndWait(QStringLiteral("Get"));
    tree_.boxes.Clear();
    QTest::keyClicks(Box("txtTrunkRange"), QStringLiteral("1-3, 17a"));
    EXPECT_EQ(Box("txtTrunkRange")->text(), QStringLiteral("1-3,17"));
    RunAndWait(QStringLiteral("Copy"));
    EXPECT_EQ(copied, QStringList({"001", "003"}));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral("\rD002,D017,")));
}

TEST_F(GetEndToEndTest, ListRightClickShowsTheRowInTheTree) {
    Box("txtTrunk")->setText(QStringLiteral("4"));
    RunAndWait(QStringLiteral("Get"));
    window_->RunCommand(QStringLiteral("View List"));
    const int row = Row(QStringLiteral("3003"));
    window_->Values().SetCurrentRow(row);
    window_->ShowItemInTree(QStringLiteral("3003"), QStringLiteral("2"));
    EXPECT_EQ(window_->FrontPanel(), 0);
    const QModelIndex current = Tree()->currentIndex();
    EXPECT_EQ(CatalogueTreeModel::Tag(window_->Tree().itemFromIndex(current)),
              QStringLiteral("3003"));
    EXPECT_TRUE(Tree()->isExpanded(current));
    QStandardItem* title = window_->Tree().itemFromIndex(current);
    EXPECT_EQ(CatalogueTreeModel::ImageKey(title->child(2)), image::kCheck);  // D:2
    EXPECT_EQ(Label("lblData"), QStringLiteral("2"));
}

}  // namespace
}  // namespace kestrel

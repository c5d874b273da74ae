#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "ExchangeAnswers.h"
#include "ModelRows.h"
#include "SmallPlan.h"
#include "safetynet/PreviewModel.h"
#include "safetynet/SafeCopyTexts.h"
#include "safetynet/widgets/frmPreview.h"
#include "support/QtPrinters.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

const QColor kDimmed(0x8a, 0x8f, 0x96);

QColor Foreground(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::ForegroundRole).value<QBrush>().color();
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.OpenStartupDatabases()); }
    test::RuntimeTree tree_;
};

TEST_F(PreviewTest, CellsShowOldAndNewAndDimWhatDoesNotChange) {
    CopyPlan plan(test::SmallSource(), {"004", "005", "006", "008"}, test::SmallSnapshot(), "004");
    PreviewModel model(plan);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    // NONE and CCC are one value; an unset value is a dash; no journal asked: nobody named.
    EXPECT_EQ(test::Rows(&model, true),
              "Trunk|Changes|Last changed|3001|3002|3003;004|0||01|NONE|2;005|1||02 → 01|NONE|2;"
              "006|1||01|3 → CCC|2;008|1||01|— → CCC|2");
    EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::ToolTipRole).toString(), "Class of service");
    EXPECT_EQ(model.data(model.index(2, 4), Qt::ToolTipRole).toString(), "Class of service");
    EXPECT_EQ(Foreground(model, 1, 4), kDimmed);
    EXPECT_NE(Foreground(model, 1, 3), kDimmed);

    // Leaving an item out dims its whole column and takes it out of the counts.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy heads(&model, &QAbstractItemModel::headerDataChanged);
    model.SetIncluded("3001", false);
    ASSERT_EQ(changed.size(), 1);
    const QModelIndex from = changed.at(0).at(0).toModelIndex();
    const QModelIndex to = changed.at(0).at(1).toModelIndex();
    EXPECT_TRUE(from.row() == 0 && from.column() <= 1 && to.row() == 3 && to.column() >= 3);
    EXPECT_EQ(heads.size(), 1);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(),
              kDimmed);
    // 3001 is still shown, just not sent.
    EXPECT_EQ(test::Rows(&model),
              "004|0||01|NONE|2;005|0||02 → 01|NONE|2;006|1||01|3 → CCC|2;008|1||01|— → CCC|2");
}

// Clicks the check box of a list's row where a user would.
void ClickCheck(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect check =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, check.center());
}

void ClickBox(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

class PreviewDialogTest : public PreviewTest {
protected:
    void Open(const QStringList& destinations, const QString& source = "001") {
        plan_ = std::make_unique<CopyPlan>(test::SmallSource(), destinations, current_, source);
        if (!lastChanges_.isEmpty())
            plan_->SetLastChanges(lastChanges_, "amy", readAt_);
        dialog_ = std::make_unique<frmPreview>(*plan_);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        items_ = dialog_->findChild<QListWidget*>("lstItems");
        changedOnly_ = dialog_->findChild<QCheckBox*>("chkChangedOnly");
        ASSERT_TRUE(items_ && changedOnly_);
    }
    QString Text(const char* label) const { return dialog_->findChild<QLabel*>(label)->text(); }
    // The notes and lists shown of those that come and go, and whether Copy is offered.
    QString Shown() const {
        QStringList shown;
        for (const char* name : {"lblSourceWarning", "lstLeftOut", "lblFailure", "lblChangedOnly",
                                 "lblChangedByOthers", "cmdCopy"}) {
            const QWidget* w = dialog_->findChild<QWidget*>(name);
            if (w->isVisible() && w->isEnabled())
                shown << QString::fromLatin1(name);
        }
        return shown.join(u' ');
    }
    QString Checks() const {
        QString states;
        for (int i = 0; i < items_->count(); ++i)
            states += items_->item(i)->checkState() == Qt::Checked ? u'x' : u'-';
        return states;
    }
    TrunkSnapshot current_ = test::SmallSnapshot();
    // Who changed the destinations last, as the journals say; this engineer is amy.
    QHash<QString, LastChange> lastChanges_;
    QDateTime readAt_;
    std::unique_ptr<CopyPlan> plan_;
    std::unique_ptr<frmPreview> dialog_;
    QListWidget* items_ = nullptr;
    QCheckBox* changedOnly_ = nullptr;
};

// Unchecking an item updates the counts; "changed items only" leaves out
// what changes nowhere, says so, and gives it back.
TEST_F(PreviewDialogTest, TheItemsChosenDecideTheCounts) {
    Open({"004", "005", "006", "008"});
    EXPECT_EQ(items_->item(0)->text(), "3001  Trunk route");
    const QString all = "Changes: 3 on 3 of 4 trunks · items chosen: 3 of 3";
    EXPECT_EQ(Text("lblSummary"), all);
    ClickCheck(items_, 1);
    EXPECT_EQ(Checks(), "x-x");
    EXPECT_FALSE(plan_->Included("3002"));
    EXPECT_EQ(Foreground(dialog_->Model(), 2, 4), kDimmed);  // 006: 3 -> CCC, left out
    EXPECT_EQ(Text("lblSummary"), "Changes: 1 on 1 of 4 trunks · items chosen: 2 of 3");
    ClickCheck(items_, 1);
    EXPECT_TRUE(plan_->Included("3002"));
    EXPECT_EQ(Text("lblSummary"), all);

    ClickCheck(items_, 0);  // the engineer's own choice first
    EXPECT_EQ(Shown(), "lstLeftOut cmdCopy");
    ClickBox(changedOnly_);
    EXPECT_EQ(Checks(), "-x-");
    EXPECT_EQ(Shown(), "lstLeftOut lblChangedOnly cmdCopy");
    EXPECT_EQ(Text("lblChangedOnly"), "Items left out that change nothing: 1");
    EXPECT_FALSE(plan_->Included("3003"));
    EXPECT_EQ(Text("lblSummary"), "Changes: 2 on 2 of 4 trunks · items chosen: 1 of 3");
    ClickBox(changedOnly_);
    EXPECT_EQ(Checks(), "-xx");
    EXPECT_EQ(Shown(), "lstLeftOut cmdCopy");

    // Choosing an unchanged item by hand ends "changed items only" and
    // keeps that choice; leaving out a changed item keeps it on.
    ClickBox(changedOnly_);
    ClickCheck(items_, 2);
    EXPECT_FALSE(changedOnly_->isChecked());
    EXPECT_EQ(Checks(), "-xx");
    ClickBox(changedOnly_);
    ClickCheck(items_, 1);
    EXPECT_TRUE(changedOnly_->isChecked());
    EXPECT_TRUE(plan_->IncludedItems().isEmpty());
    EXPECT_EQ(Shown(), "lstLeftOut lblChangedOnly");
}

// Tab goes from control to control (008 is left out: its list too), never
// through the grid's cells; the arrow keys move inside the grid, and Enter
// there never copies.
TEST_F(PreviewDialogTest, TabWalksTheControlsArrowsTheCellsEnterNeverCopies) {
    Open({"004", "005", "006", "008"});
    auto* grid = dialog_->findChild<QTableView*>("tblPreview");
    items_->setFocus(Qt::TabFocusReason);
    QStringList reached;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(dialog_->focusWidget(), Qt::Key_Tab);
        reached << dialog_->focusWidget()->objectName();
    }
    EXPECT_EQ(reached.join(u' '), "chkChangedOnly lstLeftOut tblPreview cmdCopy cmdClose lstItems");
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentIndex(dialog_->Model().index(0, 1));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex(), dialog_->Model().index(1, 2));
    QSignalSpy finished(dialog_.get(), &QDialog::finished);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(finished.isEmpty() && dialog_->isVisible());
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(dialog_->focusWidget()->objectName(), "lstLeftOut");
}

TEST_F(PreviewDialogTest, TheSourceWarningTheTrunksLeftOutAndAFailedReadAreShown) {
    Open({"002", "004", "005", "007", "009"}, "4");
    EXPECT_EQ(Shown(), "lblSourceWarning lstLeftOut cmdCopy");
    EXPECT_EQ(Text("lblSourceWarning"),
              QStringLiteral(
                  "The source trunk 4 is among the destinations: the copy would write over it."));
    EXPECT_EQ(Text("lblTrunks"), "Source trunk 4\nDestination trunks: 004, 005");
    EXPECT_EQ(test::Rows(dialog_->findChild<QListWidget*>("lstLeftOut")->model()),
              "002;007  WAIT, BUSY NOW;009");

    current_.notAssigned.clear();
    current_.refused.clear();
    Open({"005", "006"}, "004");
    EXPECT_EQ(Shown(), "cmdCopy");
    EXPECT_FALSE(dialog_->findChild<QLabel*>("lblLeftOut")->isVisible());

    // An incomplete read, or nothing left to write, offers no copy.
    current_.complete = false;
    current_.failure = "OPX_TIMEOUT";
    Open({"004", "010"});
    EXPECT_EQ(Shown(), "lstLeftOut lblFailure");
    EXPECT_TRUE(Text("lblFailure").contains("(OPX_TIMEOUT)"));
    current_ = test::SmallSnapshot();
    Open({"002", "007"});
    EXPECT_EQ(Shown(), "lstLeftOut");
    EXPECT_TRUE(dialog_->findChild<QPushButton*>("cmdClose")->isEnabled());
}

// Each destination names who changed it last; a colleague's change after the
// Get is warned of and marked, one's own or one made before the Get is not.
TEST_F(PreviewDialogTest, ColleaguesChangesSinceTheGetAreWarnedOf) {
    const QDate today = QDate::currentDate();
    const QDateTime yesterday(today.addDays(-1), QTime(23, 50));
    readAt_ = yesterday;  // the Get
    const QString before = yesterday.date().toString("yyyy-MM-dd ");
    struct Case {
        const char* trunk;
        JournalDesk desk;
        QDateTime time;
        QString shown;
        bool warned;
    };
    const JournalDesk amy{"amy", "Amy Stone", "", ""};
    const JournalDesk ben{"ben", "Ben Miller", "", ""};
    const JournalDesk carl{"carl", "", "", ""};  // no full name known
    const Case cases[] = {
        {"004", amy, QDateTime(today, QTime(0, 5)), "amy (Amy Stone) 00:05", false},
        {"005", ben, yesterday.addSecs(-600), "ben (Ben Miller) " + before + "23:40", false},
        {"006", ben, QDateTime(today, QTime(0, 20)), "ben (Ben Miller) 00:20", true},
        {"008", carl, yesterday.addSecs(300), "carl " + before + "23:55", true},
    };
    for (const Case& c : cases)
        lastChanges_.insert(c.trunk, {c.desk, c.time, "Copy", QString()});
    Open({"004", "005", "006", "008"});
    EXPECT_EQ(Shown(), "lstLeftOut lblChangedByOthers cmdCopy");
    EXPECT_EQ(Text("lblChangedByOthers"),
              "Changed by someone else since your Get: 006 (ben, 00:20), 008 (carl, " + before +
                  "23:55)");
    for (int row = 0; row < 4; ++row) {
        const Case& c = cases[row];
        const QModelIndex cell = dialog_->Model().index(row, PreviewModel::kLastChanged);
        const QString tip =
            DeskName(c.desk) + " changed this trunk after your Get of the source trunk.";
        EXPECT_EQ(cell.data().toString() + u'|' + cell.data(Qt::ToolTipRole).toString(),
                  c.shown + u'|' + (c.warned ? tip : QString()));
        EXPECT_EQ(cell.data(Qt::BackgroundRole).isValid(), c.warned) << c.trunk;
    }
    // No Get known: nothing is since it.
    readAt_ = QDateTime();
    Open({"004", "005", "006", "008"});
    EXPECT_EQ(Shown(), "lstLeftOut cmdCopy");
    EXPECT_EQ(dialog_->Model().index(2, PreviewModel::kLastChanged).data().toString(),
              cases[2].shown);
}

TEST_F(PreviewTest, ACopyToFiveTo511OpensWhole) {
    QTemporaryDir exchangeDir;
    auto exchange = SimulatedExchange::Open(exchangeDir.path() + u'/', "PBX1", test::kExchangeSeed);
    const TrunkSnapshot source = test::ReadSnapshot(*exchange, {"004"});
    QList<SourceItem> items;  // 3001 to 3016, as a Get would list them
    for (int n = 3001; n <= 3016; ++n)
        items.append({QString::number(n), QString(), source.Value("004", QString::number(n))});
    const QStringList destinations = ParseTrunkRange("5-511", 511).trunks;
    CopyPlan plan(items, destinations, test::ReadSnapshot(*exchange, destinations), "004");

    // The trunk list shows forty trunks, then how many there are.
    const QStringList trunks = ParseTrunkRange("1-41", 511).trunks;
    EXPECT_EQ(frmPreview::TrunkListText(trunks.mid(0, 40)), trunks.mid(0, 40).join(", "));
    EXPECT_EQ(frmPreview::TrunkListText(trunks),
              trunks.mid(0, 40).join(", ") + QStringLiteral(" … (41 trunks)"));

    // In German, the longer texts.
    tree_.UseLanguage("DE");
    ASSERT_TRUE(tree_.OpenStartupDatabases());
    frmPreview dialog(plan);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* table = dialog.findChild<QTableView*>("tblPreview");
    const QAbstractItemModel& model = *table->model();
    EXPECT_TRUE(dialog.findChild<QLabel*>("lblTrunks")->text().endsWith("… (477 Leitungen)"));
    EXPECT_EQ(QList<int>({model.rowCount(), model.columnCount(),
                          dialog.findChild<QListWidget*>("lstLeftOut")->count(),
                          dialog.findChild<QListWidget*>("lstItems")->count()}),
              QList<int>({477, 19, 30, 16}));  // every 17th trunk is not assigned
    // The trunk is the row's head.
    EXPECT_TRUE(table->isColumnHidden(0));
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), "005");
}

}  // namespace
}  // namespace kestrel

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
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
#include "SmallPlan.h"
#include "safetynet/PreviewModel.h"
#include "safetynet/SafeCopyTexts.h"
#include "safetynet/widgets/frmPreview.h"
#include "support/QtPrinters.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

const QColor kDimmed(0x8a, 0x8f, 0x96);

TrunkSnapshot Current() {
    return test::SmallSnapshot();
}

QList<SourceItem> Source() {
    return test::SmallSource();
}

QColor Foreground(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::ForegroundRole).value<QBrush>().color();
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.OpenStartupDatabases()); }
    test::RuntimeTree tree_;
};

TEST_F(PreviewTest, CellsShowOldAndNewAndDimWhatDoesNotChange) {
    CopyPlan plan(Source(), {"004", "005", "006", "008"}, Current(), "004");
    PreviewModel model(plan);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto text = [&model](int row, int column) {
        return model.data(model.index(row, column)).toString();
    };
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Trunk"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Changes"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Last changed"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("3001"));
    EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::ToolTipRole).toString(),
              QStringLiteral("Class of service"));
    EXPECT_EQ(text(1, 0), QStringLiteral("005"));
    EXPECT_EQ(text(1, 1), QStringLiteral("1"));
    EXPECT_EQ(text(1, 3), QStringLiteral("02 → 01"));
    EXPECT_EQ(text(1, 4), QStringLiteral("NONE"));  // NONE and CCC are one value
    EXPECT_EQ(text(2, 4), QStringLiteral("3 → CCC"));
    EXPECT_EQ(text(3, 4), QStringLiteral("— → CCC"));  // an unset value is a dash
    EXPECT_EQ(text(0, 1), QStringLiteral("0"));
    EXPECT_EQ(text(0, 2), QString());  // no journal asked: nobody named
    EXPECT_EQ(model.data(model.index(2, 4), Qt::ToolTipRole).toString(),
              QStringLiteral("Class of service"));
    EXPECT_TRUE(model.data(model.index(1, 3), PreviewModel::ChangedRole).toBool());
    EXPECT_FALSE(model.data(model.index(1, 4), PreviewModel::ChangedRole).toBool());
    // Unchanged cells are dimmed, changed ones are not.
    EXPECT_EQ(Foreground(model, 1, 4), kDimmed);
    EXPECT_NE(Foreground(model, 1, 3), kDimmed);

    // Leaving an item out dims its whole column and takes it out of the counts.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy heads(&model, &QAbstractItemModel::headerDataChanged);
    model.SetIncluded("3001", false);
    ASSERT_EQ(changed.size(), 1);
    const QModelIndex from = changed.at(0).at(0).toModelIndex();
    const QModelIndex to = changed.at(0).at(1).toModelIndex();
    EXPECT_LE(from.column(), 1);
    EXPECT_GE(to.column(), 3);
    EXPECT_EQ(from.row(), 0);
    EXPECT_EQ(to.row(), 3);
    EXPECT_EQ(heads.size(), 1);
    EXPECT_EQ(Foreground(model, 1, 3), kDimmed);
    EXPECT_FALSE(model.data(model.index(1, 3), PreviewModel::IncludedRole).toBool());
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(),
              kDimmed);
    EXPECT_EQ(text(1, 3), QStringLiteral("02 → 01"));  // still shown, just not sent
    EXPECT_EQ(text(1, 1), QStringLiteral("0"));
    EXPECT_EQ(text(2, 1), QStringLiteral("1"));
    model.IncludeChangedOnly();
    model.ChoiceChanged();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), 6);

    CopyPlan empty({}, {}, TrunkSnapshot(), "004");
    PreviewModel none(empty);
    QAbstractItemModelTester emptyTester(&none,
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    none.ChoiceChanged();
    EXPECT_EQ(none.rowCount(), 0);
    EXPECT_EQ(none.columnCount(), 3);
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
        plan_ = std::make_unique<CopyPlan>(Source(), destinations, current_, source);
        if (!lastChanges_.isEmpty())
            plan_->SetLastChanges(lastChanges_, QStringLiteral("amy"), readAt_);
        dialog_ = std::make_unique<frmPreview>(*plan_);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        items_ = dialog_->findChild<QListWidget*>("lstItems");
        changedOnly_ = dialog_->findChild<QCheckBox*>("chkChangedOnly");
        ASSERT_TRUE(items_ && changedOnly_);
    }
    QString Text(const char* label) const { return dialog_->findChild<QLabel*>(label)->text(); }
    bool Shown(const char* name) const { return dialog_->findChild<QWidget*>(name)->isVisible(); }
    QList<Qt::CheckState> Checks() const {
        QList<Qt::CheckState> states;
        for (int i = 0; i < items_->count(); ++i)
            states.append(items_->item(i)->checkState());
        return states;
    }
    TrunkSnapshot current_ = Current();
    // Who changed the destinations last, as the journals say; this engineer is amy.
    QHash<QString, LastChange> lastChanges_;
    QDateTime readAt_;
    std::unique_ptr<CopyPlan> plan_;
    std::unique_ptr<frmPreview> dialog_;
    QListWidget* items_ = nullptr;
    QCheckBox* changedOnly_ = nullptr;
};

// Unchecking an item dims its column and updates the counts; "changed items
// only" leaves out what changes nowhere and gives it back.
TEST_F(PreviewDialogTest, TheItemsChosenDecideTheCounts) {
    Open({"004", "005", "006", "008"});
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Copy Preview"));
    EXPECT_EQ(items_->item(0)->text(), QStringLiteral("3001  Trunk route"));
    const QString all = QStringLiteral("Changes: 3 on 3 of 4 trunks · items chosen: 3 of 3");
    EXPECT_EQ(Text("lblSummary"), all);
    PreviewModel& model = dialog_->Model();
    ClickCheck(items_, 1);
    EXPECT_EQ(items_->item(1)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(plan_->Included("3002"));
    EXPECT_EQ(Foreground(model, 2, 4), kDimmed);  // 006: 3 -> CCC, left out
    EXPECT_EQ(model.data(model.index(2, 1)).toInt(), 0);
    EXPECT_EQ(Text("lblSummary"),
              QStringLiteral("Changes: 1 on 1 of 4 trunks · items chosen: 2 of 3"));
    ClickCheck(items_, 1);
    EXPECT_TRUE(plan_->Included("3002"));
    EXPECT_NE(Foreground(model, 2, 4), kDimmed);
    EXPECT_EQ(Text("lblSummary"), all);

    ClickCheck(items_, 0);  // the engineer's own choice first
    EXPECT_EQ(Checks(), QList<Qt::CheckState>({Qt::Unchecked, Qt::Checked, Qt::Checked}));
    EXPECT_FALSE(Shown("lblChangedOnly"));
    ClickBox(changedOnly_);
    EXPECT_TRUE(changedOnly_->isChecked());
    EXPECT_EQ(Checks(), QList<Qt::CheckState>({Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    // What it left out is said beside it, not only in the ticks.
    EXPECT_TRUE(Shown("lblChangedOnly"));
    EXPECT_EQ(Text("lblChangedOnly"), QStringLiteral("Items left out that change nothing: 1"));
    EXPECT_FALSE(plan_->Included("3003"));
    EXPECT_EQ(Text("lblSummary"),
              QStringLiteral("Changes: 2 on 2 of 4 trunks · items chosen: 1 of 3"));
    ClickBox(changedOnly_);
    EXPECT_FALSE(changedOnly_->isChecked());
    EXPECT_FALSE(Shown("lblChangedOnly"));
    EXPECT_EQ(Checks(), QList<Qt::CheckState>({Qt::Unchecked, Qt::Checked, Qt::Checked}));

    // Choosing an unchanged item by hand ends "changed items only" and
    // keeps that choice.
    ClickBox(changedOnly_);
    ClickCheck(items_, 2);
    EXPECT_FALSE(changedOnly_->isChecked());
    EXPECT_EQ(Checks(), QList<Qt::CheckState>({Qt::Unchecked, Qt::Checked, Qt::Checked}));
    EXPECT_TRUE(plan_->Included("3003"));
    // Leaving out a changed item keeps it on.
    ClickBox(changedOnly_);
    ClickCheck(items_, 1);
    EXPECT_TRUE(changedOnly_->isChecked());
    EXPECT_TRUE(plan_->IncludedItems().isEmpty());
    EXPECT_FALSE(dialog_->findChild<QPushButton*>("cmdCopy")->isEnabled());
}

TEST_F(PreviewDialogTest, CopyAcceptsCloseAndEscapeReject) {
    struct Case {
        const char* action;
        int result;
    };
    const Case cases[] = {{"cmdCopy", QDialog::Accepted},
                          {"cmdClose", QDialog::Rejected},
                          {"Escape", QDialog::Rejected},
                          {"Return", -1}};
    for (const Case& c : cases) {
        Open({"004", "005"});
        QSignalSpy finished(dialog_.get(), &QDialog::finished);
        const std::string action = c.action;
        if (action == "Escape" || action == "Return") {
            dialog_->findChild<QTableView*>("tblPreview")->setFocus();
            QTest::keyClick(dialog_.get(), action == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        } else {
            auto* button = dialog_->findChild<QPushButton*>(c.action);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        if (c.result < 0) {
            // Enter alone never copies.
            EXPECT_TRUE(finished.isEmpty());
            EXPECT_TRUE(dialog_->isVisible());
        } else {
            ASSERT_EQ(finished.size(), 1) << c.action;
            EXPECT_EQ(dialog_->result(), c.result) << c.action;
            EXPECT_FALSE(dialog_->isVisible());
        }
    }
}

// Tab goes from control to control (008 is left out: its list too), never
// through the grid's cells; the arrow keys move inside the grid.
TEST_F(PreviewDialogTest, TabWalksTheControlsArrowsTheCells) {
    Open({"004", "005", "006", "008"});
    auto* grid = dialog_->findChild<QTableView*>("tblPreview");
    items_->setFocus(Qt::TabFocusReason);
    QStringList reached;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(dialog_->focusWidget(), Qt::Key_Tab);
        reached << dialog_->focusWidget()->objectName();
    }
    EXPECT_EQ(reached, QStringList({"chkChangedOnly", "lstLeftOut", "tblPreview", "cmdCopy",
                                    "cmdClose", "lstItems"}));
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentIndex(dialog_->Model().index(0, 1));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex(), dialog_->Model().index(1, 2));
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(dialog_->focusWidget()->objectName(), QStringLiteral("lstLeftOut"));
}

TEST_F(PreviewDialogTest, TheSourceWarningTheTrunksLeftOutAndAFailedReadAreShown) {
    Open({"002", "004", "005", "007", "009"}, "4");
    EXPECT_TRUE(Shown("lblSourceWarning"));
    EXPECT_EQ(Text("lblSourceWarning"),
              QStringLiteral(
                  "The source trunk 4 is among the destinations: the copy would write over it."));
    EXPECT_EQ(Text("lblTrunks"), QStringLiteral("Source trunk 4\nDestination trunks: 004, 005"));
    EXPECT_TRUE(Shown("lstLeftOut"));
    EXPECT_EQ(Text("lblLeftOut"), QStringLiteral("Not assigned or refused, left out:"));
    auto* leftOut = dialog_->findChild<QListWidget*>("lstLeftOut");
    QStringList rows;
    for (int i = 0; i < leftOut->count(); ++i)
        rows.append(leftOut->item(i)->text());
    EXPECT_EQ(rows, QStringList({"002", "007  WAIT, BUSY NOW", "009"}));
    EXPECT_TRUE(dialog_->findChild<QPushButton*>("cmdCopy")->isEnabled());

    current_.notAssigned.clear();
    current_.refused.clear();
    Open({"005", "006"}, "004");
    EXPECT_FALSE(Shown("lblSourceWarning"));
    EXPECT_FALSE(Shown("lstLeftOut"));
    EXPECT_FALSE(Shown("lblLeftOut"));
    EXPECT_FALSE(Shown("lblFailure"));

    // An incomplete read, or nothing left to write, offers no copy.
    current_.complete = false;
    current_.failure = "OPX_TIMEOUT";
    Open({"004", "010"});
    EXPECT_TRUE(Shown("lblFailure"));
    EXPECT_TRUE(Text("lblFailure").contains(QStringLiteral("(OPX_TIMEOUT)")));
    EXPECT_FALSE(dialog_->findChild<QPushButton*>("cmdCopy")->isEnabled());
    current_ = Current();
    Open({"002", "007"});
    EXPECT_FALSE(dialog_->findChild<QPushButton*>("cmdCopy")->isEnabled());
    EXPECT_TRUE(dialog_->findChild<QPushButton*>("cmdClose")->isEnabled());
}

// Each destination names who changed it last; a colleague's change after the
// Get is warned of and marked, one's own or one made before the Get is not.
TEST_F(PreviewDialogTest, ColleaguesChangesSinceTheGetAreWarnedOf) {
    const QDate today = QDate::currentDate();
    const QDateTime yesterday(today.addDays(-1), QTime(23, 50));
    readAt_ = yesterday;  // the Get
    const QString before = yesterday.date().toString(QStringLiteral("yyyy-MM-dd "));
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
    EXPECT_TRUE(Shown("lblChangedByOthers"));
    EXPECT_EQ(Text("lblChangedByOthers"),
              "Changed by someone else since your Get: 006 (ben, 00:20), 008 (carl, " + before +
                  "23:55)");
    const PreviewModel& model = dialog_->Model();
    for (int row = 0; row < 4; ++row) {
        const Case& c = cases[row];
        const QModelIndex cell = model.index(row, PreviewModel::kLastChanged);
        EXPECT_EQ(model.data(cell).toString(), c.shown) << c.trunk;
        EXPECT_EQ(model.data(cell, Qt::BackgroundRole).isValid(), c.warned) << c.trunk;
        EXPECT_EQ(model.data(cell, Qt::ToolTipRole).toString(),
                  c.warned
                      ? DeskName(c.desk) + " changed this trunk after your Get of the source trunk."
                      : QString())
            << c.trunk;
    }
    // No Get known: nothing is since it.
    readAt_ = QDateTime();
    Open({"004", "005", "006", "008"});
    EXPECT_FALSE(Shown("lblChangedByOthers"));
    EXPECT_EQ(
        dialog_->Model().data(dialog_->Model().index(2, PreviewModel::kLastChanged)).toString(),
        cases[2].shown);
}

// Saves a picture of the dialog when KESTREL_PROBE_DIR names a folder.
void Probe(QWidget& dialog, const QString& name) {
    const QString folder = qEnvironmentVariable("KESTREL_PROBE_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(dialog.grab().save(folder + u'/' + name));
}

// Every caption of the dialog fits its control.
void ExpectNothingClipped(QWidget& dialog) {
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        const auto* label = qobject_cast<QLabel*>(w);
        if (qobject_cast<QAbstractButton*>(w) || (label && !label->wordWrap())) {
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        }
    }
}

TEST_F(PreviewTest, ACopyToFiveTo511OpensInBothLanguages) {
    QTemporaryDir exchangeDir;
    auto exchange = SimulatedExchange::Open(exchangeDir.path() + u'/', QStringLiteral("PBX1"),
                                            test::kExchangeSeed);
    const test::SeededCopy copy = test::SeededCopyOf(*exchange, "004", "5-511");
    ASSERT_EQ(copy.destinations.size(), 507);
    ASSERT_EQ(copy.items.size(), 16);
    CopyPlan plan(copy.items, copy.destinations, copy.current, "004");
    ASSERT_EQ(plan.Destinations().size(), 477);  // every 17th is not assigned
    EXPECT_EQ(plan.NotAssigned().size(), 30);

    // The trunk list shows forty trunks, then how many there are.
    QStringList trunks;  // 001 to 041
    for (int t = 1; t <= 41; ++t)
        trunks.append(QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')));
    EXPECT_EQ(frmPreview::TrunkListText(trunks.mid(0, 40)), trunks.mid(0, 40).join(", "));
    EXPECT_EQ(frmPreview::TrunkListText(trunks),
              trunks.mid(0, 40).join(", ") + QStringLiteral(" … (41 trunks)"));
    EXPECT_EQ(frmPreview::TrunkListText({}), QString());

    struct Language {
        const char* probe;
        const char* title;
        const char* copy;
        const char* trunkHead;
        const char* more;
    };
    const Language languages[] = {
        {"preview-en.png", "Copy Preview", "Copy", "Trunk", "… (477 trunks)"},
        {"preview-de.png", "Vorschau der Kopie", "Kopieren", "Leitung", "… (477 Leitungen)"},
    };
    for (const Language& l : languages) {
        if (QString::fromUtf8(l.probe).endsWith(QStringLiteral("de.png"))) {
            tree_.UseLanguage(QStringLiteral("DE"));
            ASSERT_TRUE(tree_.OpenStartupDatabases());
        }
        frmPreview dialog(plan);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(l.title));
        EXPECT_EQ(dialog.findChild<QPushButton*>("cmdCopy")->text(), QString::fromUtf8(l.copy));
        auto* table = dialog.findChild<QTableView*>("tblPreview");
        EXPECT_EQ(table->model()->rowCount(), 477);
        EXPECT_EQ(table->model()->columnCount(), 19);
        EXPECT_EQ(table->model()->headerData(0, Qt::Horizontal).toString(),
                  QString::fromUtf8(l.trunkHead));
        EXPECT_TRUE(
            dialog.findChild<QLabel*>("lblTrunks")->text().endsWith(QString::fromUtf8(l.more)));
        EXPECT_EQ(dialog.findChild<QListWidget*>("lstLeftOut")->count(), 30);
        EXPECT_EQ(dialog.findChild<QListWidget*>("lstItems")->count(), 16);
        // Columns are as wide as what they show.
        EXPECT_TRUE(table->isColumnHidden(0));
        EXPECT_EQ(dialog.findChild<QLabel*>("lblTrunkHead")->text(),
                  QString::fromUtf8(l.trunkHead));
        EXPECT_EQ(table->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("005"));
        for (int c = 1; c < table->model()->columnCount(); ++c) {
            EXPECT_GE(table->columnWidth(c), table->horizontalHeader()->sectionSizeHint(c)) << c;
        }
        ExpectNothingClipped(dialog);
        Probe(dialog, QString::fromUtf8(l.probe));
    }
}

}  // namespace
}  // namespace kestrel

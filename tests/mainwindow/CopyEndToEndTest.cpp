#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/StationCheck.h"
#include "dialogs/frmCmd.h"
#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedExchange.h"
#include "platform/FileOps.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/ExchangeValue.h"
#include "support/WindowFixture.h"

namespace kestrel {
namespace {

// The standalone window copying on the simulated exchange, the real
// additional-data dialog answered as the engineer would.
class CopyEndToEndTest : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        LoadStandalone();
        window_->resize(900, 620);
        window_->show();
    }
    void TearDown() override {
        g_StationCheckPending = false;
        WindowFixture::TearDown();
    }
    void Get(const char* trunk) {
        Box("txtTrunk")->setText(QString::fromLatin1(trunk));
        RunAndWait(QStringLiteral("Get"));
        tree_.boxes.Clear();
    }
    QString Value(const char* cmd) const {
        for (int r = 0; r < Session().Values().rowCount(); ++r) {
            if (Session().Values().Cell(r, ValueListModel::kCmd) == QString::fromLatin1(cmd)) {
                return Session().Values().Cell(r, ValueListModel::kData);
            }
        }
        return QStringLiteral("<none>");
    }
    // Selects the option and double-clicks it; a dialog it opens is given
    // to answer (typed text, then OK) while it is shown.
    void Choose(const char* cmd, int option, const QStringList& typed = {}) {
        QStandardItem* title = nullptr;
        for (int r = 0; r < Session().Tree().rowCount(); ++r) {
            if (CatalogueTreeModel::Tag(Session().Tree().item(r)) == QString::fromLatin1(cmd)) {
                title = Session().Tree().item(r);
            }
        }
        ASSERT_NE(title, nullptr);
        auto* tree = window_->findChild<QTreeView*>(QStringLiteral("tvwTrkData"));
        tree->expand(Session().Tree().indexFromItem(title));
        const QModelIndex index = Session().Tree().indexFromItem(title->child(option));
        tree->scrollTo(index);
        const QPoint at = tree->visualRect(index).center();
        if (!typed.isEmpty()) {
            WhenModal([typed](QWidget* modal) {
                auto* dialog = qobject_cast<frmCmd*>(modal);
                auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtData1"));
                box->clear();
                QTest::keyClicks(box, typed.first());
                dialog->cmdButton_Click(0);
                // A station number waits for the exchange; then the answer
                // for a refused number is to cancel.
                if (dialog->IsLoaded()) {
                    test::WaitFor([&] { return !g_StationCheckPending || !dialog->isVisible(); },
                                  10000);
                    if (dialog->isVisible())
                        dialog->cmdButton_Click(1);
                }
            });
        }
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_TRUE(test::WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    }
    // Hands the next modal dialog to `act` once it is up.
    void WhenModal(std::function<void(QWidget*)> act) {
        auto* poll = new QTimer(window_.get());
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act(dialog);
        });
        poll->start();
    }
    // Clicks `button` of the next modal dialog, after handing it to `look`.
    void AnswerDialog(const char* button, std::function<void(QWidget*)> look = {}) {
        WhenModal([button, look](QWidget* dialog) {
            if (look)
                look(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
        });
    }
    // With the net on, trunk 004 read and its class of service set to 3, to
    // be copied to `destinations`.
    void ClassThreeOfTrunk4(const char* destinations) {
        SetSafetyNetSetting(true);
        Get("4");
        Choose("3002", 3);
        Box("txtTrunkRange")->setText(QString::fromLatin1(destinations));
    }
    QString ValueOf(int trunk, const char* cmd) {
        return test::ExchangeValue(*Exchange(), trunk, QString::fromLatin1(cmd));
    }
    std::unique_ptr<SimulatedExchange> Exchange() {
        return SimulatedExchange::Open(ResolvePath(ExchangeFolder()), QStringLiteral("PBX1"),
                                       ExchangeSeedPath());
    }
};

TEST_F(CopyEndToEndTest, EditedValuesReachTheDestinations) {
    Get("1");
    Choose("3002", 3);                           // class of service: plain option 3
    Choose("3001", 0, {QStringLiteral("9")});    // route typed: 09
    Choose("3006", 0, {QStringLiteral("3c")});   // hex code typed: 3C
    Choose("3008", 0, {QStringLiteral("7")});    // restriction class 7, table kept
    Choose("3005", 0, {QStringLiteral("300")});  // night station checked: accepted
    EXPECT_EQ(Value("3002"), QStringLiteral("3"));
    EXPECT_EQ(Value("3001"), QStringLiteral("09"));
    EXPECT_EQ(Value("3006"), QStringLiteral("3C"));
    EXPECT_EQ(Value("3005"), QStringLiteral("300"));
    const QString toll = Value("3008");
    EXPECT_TRUE(toll.startsWith(QStringLiteral("07"))) << toll.toStdString();
    Choose("3005", 0, {QStringLiteral("999")});  // not assigned: refused, cancelled
    EXPECT_EQ(Value("3005"), QStringLiteral("300"));
    ASSERT_FALSE(tree_.boxes.shown.empty());
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("This station number")));

    tree_.boxes.Clear();
    Box("txtTrunkRange")->setText(QStringLiteral("5-7,9"));
    RunAndWait(QStringLiteral("Copy"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().prompt,
              QStringLiteral("The trunk data has been copied to the destination trunks."));
    EXPECT_FALSE(Session().Values().index(0, 0).data(ValueListModel::EditedRole).toBool());

    Get("6");
    EXPECT_EQ(Value("3002"), QStringLiteral("3"));
    EXPECT_EQ(Value("3001"), QStringLiteral("09"));
    EXPECT_EQ(Value("3006"), QStringLiteral("3C"));
    EXPECT_EQ(Value("3005"), QStringLiteral("300"));
    EXPECT_EQ(Value("3008"), toll);
}

// The safety net's commands from the command bar: Preview and Copy show the
// preview dialog, History the journal, Undo asks and writes the old value.
TEST_F(CopyEndToEndTest, PreviewCopyHistoryAndUndoFromTheCommandBar) {
    ClassThreeOfTrunk4("5");
    const QString before = ValueOf(5, "3002");
    ASSERT_NE(before, QStringLiteral("3"));
    QString shown;
    AnswerDialog("cmdClose", [&](QWidget* d) { shown = d->objectName(); });
    RunAndWait(QStringLiteral("Preview"));
    EXPECT_EQ(shown, QStringLiteral("frmPreview"));
    EXPECT_EQ(ValueOf(5, "3002"), before);
    AnswerDialog("cmdCopy");
    RunAndWait(QStringLiteral("Copy"));
    EXPECT_EQ(ValueOf(5, "3002"), QStringLiteral("3"));
    int entries = 0;
    AnswerDialog("cmdClose", [&](QWidget* d) {
        shown = d->objectName();
        entries = d->findChild<QTableView*>(QStringLiteral("tblEntries"))->model()->rowCount();
    });
    window_->RunCommand(QStringLiteral("History"));
    EXPECT_EQ(shown, QStringLiteral("frmHistory"));
    EXPECT_EQ(entries, 2);    // the preview and the copy
    tree_.boxes.Script({6});  // Yes, undo it
    RunAndWait(QStringLiteral("Undo"));
    EXPECT_EQ(ValueOf(5, "3002"), before);
}

// The source box retyped without leaving it: Copy reads the trunk in the
// box first and copies its data, never the data of the trunk read before.
TEST_F(CopyEndToEndTest, CopyAfterTheSourceWasRetypedCopiesTheTrunkInTheBox) {
    ClassThreeOfTrunk4("5");
    Box("txtTrunk")->setText(QStringLiteral("8"));
    QString heading;
    AnswerDialog("cmdCopy", [&](QWidget* d) {
        heading = d->findChild<QLabel*>(QStringLiteral("lblTrunks"))->text();
    });
    window_->RunCommand(QStringLiteral("Copy"));
    ASSERT_TRUE(test::WaitFor(
        [&] { return !heading.isEmpty() && !Session().Busy() && !Session().RequestUnderWay(); },
        20000));
    EXPECT_TRUE(heading.startsWith(QStringLiteral("Source trunk 008"))) << heading.toStdString();
    EXPECT_EQ(ValueOf(5, "3002"), ValueOf(8, "3002"));
    EXPECT_EQ(ValueOf(5, "3001"), ValueOf(8, "3001"));
}

// Closing the window while a copy writes asks first; kept open, the copy
// goes on; stopped, it ends after the entries in flight, is recorded whole
// and only then does the window unload. The exchange's file is the judge.
TEST_F(CopyEndToEndTest, ClosingDuringACopyAsksAndStopsAfterTheEntriesInFlight) {
    ClassThreeOfTrunk4("5-12");
    {
        ExchangeFaults faults;
        faults.entryDelayMs = 30;
        Exchange()->SetFaults(faults);
    }
    AnswerDialog("cmdCopy");
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
    QString error;
    auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
    ASSERT_NE(journal, nullptr) << error.toStdString();
    const JournalEntry copy = journal->Entries(QStringLiteral("PBX1")).first();
    EXPECT_TRUE(copy.finished);
    int written = 0;
    for (const JournalCell& cell : journal->Cells(copy.id)) {
        const bool wrote = cell.outcome == CellOutcome::Written;
        written += wrote;
        if (!wrote && cell.oldValue == kNotSetValue)
            continue;  // the exchange's own text for it
        EXPECT_EQ(ValueOf(cell.trunk.toInt(), cell.item.toLatin1().constData()),
                  wrote ? cell.newValue : cell.oldValue)
            << cell.trunk.toStdString() << " " << cell.item.toStdString();
    }
    EXPECT_GT(written, 0);
    EXPECT_EQ(ValueOf(12, "3002"), QString::number(12 % 4));  // never reached
}

}  // namespace
}  // namespace kestrel

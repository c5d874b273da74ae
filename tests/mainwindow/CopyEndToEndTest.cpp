#include <gtest/gtest.h>

#include "support/ExchangeValue.h"
#include "support/MainWindowParts.h"

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
    // The items edited, as "3002=3 3001=09 ...", the class of service first.
    QString Values() const {
        QStringList shown;
        for (const char* cmd : {"3002", "3001", "3006", "3005", "3008"}) {
            shown << QString::fromLatin1(cmd) + u'=';
            for (int r = 0; r < Session().Values().rowCount(); ++r) {
                if (Session().Values().Cell(r, ValueListModel::kCmd) == QString::fromLatin1(cmd))
                    shown.last() += Session().Values().Cell(r, ValueListModel::kData);
            }
        }
        return shown.join(u' ');
    }
    // Selects the option and double-clicks it; a dialog it opens is given
    // the typed text, then OK.
    void Choose(const char* cmd, int option, const char* typed = nullptr) {
        QStandardItem* title = test::Title(Session().Tree(), QString::fromLatin1(cmd));
        ASSERT_NE(title, nullptr);
        auto* tree = test::Child<QTreeView>(window_.get(), "tvwTrkData");
        tree->expand(Session().Tree().indexFromItem(title));
        const QPoint at =
            test::NodeCentre(tree, Session().Tree().indexFromItem(title->child(option)));
        if (typed) {
            test::OnModal(
                window_.get(),
                [typed](QWidget* modal) {
                    auto* dialog = qobject_cast<frmCmd*>(modal);
                    auto* box = test::Child<QLineEdit>(dialog, "txtData1");
                    box->clear();
                    QTest::keyClicks(box, QString::fromLatin1(typed));
                    dialog->cmdButton_Click(0);
                    // A station number waits for the exchange; then the answer
                    // for a refused number is to cancel.
                    if (dialog->IsLoaded()) {
                        test::WaitFor(
                            [&] { return !g_StationCheckPending || !dialog->isVisible(); }, 10000);
                        if (dialog->isVisible())
                            dialog->cmdButton_Click(1);
                    }
                },
                true);
        }
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_TRUE(test::WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    }
    // Clicks `button` of the next modal dialog, after handing it to `look`.
    void AnswerDialog(const char* button, std::function<void(QWidget*)> look = {}) {
        test::OnModal(
            window_.get(),
            [button, look](QWidget* dialog) {
                if (look)
                    look(dialog);
                QTest::mouseClick(test::Child<QPushButton>(dialog, button), Qt::LeftButton);
            },
            true);
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
    Choose("3002", 3);         // class of service: plain option 3
    Choose("3001", 0, "9");    // route typed: 09
    Choose("3006", 0, "3c");   // hex code typed: 3C
    Choose("3008", 0, "7");    // restriction class 7, table kept
    Choose("3005", 0, "300");  // night station checked: accepted
    const QString edited = Values();
    EXPECT_TRUE(edited.startsWith(QStringLiteral("3002=3 3001=09 3006=3C 3005=300 3008=07")))
        << edited.toStdString();
    Choose("3005", 0, "999");  // not assigned: refused, cancelled
    EXPECT_EQ(Values(), edited);
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
    EXPECT_EQ(Values(), edited);
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

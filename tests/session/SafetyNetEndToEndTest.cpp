// The safety net end to end in a session on the built-in simulated
// exchange, judged by what the exchange's own file holds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <optional>

#include "catalogue/ValueListModel.h"
#include "exchange/SimulatedExchange.h"
#include "exchange/SimulatedLink.h"
#include "platform/Database.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafeCopy.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/ExchangeValue.h"
#include "support/SessionFixture.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;

class SafetyNetEndToEndTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        SetSafetyNetSetting(true);
        OpenStandalone();
    }
    std::unique_ptr<SimulatedExchange> Exchange() const {
        return SimulatedExchange::Open(ExchangeFolder(), QStringLiteral("PBX1"),
                                       ExchangeSeedPath());
    }
    // Every trunk-data row of the exchange, one text per row.
    QStringList Dump() const {
        return test::SqlRows(Exchange()->Db(), QStringLiteral("SELECT Trunk, CMD, Value FROM "
                                                              "TrunkData ORDER BY Trunk, CMD"));
    }
    QString ValueOf(int trunk, const QString& cmd) const {
        return test::ExchangeValue(*Exchange(), trunk, cmd);
    }
    void Get(const QString& trunk) {
        window_.trunkBox = trunk;
        RunAndWait([&] { session_->GetSourceTrunk(); });
        ASSERT_FALSE(session_->NoSourceData());
    }
    // Answers the next preview with Copy or Close.
    void AnswerPreview(bool copy) {
        window_.preview = [copy](CopyPlan&, bool) { return copy; };
    }
    // Reads trunk 004 and edits 3002 to "3", ready to copy to `destinations`.
    void Prepare(const QString& destinations) {
        Get(QStringLiteral("004"));
        session_->Values().SetItemValue(QStringLiteral("3002"), QStringLiteral("3"));
        window_.destinations = destinations;
    }
    // Copies, its preview answered with Copy.
    void CopyThroughPreview() {
        AnswerPreview(true);
        RunAndWait([&] { session_->Copy(false); });
    }
    // Undoes the last copy, its question answered with `answers`.
    void Undo(std::initializer_list<int> answers) {
        tree_.boxes.Clear();
        tree_.boxes.Script(answers);
        RunAndWait([&] { session_->Undo(); });
    }
    std::unique_ptr<CopyJournal> OpenJournal() const {
        QString error;
        auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        EXPECT_NE(journal, nullptr) << error.toStdString();
        return journal;
    }
    bool Shown(const QString& start) const {
        for (const auto& box : tree_.boxes.shown) {
            if (box.prompt.startsWith(start))
                return true;
        }
        return false;
    }
};

TEST_F(SafetyNetEndToEndTest, PreviewWritesNothingAndShowsExactlyTheCellsThatDiffer) {
    Prepare(QStringLiteral("5-9"));
    const QStringList before = Dump();
    AnswerPreview(false);
    RunAndWait([&] { session_->Copy(true); });
    EXPECT_EQ(Dump(), before);
    auto journal = OpenJournal();
    ASSERT_NE(journal, nullptr);
    const QList<JournalEntry> entries = journal->Entries(QStringLiteral("PBX1"));
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first().kind, QStringLiteral("Preview"));
    // The cells marked as changes are exactly those where the exchange holds
    // something else than the source would write.
    int checked = 0;
    // Values the exchange reports as answer codes ("DATA NOT SET") read as
    // empty, as a Get stores them.
    auto asRead = [](const QString& v) {
        const int c = ClassifyAnswer(v);
        return c != -1 && c != code::kNone ? QString() : v;
    };
    for (const JournalCell& cell : journal->Cells(entries.first().id)) {
        const QString now = asRead(ValueOf(cell.trunk.toInt(), cell.item));
        const QString source = session_->Values().GetItemValue(cell.item).toString();
        EXPECT_EQ(cell.outcome == CellOutcome::Skipped, now != source)
            << cell.trunk.toStdString() << " " << cell.item.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(SafetyNetEndToEndTest, CopyThenUndoLeavesEveryDestinationAsBefore) {
    // Trunk 007 holds an item the exchange reports as not set, which no
    // write can bring back; the others can be restored byte for byte.
    Prepare(QStringLiteral("5-6,8-9"));
    const QStringList before = Dump();
    CopyThroughPreview();
    ASSERT_EQ(window_.previews, 1);
    EXPECT_NE(Dump(), before);
    EXPECT_EQ(ValueOf(5, QStringLiteral("3002")), QStringLiteral("3"));
    ASSERT_TRUE(Shown(QStringLiteral("The copy has ended.")));
    Undo({kYes});
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(Shown(QStringLiteral("The undo has ended.")));
    Undo({});  // nothing left to undo
    EXPECT_TRUE(Shown(QStringLiteral("No copy of this exchange is recorded")));
}

TEST_F(SafetyNetEndToEndTest, AValueChangedSinceTheCopyIsListedNotOverwritten) {
    Prepare(QStringLiteral("5-6"));
    const QString old5 = ValueOf(5, QStringLiteral("3002"));
    CopyThroughPreview();
    ASSERT_EQ(ValueOf(6, QStringLiteral("3002")), QStringLiteral("3"));
    // Someone else changes 006 after the copy.
    Exchange()->Db().Execute(
        QStringLiteral("UPDATE TrunkData SET Value = '1' WHERE Trunk = 6 AND CMD = '3002'"));
    Undo({kYes, kNo});  // undo: yes; the changed value: leave it
    bool listed = false;
    for (const auto& box : tree_.boxes.shown)
        listed = listed || (box.prompt.startsWith(QStringLiteral("These values were changed")) &&
                            box.prompt.contains(QStringLiteral("006 3002")));
    EXPECT_TRUE(listed);
    EXPECT_EQ(ValueOf(6, QStringLiteral("3002")), QStringLiteral("1"));
    EXPECT_EQ(ValueOf(5, QStringLiteral("3002")), old5);
}

TEST_F(SafetyNetEndToEndTest, AWriteAnsweredOkButNotStoredIsNotVerified) {
    {
        auto exchange = Exchange();
        ExchangeFaults faults = exchange->Faults();
        faults.silentItems = {QStringLiteral("3002")};
        exchange->SetFaults(faults);
    }
    Prepare(QStringLiteral("5-6"));
    CopyThroughPreview();
    ASSERT_FALSE(tree_.boxes.shown.empty());
    const QString summary = tree_.boxes.Last().prompt;
    EXPECT_TRUE(summary.contains(QStringLiteral("Not verified"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("005 3002"))) << summary.toStdString();
    auto journal = OpenJournal();
    const QList<JournalEntry> entries = journal->Entries(QStringLiteral("PBX1"));
    ASSERT_FALSE(entries.isEmpty());
    int notVerified = 0;
    for (const JournalCell& cell : journal->Cells(entries.first().id)) {
        if (cell.outcome == CellOutcome::NotVerified) {
            EXPECT_EQ(cell.item, QStringLiteral("3002"));
            ++notVerified;
        }
    }
    EXPECT_EQ(notVerified, 2);
}

// A preview of the list, then Copy of the same list: anything may have
// changed in between, so the Copy reads the destinations again (that read
// tells whether they are assigned too); within the Copy the read it showed
// is the backup. Only the cells that change are written and only trunks
// written are read back: the same copy again reads and writes nothing more.
TEST_F(SafetyNetEndToEndTest, ACopySendsTheFewestEntriesItNeeds) {
    SimulatedLink* link = link_;
    ASSERT_NE(link, nullptr);
    QStringList requests;  // entries of each request, in order
    QObject::connect(link, &SimulatedLink::requestStarted,
                     [&](const QString&, int entries) { requests << QString::number(entries); });
    Prepare(QStringLiteral("5-6"));
    requests.clear();
    AnswerPreview(false);
    RunAndWait([&] { session_->Copy(true); });
    EXPECT_EQ(requests, QStringList({"2"}));
    int changes = -1;
    window_.preview = [&](CopyPlan& plan, bool) {
        changes = plan.TotalChanges();
        return true;
    };
    for (const char* again : {"first", "again"}) {
        requests.clear();
        RunAndWait([&] { session_->Copy(false); });
        const QStringList expected =
            changes > 0 ? QStringList({"2", QString::number(changes), "2"}) : QStringList({"2"});
        EXPECT_EQ(requests, expected) << again;
        EXPECT_EQ(changes > 0, QByteArray(again) == "first") << changes;
    }
}

// A journal that cannot be used refuses the copy with the safety net on (no
// copy without its backup) and is not needed with it off.
TEST_F(SafetyNetEndToEndTest, ABrokenJournalRefusesTheCopyOnlyWithTheNetOn) {
    QDir().mkpath(services().dataFolder);
    QFile garbage(services().dataFolder + QStringLiteral("/journal.db"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    Prepare(QStringLiteral("5"));
    const QStringList before = Dump();
    tree_.boxes.Clear();
    RunAndWait([&] { session_->Copy(false); });
    EXPECT_EQ(Dump(), before);
    ASSERT_FALSE(tree_.boxes.shown.empty());
    EXPECT_TRUE(
        tree_.boxes.Last().prompt.startsWith(QStringLiteral("The copy journal cannot be used")));
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("journal.db")));
    session_->SetSafetyNetOn(false);
    RunAndWait([&] { session_->Copy(false); });
    EXPECT_EQ(ValueOf(5, QStringLiteral("3002")), QStringLiteral("3"));
}

// When every value the copy wrote has been changed since, the undo says so
// and writes nothing.
TEST_F(SafetyNetEndToEndTest, AnUndoAfterEverythingChangedWritesNothing) {
    Prepare(QStringLiteral("5"));
    CopyThroughPreview();
    // Someone writes every item of 005 again, with other values.
    Exchange()->Db().Execute(QStringLiteral("UPDATE TrunkData SET Value = 'NONE' WHERE Trunk = 5"));
    const QStringList before = Dump();
    Undo({kYes});
    EXPECT_EQ(Dump(), before);
    ASSERT_FALSE(tree_.boxes.shown.empty());
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
        QStringLiteral("Every value the copy wrote has changed since")));
}

// What reached the trunks is what they hold: a refused write to a trunk that
// already held the value still counts as reached, and a write that did not
// verify and changed nothing leaves nothing to undo.
TEST_F(SafetyNetEndToEndTest, TheSummaryCountsWhatTheTrunksHold) {
    Get(QStringLiteral("004"));
    const QString source3013 = session_->Values().GetItemValue(QStringLiteral("3013")).toString();
    {
        auto exchange = Exchange();
        exchange->Db().Execute(
            QStringLiteral("UPDATE TrunkData SET Value = ? WHERE Trunk = 5 AND CMD = '3013'"),
            {source3013});
        exchange->Db().Execute(
            QStringLiteral("UPDATE TrunkData SET Value = 'NONE' WHERE Trunk = 6 AND CMD = '3013'"));
        ExchangeFaults faults = exchange->Faults();
        faults.refuseItems = {QStringLiteral("3013")};
        faults.silentItems = {QStringLiteral("3002")};
        exchange->SetFaults(faults);
    }
    session_->Values().SetItemValue(QStringLiteral("3002"), QStringLiteral("3"));
    window_.destinations = QStringLiteral("5-6");
    CopyThroughPreview();
    const QString summary = tree_.boxes.Last().prompt;
    EXPECT_TRUE(summary.contains(QStringLiteral("3013: 1 of 2 trunks"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("3002: 0 of 2 trunks"))) << summary.toStdString();
    {
        auto exchange = Exchange();
        exchange->SetFaults(ExchangeFaults());
    }
    // The 3002 writes changed nothing: the undo finds nothing changed since.
    Undo({kYes});
    for (const auto& box : tree_.boxes.shown)
        EXPECT_FALSE(box.prompt.startsWith(QStringLiteral("These values were changed")));
    EXPECT_TRUE(Shown(QStringLiteral("The undo has ended.")));
}

// A copy closed in its preview is recorded as the preview it was.
TEST_F(SafetyNetEndToEndTest, ACopyClosedInItsPreviewIsRecordedAsAPreview) {
    Get(QStringLiteral("004"));
    window_.destinations = QStringLiteral("5");
    AnswerPreview(false);
    RunAndWait([&] { session_->Copy(false); });
    auto journal = OpenJournal();
    const QList<JournalEntry> entries = journal->Entries(QStringLiteral("PBX1"));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().kind, QStringLiteral("Preview"));
    EXPECT_TRUE(entries.first().summary.startsWith(QStringLiteral("Changes: ")));
}

// Another engineer changes a destination while the preview is looked at:
// the copy reads again at the moment of writing, shows the preview again
// with the cell marked, and backs up what the trunk held then.
TEST_F(SafetyNetEndToEndTest, AChangeMadeWhileThePreviewIsOpenIsShownAgainAndBackedUp) {
    const qint64 fresh = SafeCopy::freshReadMs;
    SafeCopy::freshReadMs = 0;
    Prepare(QStringLiteral("5-6"));
    int marked = -1;
    window_.preview = [&](CopyPlan& plan, bool) {
        if (window_.previews == 1) {
            Exchange()->Db().Execute(QStringLiteral(
                "UPDATE TrunkData SET Value = '0' WHERE Trunk = 6 AND CMD = '3002'"));
        } else {
            marked = plan.ChangedSinceCount();
        }
        return true;
    };
    RunAndWait([&] { session_->Copy(false); });
    SafeCopy::freshReadMs = fresh;
    EXPECT_EQ(window_.previews, 2);
    EXPECT_EQ(marked, 1);
    ASSERT_EQ(ValueOf(6, QStringLiteral("3002")), QStringLiteral("3"));
    Undo({kYes});
    EXPECT_EQ(ValueOf(6, QStringLiteral("3002")), QStringLiteral("0"));  // never the stale 2
}

// A copy is in the journal, unfinished, before its first write; one cut off
// (its writer gone) is named once and undone by what the trunks hold.
TEST_F(SafetyNetEndToEndTest, ACopyIsRecordedAheadAndACutOffOneIsNamedAndUndone) {
    Prepare(QStringLiteral("5-6"));
    const QString old5 = ValueOf(5, QStringLiteral("3002"));
    std::optional<JournalEntry> ahead;
    QList<JournalCell> aheadCells;
    int started = 0;  // the read, then the write
    QObject::connect(link_, &SimulatedLink::requestStarted, [&](const QString&, int) {
        if (++started == 2) {
            auto journal = OpenJournal();
            ahead = journal->Entries(QStringLiteral("PBX1")).first();
            aheadCells = journal->Cells(ahead->id);
        }
    });
    CopyThroughPreview();
    ASSERT_TRUE(ahead.has_value());
    EXPECT_FALSE(ahead->finished);
    int pending = 0;
    for (const JournalCell& cell : aheadCells)
        pending += cell.outcome == CellOutcome::Pending;
    EXPECT_EQ(pending, ahead->mayBeWritten);
    EXPECT_GT(pending, 0);
    EXPECT_TRUE(OpenJournal()->Entries(QStringLiteral("PBX1")).first().finished);

    // As if cut off after writing 005 only: the entry is made unfinished
    // again, its writer gone, and 006 holds its old value once more.
    auto db = Database::Open(CopyJournal::DefaultPath(), false);
    db->Execute(QStringLiteral("UPDATE JournalEntries SET State = 0, Writer = 999999999"));
    db->Execute(
        QStringLiteral("UPDATE JournalCells SET Outcome = 'pending' WHERE Outcome = "
                       "'written'"));
    const QString old6 = QStringLiteral("2");
    Exchange()->Db().Execute(
        QStringLiteral("UPDATE TrunkData SET Value = '2' WHERE Trunk = 6 AND CMD = '3002'"));
    tree_.boxes.Clear();
    session_->NameAbandonedCopies();
    ASSERT_TRUE(Shown(QStringLiteral("The copy of 004 to 5-6 at ")));
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("did not finish: up to")));
    tree_.boxes.Clear();
    session_->NameAbandonedCopies();  // named once
    EXPECT_TRUE(tree_.boxes.shown.empty());
    Undo({kYes});
    EXPECT_EQ(ValueOf(5, QStringLiteral("3002")), old5);
    EXPECT_EQ(ValueOf(6, QStringLiteral("3002")), old6);
    EXPECT_TRUE(Shown(QStringLiteral("The undo has ended.")));
}

// A number above the highest trunk is left out of the copy, and both the
// preview and the summary name it.
TEST_F(SafetyNetEndToEndTest, ANumberLeftOutIsNamedInThePreviewAndTheSummary) {
    Prepare(QStringLiteral("5,600"));
    QString previewed;
    window_.preview = [&](CopyPlan& plan, bool) {
        previewed = plan.LeftOutLine();
        return true;
    };
    RunAndWait([&] { session_->Copy(false); });
    const QString line = QStringLiteral("Above the highest trunk (511), left out: 600");
    EXPECT_EQ(previewed, line);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(line))
        << tree_.boxes.Last().prompt.toStdString();
    EXPECT_EQ(ValueOf(5, QStringLiteral("3002")), QStringLiteral("3"));
}

TEST(SafetyNetSummaryTest, RunsOfEqualCountsBreakAtItemsLeftOut) {
    test::RuntimeTree tree;
    ASSERT_TRUE(tree.OpenStartupDatabases());
    QList<SourceItem> items;
    for (int n = 3001; n <= 3006; ++n)
        items.append({QString::number(n), QString(), QStringLiteral("1")});
    QList<JournalCell> cells;
    QList<bool> reached;
    for (const char* item : {"3001", "3002", "3004", "3005", "3006"}) {
        for (const char* trunk : {"005", "006"}) {
            cells.append({QString::fromLatin1(trunk), QString::fromLatin1(item),
                          QStringLiteral("0"), QStringLiteral("1"), CellOutcome::Written,
                          QString()});
            reached.append(QByteArray(item) != "3006" || QByteArray(trunk) == "005");
        }
    }
    const QStringList lines =
        SafeCopy::Summary(items, cells, reached, 2).Render().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines, QStringList({"3001 to 3002: 2 of 2 trunks each",
                                  "3004 to 3005: 2 of 2 trunks each", "3006: 1 of 2 trunks"}));
}

class SafetyNetSwitchTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        SetSafetyNetSetting(false);
        OpenHosted();
    }
    void TearDown() override {
        SessionFixture::TearDown();
        SetSafetyNetSetting(true);
    }
};

// With the safety net off, the requests are exactly the ones without it:
// the destination check, then the copy, and nothing read before or after.
TEST_F(SafetyNetSwitchTest, SwitchedOffTheCopyGoesStraightOut) {
    window_.trunkBox = QStringLiteral("005");
    Answer(QStringLiteral("13"), {{"3000", "005", "01"}});
    Answer(QStringLiteral("11"), {{"3001", "005", "01"}, {"3002", "005", "2"}});
    window_.destinations = QStringLiteral("7,8");
    session_->Copy(false);
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("12"));
    Answer(QStringLiteral("12"), {{"3000", "007", "01"}, {"3000", "008", "01"}});
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("10"));
    ASSERT_EQ(host_.sent.Count(), 4);
    EXPECT_EQ(host_.sent.CMD(0), QStringLiteral("3001"));
    EXPECT_EQ(host_.sent.FirstData(1), QStringLiteral("008"));
    // Switched on, the same copy reads the destinations first: that one read
    // tells whether each is assigned too, so no check is sent.
    Answer(QStringLiteral("10"), {{"3001", "007", "", "OK"},
                                  {"3001", "008", "", "OK"},
                                  {"3002", "007", "", "OK"},
                                  {"3002", "008", "", "OK"}});
    session_->SetSafetyNetOn(true);
    session_->Copy(false);
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("16"));
    EXPECT_EQ(host_.sent.CMD(0), QStringLiteral("L30"));
    EXPECT_TRUE(SafetyNetSetting());  // the window's switch is the setting
}

// A copy with more entries than one record holds (70 items to 507 trunks)
// lands in full, batch by batch.
TEST_F(SafetyNetEndToEndTest, ACopyLargerThanARecordLandsInFull) {
    {
        auto exchange = Exchange();
        Database& db = exchange->Db();
        db.BeginTrans();
        for (int i = 18; i < 72; ++i) {
            const QString key = QStringLiteral("30%1").arg(i, 2, 10, QChar(u'0'));
            db.Execute(QStringLiteral("INSERT OR IGNORE INTO Items (CMD, Pattern) VALUES (?, ?)"),
                       {key, QStringLiteral("^[0-9]$")});
            db.Execute(QStringLiteral("INSERT OR REPLACE INTO TrunkData VALUES (4, ?, '7')"),
                       {key});
            session_->WorkDb()->Execute(
                QStringLiteral("INSERT INTO CMD30Titles (TitleID, CMD, Description, Visible) "
                               "VALUES (?, ?, ?, -1)"),
                {100 + i, key, QStringLiteral("Test item %1").arg(i)});
        }
        db.CommitTrans();
    }
    Get(QStringLiteral("004"));
    ASSERT_GE(session_->Values().rowCount(), 64);
    window_.destinations = QStringLiteral("5-511");
    CopyThroughPreview();
    // Every assigned destination holds the source's value of every item.
    auto exchange = Exchange();
    EXPECT_EQ(
        test::SqlValue(exchange->Db(),
                       "SELECT COUNT(*) FROM TrunkData d JOIN Trunks t ON t.Trunk = d.Trunk "
                       "WHERE t.Assigned <> 0 AND d.Trunk BETWEEN 5 AND 511 AND d.CMD = '3050' "
                       "AND d.Value = '7'"),
        test::SqlValue(exchange->Db(),
                       "SELECT COUNT(*) FROM Trunks WHERE Assigned <> 0 AND "
                       "Trunk BETWEEN 5 AND 511"));
}

// Preview with the net switched off still only reads: it never writes.
TEST_F(SafetyNetSwitchTest, PreviewWithTheNetOffStillOnlyReads) {
    window_.trunkBox = QStringLiteral("005");
    Answer(QStringLiteral("13"), {{"3000", "005", "01"}});
    Answer(QStringLiteral("11"), {{"3001", "005", "01"}});
    window_.destinations = QStringLiteral("7");
    session_->Copy(true);
    Answer(QStringLiteral("12"), {{"3000", "007", "01"}});
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("16"));
    EXPECT_EQ(host_.sent.CMD(0), QStringLiteral("L30"));
}

}  // namespace
}  // namespace kestrel

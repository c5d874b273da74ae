// The safety net end to end in a session on the built-in simulated
// exchange, judged by what the exchange's own file holds.
#include <gtest/gtest.h>

#include <QDir>
#include <optional>

#include "catalogue/ValueListModel.h"
#include "exchange/SimulatedExchange.h"
#include "exchange/SimulatedLink.h"
#include "platform/Database.h"
#include "platform/MessageBoxes.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafeCopy.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/ExchangeValue.h"
#include "support/SessionFixture.h"
#include "support/TableFiles.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

class SafetyNetEndToEndTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        SetSafetyNetSetting(true);
        OpenStandalone();
    }
    // Every trunk-data row of the exchange, one text per row.
    QStringList Dump() const {
        return test::SqlRows(test::OpenExchange()->Db(),
                             "SELECT Trunk, CMD, Value FROM TrunkData ORDER BY Trunk, CMD");
    }
    QString ValueOf(int trunk, const QString& cmd = "3002") const {
        return test::ExchangeValue(*test::OpenExchange(), trunk, cmd);
    }
    // Another engineer's change, straight into the exchange's file ("%": every item).
    void Change(int trunk, const QString& value, const QString& cmd = "3002") const {
        test::OpenExchange()->Db().Execute(
            "UPDATE TrunkData SET Value = ? WHERE Trunk = ? AND CMD LIKE ?", {value, trunk, cmd});
    }
    void Get(const QString& trunk) {
        window_.trunkBox = trunk;
        RunAndWait([&] { session_->GetSourceTrunk(); });
        ASSERT_FALSE(session_->NoSourceData());
    }
    // Reads trunk 004 and edits 3002 to "3", ready to copy to `destinations`.
    void Prepare(const QString& destinations) {
        Get("004");
        session_->Values().SetItemValue("3002", "3");
        window_.destinations = destinations;
    }
    // Copies (or only previews), the preview answered by `preview`: true for Copy.
    void Copy(const std::function<bool(CopyPlan&, bool)>& preview = Accept,
              bool previewOnly = false) {
        window_.preview = preview;
        RunAndWait([&] { session_->Copy(previewOnly); });
    }
    static bool Accept(CopyPlan&, bool) { return true; }
    // Undoes the last copy, its question answered with `answers`.
    void Undo(std::initializer_list<int> answers) {
        tree_.boxes.Clear();
        tree_.boxes.Script(answers);
        RunAndWait([&] { session_->Undo(); });
    }
    JournalEntry Newest() const {
        const QList<JournalEntry> entries = test::OpenJournal()->Entries("PBX1");
        return entries.isEmpty() ? JournalEntry() : entries.first();
    }
    bool Shown(const QString& start, const QString& part = {}) const {
        for (const auto& box : tree_.boxes.shown) {
            if (box.prompt.startsWith(start) && box.prompt.contains(part))
                return true;
        }
        return false;
    }
    QString Last() const { return tree_.boxes.Last().prompt; }
};

// A preview, or a copy closed in its preview, reads each destination once,
// writes nothing and is recorded as a preview: its cells marked as changes
// are exactly those where the exchange holds something else than the source
// would write. Copy reads again (anything may have changed since), writes
// only the cells that change and reads back only the trunks written: the
// same copy again reads and writes nothing more.
TEST_F(SafetyNetEndToEndTest, EachCommandSendsTheFewestEntriesItNeeds) {
    QStringList requests;  // entries of each request, in order
    QObject::connect(link_, &SimulatedLink::requestStarted,
                     [&](const QString&, int entries) { requests << QString::number(entries); });
    Prepare("5-9");
    const QStringList before = Dump();
    // Answer codes held as values ("DATA NOT SET") read as empty, as a Get stores them.
    auto asRead = [](const QString& v) {
        const int c = ClassifyAnswer(v);
        return c != -1 && c != code::kNone ? QString() : v;
    };
    for (const bool previewOnly : {true, false}) {
        SCOPED_TRACE(previewOnly);
        requests.clear();
        Copy([](CopyPlan&, bool) { return false; }, previewOnly);
        EXPECT_EQ(requests, QStringList({"5"}));
        EXPECT_EQ(Dump(), before);
        const JournalEntry entry = Newest();
        EXPECT_EQ(entry.kind, "Preview");
        EXPECT_TRUE(entry.summary.startsWith("Changes: "));
        const QList<JournalCell> cells = test::OpenJournal()->Cells(entry.id);
        EXPECT_FALSE(cells.isEmpty());
        for (const JournalCell& cell : cells) {
            const QString source = session_->Values().GetItemValue(cell.item).toString();
            EXPECT_EQ(cell.outcome == CellOutcome::Skipped,
                      asRead(ValueOf(cell.trunk.toInt(), cell.item)) != source)
                << cell.trunk.toStdString() << " " << cell.item.toStdString();
        }
    }
    int changes = -1, trunks = -1;
    window_.preview = [&](CopyPlan& plan, bool) {
        changes = plan.TotalChanges();
        trunks = plan.ChangedTrunks();
        return true;
    };
    for (const bool first : {true, false}) {
        requests.clear();
        RunAndWait([&] { session_->Copy(false); });
        EXPECT_EQ(changes > 0, first) << changes;
        EXPECT_EQ(requests,
                  first ? QStringList({"5", QString::number(changes), QString::number(trunks)})
                        : QStringList({"5"}));
    }
}

// A number above the highest trunk is left out of the copy, and both the
// preview and the summary name it. An undo restores every destination
// byte for byte, but a value changed since the copy is listed and, if the
// engineer says so, left; when every value the copy wrote has changed, the
// undo writes nothing.
TEST_F(SafetyNetEndToEndTest, AnUndoRestoresAllButWhatChangedSinceTheCopy) {
    Prepare("5-6,8-9,600");
    const QStringList before = Dump();
    const QString old6 = ValueOf(6);
    QString previewed;
    Copy([&](CopyPlan& plan, bool) {
        previewed = plan.LeftOutLine();
        return true;
    });
    ASSERT_EQ(window_.previews, 1);
    ASSERT_EQ(ValueOf(6), "3");
    const QString line = "Above the highest trunk (511), left out: 600";
    EXPECT_EQ(previewed, line);
    EXPECT_TRUE(Last().startsWith("The copy has ended.") && Last().endsWith(line))
        << Last().toStdString();
    Change(6, "1");
    Undo({answer::kYes, answer::kNo});  // undo: yes; the changed value: leave it
    EXPECT_TRUE(Shown("These values were changed", "006 3002"));
    EXPECT_TRUE(Shown("The undo has ended."));
    EXPECT_EQ(ValueOf(6), "1");
    Change(6, old6);
    EXPECT_EQ(Dump(), before);
    Undo({});  // nothing left to undo
    EXPECT_TRUE(Shown("No copy of this exchange is recorded"));

    window_.destinations = "5";
    Copy();
    Change(5, "NONE", "%");
    const QStringList changed = Dump();
    Undo({answer::kYes});
    EXPECT_EQ(Dump(), changed);
    EXPECT_TRUE(Last().startsWith("Every value the copy wrote has changed since"));
}

// What reached the trunks is what they hold: a refused write to a trunk that
// already held the value still counts as reached; a write answered OK but
// not stored is not verified, and having changed nothing leaves nothing to
// undo. Items reached alike are summed up in runs, an item left out ends one.
TEST_F(SafetyNetEndToEndTest, TheSummaryCountsWhatTheTrunksHold) {
    Get("004");
    Change(5, session_->Values().GetItemValue("3013").toString(), "3013");
    Change(6, "NONE", "3013");
    ExchangeFaults faults;
    faults.refuseItems = {"3013"};
    faults.silentItems = {"3002"};
    test::OpenExchange()->SetFaults(faults);
    session_->Values().SetItemValue("3002", "3");
    window_.destinations = "5-6";
    Copy([](CopyPlan& plan, bool) {
        plan.SetIncluded("3008", false);
        return true;
    });
    const std::string summary = Last().toStdString();
    // Runs of equal counts break at an item left out.
    for (const char* part : {"3013: 1 of 2 trunks", "3002: 0 of 2 trunks",
                             "3003 to 3007: 2 of 2 trunks each\r\n3009 to 3012: 2 of 2 trunks each",
                             "Not verified", "005 3002"})
        EXPECT_TRUE(Last().contains(QString::fromLatin1(part))) << part << "\n" << summary;
    int notVerified = 0;
    for (const JournalCell& cell : test::OpenJournal()->Cells(Newest().id)) {
        if (cell.outcome == CellOutcome::NotVerified) {
            EXPECT_EQ(cell.item, "3002");
            ++notVerified;
        }
    }
    EXPECT_EQ(notVerified, 2);
    test::OpenExchange()->SetFaults({});
    Undo({answer::kYes});
    EXPECT_FALSE(Shown("These values were changed"));
    EXPECT_TRUE(Shown("The undo has ended."));
}

// A journal that cannot be used refuses the copy with the safety net on (no
// copy without its backup) and is not needed with it off.
TEST_F(SafetyNetEndToEndTest, ABrokenJournalRefusesTheCopyOnlyWithTheNetOn) {
    QDir().mkpath(services().dataFolder);
    ASSERT_TRUE(test::WriteFile(services().dataFolder + "/journal.db", QByteArray(4096, 'x')));
    Prepare("5");
    const QStringList before = Dump();
    tree_.boxes.Clear();
    RunAndWait([&] { session_->Copy(false); });
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(Shown("The copy journal cannot be used", "journal.db"));
    session_->SetSafetyNetOn(false);
    RunAndWait([&] { session_->Copy(false); });
    EXPECT_EQ(ValueOf(5), "3");
}

// Another engineer changes a destination while the preview is looked at:
// the copy reads again at the moment of writing, shows the preview again
// with the cell marked, and backs up what the trunk held then.
TEST_F(SafetyNetEndToEndTest, AChangeMadeWhileThePreviewIsOpenIsShownAgainAndBackedUp) {
    const qint64 fresh = SafeCopy::freshReadMs;
    SafeCopy::freshReadMs = 0;
    Prepare("5-6");
    int marked = -1;
    Copy([&](CopyPlan& plan, bool) {
        if (window_.previews == 1)
            Change(6, "0");
        else
            marked = plan.ChangedSinceCount();
        return true;
    });
    SafeCopy::freshReadMs = fresh;
    EXPECT_EQ(window_.previews, 2);
    EXPECT_EQ(marked, 1);
    ASSERT_EQ(ValueOf(6), "3");
    Undo({answer::kYes});
    EXPECT_EQ(ValueOf(6), "0");  // never the stale 2
}

// A copy is in the journal, unfinished, before its first write; one cut off
// (its writer gone) is named once and undone by what the trunks hold. Here
// it is a colleague's: the undo asks first, naming them and when (that
// question stands for the plain one). No leaves the trunks as they are; Yes
// undoes, recorded as this engineer's.
TEST_F(SafetyNetEndToEndTest, ACutOffCopyIsNamedAndAColleaguesUndoneAfterNamingThem) {
    Prepare("5-6");
    const QString old5 = ValueOf(5);
    std::optional<JournalEntry> ahead;
    int pending = 0;
    int started = 0;  // the read, then the write
    QObject::connect(link_, &SimulatedLink::requestStarted, [&](const QString&, int) {
        if (++started == 2) {
            ahead = Newest();
            for (const JournalCell& cell : test::OpenJournal()->Cells(ahead->id))
                pending += cell.outcome == CellOutcome::Pending;
        }
    });
    Copy();
    ASSERT_TRUE(ahead.has_value());
    EXPECT_FALSE(ahead->finished);
    EXPECT_EQ(pending, ahead->mayBeWritten);
    EXPECT_GT(pending, 0);
    EXPECT_TRUE(Newest().finished);

    // As if ben's copy was cut off after writing 005 only: the entry is made
    // unfinished again, its writer gone, and 006 holds its old value once more.
    auto db = Database::Open(CopyJournal::DefaultPath(), false);
    db->Execute(
        "UPDATE JournalEntries SET State = 0, Writer = 999999999, Engineer = 'ben', "
        "EngineerName = 'Ben Miller' WHERE Kind = 'Copy'");
    db->Execute("UPDATE JournalCells SET Outcome = 'pending' WHERE Outcome = 'written'");
    Change(6, "2");
    tree_.boxes.Clear();
    session_->NameAbandonedCopies();
    EXPECT_TRUE(Shown("The copy of 004 to 5-6 at ", "did not finish: up to"));
    tree_.boxes.Clear();
    session_->NameAbandonedCopies();  // named once
    EXPECT_TRUE(tree_.boxes.shown.empty());

    const JournalEntry copy = Newest();
    const QDateTime when = copy.time.toLocalTime();
    const QString question = "The last copy of this exchange was made by ben (Ben Miller) on " +
                             when.toString("yyyy-MM-dd") + " at " + when.toString("HH:mm") +
                             ": trunk 004 to 5-6.";
    const QStringList cutOff = Dump();
    Undo({answer::kNo});
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(Last().startsWith(question)) << Last().toStdString();
    EXPECT_EQ(Dump(), cutOff);
    EXPECT_EQ(Newest().kind, "Copy");

    Undo({answer::kYes});
    EXPECT_TRUE(Shown(question));
    EXPECT_FALSE(Shown("Undo the copy of trunk"));
    EXPECT_TRUE(Shown("The undo has ended."));
    EXPECT_EQ(ValueOf(5), old5);
    EXPECT_EQ(ValueOf(6), "2");
    const JournalEntry undo = Newest();
    EXPECT_EQ(QStringList({undo.kind, QString::number(undo.undoOf), undo.desk.engineer}),
              QStringList({"Undo", QString::number(copy.id), ThisDesk().engineer}));
}

// A copy with more entries than one record holds (70 items to 507 trunks)
// lands in full, batch by batch.
TEST_F(SafetyNetEndToEndTest, ACopyLargerThanARecordLandsInFull) {
    {
        auto exchange = test::OpenExchange();
        Database& db = exchange->Db();
        db.BeginTrans();
        for (int i = 18; i < 72; ++i) {
            const QString key = QStringLiteral("30%1").arg(i, 2, 10, QChar(u'0'));
            db.Execute("INSERT OR IGNORE INTO Items (CMD, Pattern) VALUES (?, ?)",
                       {key, "^[0-9]$"});
            db.Execute("INSERT OR REPLACE INTO TrunkData VALUES (4, ?, '7')", {key});
            session_->WorkDb()->Execute(
                "INSERT INTO CMD30Titles (TitleID, CMD, Description, "
                "Visible) VALUES (?, ?, ?, -1)",
                {100 + i, key, "Test item " + QString::number(i)});
        }
        db.CommitTrans();
    }
    Get("004");
    ASSERT_GE(session_->Values().rowCount(), 64);
    window_.destinations = "5-511";
    Copy();
    // No assigned destination lacks the source's value of the items beyond the first 64.
    EXPECT_EQ(test::SqlValue(test::OpenExchange()->Db(),
                             "SELECT COUNT(*) FROM Trunks t LEFT JOIN TrunkData d ON d.Trunk = "
                             "t.Trunk AND d.CMD = '3050' WHERE t.Assigned <> 0 AND t.Trunk "
                             "BETWEEN 5 AND 511 AND d.Value IS NOT '7'"),
              "0");
}

}  // namespace
}  // namespace kestrel

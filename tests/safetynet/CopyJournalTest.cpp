#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include <sys/wait.h>
#include <unistd.h>

#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/RunError.h"
#include "safetynet/CopyJournal.h"
#include "support/QtPrinters.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

JournalEntry Entry(const QString& kind, const QString& exchange, qint64 secs, qint64 undoOf = 0) {
    JournalEntry e;
    e.kind = kind;
    e.exchange = exchange;
    e.time = QDateTime::fromSecsSinceEpoch(1'800'000'000 + secs);
    e.sourceTrunk = "004";
    e.destinationList = "5-7,9";
    e.summary = kind + QStringLiteral(" at %1").arg(secs);
    e.undoOf = undoOf;
    return e;
}

JournalCell Cell(const QString& trunk, const QString& item, CellOutcome outcome) {
    return {trunk, item, "old " + item, "new " + item, outcome, QString()};
}

// A second connection to the file, as another program would hold it.
class OtherConnection {
public:
    explicit OtherConnection(const QString& path) { sqlite3_open(path.toUtf8().constData(), &db_); }
    ~OtherConnection() { sqlite3_close(db_); }
    int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};

class CopyJournalTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

// Every file the journal cannot use is refused at Open with a text that names
// the file and says why, never half opened.
TEST_F(CopyJournalTest, RefusesFilesItCannotUse) {
    std::optional<OtherConnection> locker;
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* why = "damaged or is not a copy journal";
    };
    const Case cases[] = {
        {"garbage bytes",
         [](const QString& p) {
             ASSERT_TRUE(test::WriteFile(p, QByteArray(4096, '\x5a') + "not a database"));
         }},
        {"a journal of many pages cut in half",
         [&](const QString& p) {
             QList<JournalCell> cells;
             for (int i = 0; i < 3000; ++i)
                 cells << Cell(QString::number(i), "3001", CellOutcome::Written);
             test::OpenJournal(p)->Record(Entry("Copy", "PBX1", 1), cells);
             QFile f(p);
             ASSERT_TRUE(f.resize(f.size() / 2));
         }},
        {"a folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); },
         "is a folder, not a file"},
        {"another program's database",
         [](const QString& p) {
             OtherConnection other(p);
             ASSERT_EQ(other.Exec("CREATE TABLE JournalCells (Entry INTEGER, Name TEXT);"
                                  "CREATE TABLE JournalEntries (ID INTEGER PRIMARY KEY);"),
                       SQLITE_OK);
         }},
        {"a newer journal",
         [](const QString& p) {
             OtherConnection other(p);
             ASSERT_EQ(other.Exec("PRAGMA user_version = 99"), SQLITE_OK);
         },
         "written by a newer version"},
        {"a journal another program holds locked",
         [&](const QString& p) {
             test::OpenJournal(p);
             locker.emplace(p);
             ASSERT_EQ(locker->Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
         },
         "locked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = PathOf(QString::fromLatin1(c.name).replace(u' ', u'_'));
        c.make(path);
        QString error;
        EXPECT_FALSE(CopyJournal::Open(path, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.why))) << error.toStdString();
    }
}

// A missing file and folder are made; what was recorded is read back whole
// after a reopen, each outcome under the fixed name the file holds.
TEST_F(CopyJournalTest, RecordsEntriesAndCellsAsGiven) {
    const QString path = PathOf("new/deeper/journal.db");
    JournalEntry entry = Entry("Copy", "PBX1", 7);
    entry.time = entry.time.addMSecs(123);
    entry.destinationList = "5-, 8,600";
    entry.summary = "3001 written to 2 trunks;\n3002 to none";
    const QString names = "written,unchanged,refused,failed,not verified,undone,skipped,pending";
    QList<JournalCell> cells;
    for (int o = 0; o <= static_cast<int>(CellOutcome::Pending); ++o)
        cells << Cell(QStringLiteral("%1").arg(o + 5, 3, 10, QChar(u'0')), "3001",
                      static_cast<CellOutcome>(o));
    cells[2].detail = "DATA NOT SET";
    cells[3].oldValue = QString();
    cells[4].newValue = "Größe 中 'x'";
    const qint64 id = test::OpenJournal(path)->Record(entry, cells);
    EXPECT_GT(id, 0);
    auto journal = test::OpenJournal(path);
    const QList<JournalEntry> entries = journal->Entries();
    ASSERT_EQ(entries.size(), 1);
    const JournalEntry& back = entries.first();
    EXPECT_EQ(back.id, id);
    // The CSV holds every field of the entry and its cells but these two.
    EXPECT_EQ(back.summary + back.time.toString(Qt::ISODateWithMs),
              entry.summary + entry.time.toString(Qt::ISODateWithMs));
    EXPECT_EQ(CopyJournal::ToCsv(back, journal->Cells(id)), CopyJournal::ToCsv(entry, cells));
    EXPECT_TRUE(journal->Cells(id + 1).isEmpty());
    EXPECT_EQ(test::SqlRows(*Database::Open(path, true),
                            "SELECT Outcome FROM JournalCells ORDER BY Trunk")
                  .join(u','),
              names);
}

// The last copy is the newest one of the exchange (named in any case) not
// yet undone; entries come newest first, the later recorded first at a tie.
TEST_F(CopyJournalTest, LastCopyIsTheNewestCopyNotYetUndone) {
    auto journal = test::OpenJournal(PathOf("journal.db"));
    ASSERT_TRUE(journal);
    const auto last = [&] {
        const auto copy = journal->LastCopy("PBX1");
        return copy ? copy->id : 0;
    };
    EXPECT_EQ(last(), 0);
    journal->Record(Entry("Preview", "PBX1", 1), {});
    EXPECT_EQ(last(), 0);
    const qint64 a = journal->Record(Entry("Copy", "PBX1", 2), {});
    journal->Record(Entry("Copy", "PBX2", 3), {});
    EXPECT_EQ(last(), a);
    const qint64 b = journal->Record(Entry("Copy", "pbx1", 4), {});
    EXPECT_EQ(last(), b);
    journal->Record(Entry("Undo", "PBX1", 4, b), {});
    EXPECT_EQ(last(), a);
    journal->Record(Entry("Undo", "PBX1", 5, a), {});
    EXPECT_EQ(last(), 0);
    QStringList summaries;
    for (const JournalEntry& e : journal->Entries("PBX1"))
        summaries << e.summary;
    EXPECT_EQ(summaries.join(u';'), "Undo at 5;Undo at 4;Copy at 4;Copy at 2;Preview at 1");
    EXPECT_TRUE(journal->Entries("PBX9").isEmpty());
}

// A record that fails anywhere leaves nothing of itself behind, and the journal
// takes the next one.
TEST_F(CopyJournalTest, AFailedRecordLeavesNothing) {
    const QString path = PathOf("journal.db");
    auto journal = test::OpenJournal(path);
    ASSERT_TRUE(journal);
    {
        // The disk refusing the 3rd cell, as a full disk would.
        OtherConnection other(path);
        ASSERT_EQ(other.Exec("CREATE TRIGGER refuse BEFORE INSERT ON JournalCells "
                             "WHEN NEW.Trunk = '007' BEGIN SELECT RAISE(ABORT, 'no room'); END"),
                  SQLITE_OK);
    }
    const qint64 copy =
        journal->Record(Entry("Copy", "PBX1", 1), {Cell("005", "3001", CellOutcome::Written)});
    struct Case {
        const char* name;
        JournalEntry entry;
        int number;
        bool locked = false;  // by another program while recording
    };
    const Case cases[] = {
        {"a cell the file refuses", Entry("Copy", "PBX1", 2), -1},
        {"an unknown kind", Entry("Paste", "PBX1", 2), 5},
        {"an undo of no copy", Entry("Undo", "PBX1", 2, 999), err::kNoCurrentRecord},
        {"a locked file", Entry("Copy", "PBX1", 2), err::kCouldNotLockTable, true},
    };
    QList<JournalCell> cells;
    for (const char* trunk : {"005", "006", "007", "008"})
        cells << Cell(QString::fromLatin1(trunk), "3001", CellOutcome::Written);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<OtherConnection> locker;
        if (c.locked) {
            locker.emplace(path);
            ASSERT_EQ(locker->Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
        }
        try {
            journal->Record(c.entry, cells);
            ADD_FAILURE() << "recorded";
        } catch (const RunError& e) {
            if (c.number >= 0) {
                EXPECT_EQ(e.Number(), c.number);
            }
        }
        locker.reset();
        ASSERT_EQ(journal->Entries().size(), 1);
        EXPECT_EQ(journal->Entries().first().id, copy);
    }
    // No cell of a failed record was left under any entry.
    EXPECT_EQ(test::SqlValue(*Database::Open(path, true), "SELECT count(*) FROM JournalCells"),
              "1");
    const qint64 next = journal->Record(Entry("Undo", "PBX1", 3, copy), cells.mid(0, 2));
    EXPECT_EQ(journal->Cells(next).size(), 2);
    EXPECT_FALSE(journal->LastCopy("PBX1").has_value());
}

// A journal of the first format keeps its entries (finished) and takes
// copies written ahead: unfinished until their end is recorded, their cells
// found by trunk and item as answers come in.
TEST_F(CopyJournalTest, AFormerJournalIsCarriedOverAndTakesCopiesWrittenAhead) {
    const QString path = PathOf("former.db");
    {
        OtherConnection other(path);
        ASSERT_EQ(other.Exec("CREATE TABLE JournalEntries (ID INTEGER PRIMARY KEY, Kind TEXT NOT "
                             "NULL, Time INTEGER NOT NULL, Exchange TEXT NOT NULL, SourceTrunk "
                             "TEXT NOT NULL, DestinationList TEXT NOT NULL, Summary TEXT NOT NULL, "
                             "UndoOf INTEGER NOT NULL DEFAULT 0);"
                             "CREATE TABLE JournalCells (Entry INTEGER NOT NULL, Trunk TEXT NOT "
                             "NULL, Item TEXT NOT NULL, OldValue TEXT NOT NULL, NewValue TEXT NOT "
                             "NULL, Outcome TEXT NOT NULL, Detail TEXT NOT NULL);"
                             "INSERT INTO JournalEntries VALUES (1, 'Copy', 5, 'PBX1', '004', "
                             "'5', 'done', 0); PRAGMA user_version = 1"),
                  SQLITE_OK);
    }
    auto journal = test::OpenJournal(path);
    ASSERT_TRUE(journal);
    // Finished, no desk known, given its own id when carried over.
    const JournalEntry former = journal->Entries().first();
    EXPECT_TRUE(former.finished && former.desk.engineer.isEmpty());
    EXPECT_EQ(former.SummaryText() + u'|' + QString::number(former.uuid.size()), "done|36");
    const QList<JournalCell> cells = {Cell("005", "3001", CellOutcome::Skipped),
                                      Cell("005", "3002", CellOutcome::Skipped)};
    const qint64 id = journal->BeginEntry(Entry("Copy", "PBX1", 9), cells);
    JournalCell sent = cells.at(1);
    sent.outcome = CellOutcome::Pending;
    journal->UpdateCells(id, {sent});
    JournalEntry ahead = journal->Entries().first();
    // Its own id and the desk that records it, from before the first write.
    EXPECT_EQ(ahead.uuid.size(), 36);
    EXPECT_NE(ahead.uuid, former.uuid);
    const QString aheadId = ahead.uuid;
    const JournalDesk desk = ThisDesk();
    EXPECT_EQ(QStringList({ahead.desk.engineer, ahead.desk.machine, ahead.desk.start}),
              QStringList({desk.engineer, desk.machine, desk.start}));
    EXPECT_FALSE(ahead.finished);
    EXPECT_EQ(ahead.mayBeWritten, 1);
    EXPECT_EQ(journal->LastCopy("PBX1")->id, id);
    EXPECT_TRUE(journal->Abandoned("PBX1").isEmpty());  // its writer runs
    sent.outcome = CellOutcome::Written;
    // The summary is kept as made, so it reads in the language of the day;
    // its text as it read then is kept beside it.
    const QStringList messages = g_Messages;
    g_Messages = QStringList{"%1 of %2 trunks"};
    journal->FinishEntry(
        id, JournalSummary().Text(0, {"3", "5%1"}).Line().Plain("  005 3001 (%1)").Text(1), {sent});
    g_Messages = QStringList{"%1 von %2 Leitungen", "mehr"};
    ahead = journal->Entries().first();
    EXPECT_TRUE(ahead.finished);
    EXPECT_EQ(ahead.uuid, aheadId);
    EXPECT_EQ(ahead.summary, "3 of 5%1 trunks\r\n  005 3001 (%1)");
    EXPECT_EQ(ahead.SummaryText(), "3 von 5%1 Leitungen\r\n  005 3001 (%1)mehr");
    g_Messages = messages;
    EXPECT_EQ(journal->Cells(id).at(0).outcome, CellOutcome::Skipped);
    EXPECT_EQ(journal->Cells(id).at(1).outcome, CellOutcome::Written);
}

// A cut-off copy is named as soon as its writer has gone: a process killed
// but not yet reaped, or a number now held by another programme, is no
// writer that still runs; this very programme is.
TEST_F(CopyJournalTest, AWriterRunsOnlyWhileItsProgrammeRuns) {
    const pid_t zombie = fork();
    if (zombie == 0)
        _exit(0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(zombie), &info, WEXITED | WNOWAIT), 0);
    QProcess other;
    other.start("sleep", {"60"});
    ASSERT_TRUE(other.waitForStarted());
    const QString path = PathOf("journal.db");
    auto journal = test::OpenJournal(path);
    const std::pair<qint64, bool> writers[] = {
        {getpid(), false}, {zombie, true}, {other.processId(), true}, {0, true}};
    for (const auto& [writer, abandoned] : writers) {
        const qint64 id = journal->BeginEntry(Entry("Copy", "PBX7", 1), {});
        Database::Open(path, false)
            ->Execute("UPDATE JournalEntries SET Writer = ? WHERE ID = ?", {writer, id});
        EXPECT_EQ(journal->Abandoned("PBX7").size(), abandoned ? 1 : 0) << writer;
        journal->FinishEntry(id, JournalSummary().Plain("done"), {});
    }
    other.kill();
    other.waitForFinished();
    waitpid(zombie, nullptr, 0);
}

// A field holding a comma, a quote or a line break is quoted, its quotes
// doubled; the time is the local time with its offset, as a spreadsheet
// reads it back; no byte-order mark.
TEST_F(CopyJournalTest, CsvHasAHeaderAndOneCrlfRecordPerCell) {
    const QByteArray header =
        "Time,Kind,Exchange,Source trunk,Destinations,Trunk,Item,"
        "Old value,New value,Outcome,Detail\r\n";
    JournalEntry entry = Entry("Undo", "Anlage \"Süd\", 2", 0);
    entry.time = QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7), Qt::UTC);
    entry.destinationList = "5-7,\n9";
    const QDateTime local = entry.time.toLocalTime();
    const QString time = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
    const QList<JournalCell> cells = {
        {"005", "3001", "NONE", "12", CellOutcome::NotVerified, QString()},
        {"006", "cr\ronly", "say \"hi\"", "crlf\r\nin", CellOutcome::Refused, " 中继 Straße "}};
    const QByteArray start = time.toUtf8() + ",Undo,\"Anlage \"\"Süd\"\", 2\",004,\"5-7,\n9\",";
    EXPECT_EQ(CopyJournal::ToCsv(entry, cells),
              header + start + "005,3001,NONE,12,not verified,\r\n" + start +
                  "006,\"cr\ronly\",\"say \"\"hi\"\"\",\"crlf\r\nin\",refused, 中继 Straße \r\n");
    EXPECT_EQ(CopyJournal::ToCsv(entry, {}), header);
}

}  // namespace
}  // namespace kestrel

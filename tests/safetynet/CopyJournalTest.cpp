#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/RunError.h"
#include "platform/Statement.h"
#include "safetynet/CopyJournal.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

JournalEntry Entry(const QString& kind, const QString& exchange, qint64 secs, qint64 undoOf = 0) {
    JournalEntry e;
    e.kind = kind;
    e.exchange = exchange;
    e.time = QDateTime::fromSecsSinceEpoch(1'800'000'000 + secs);
    e.sourceTrunk = QStringLiteral("004");
    e.destinationList = QStringLiteral("5-7,9");
    e.summary = kind + QStringLiteral(" at %1").arg(secs);
    e.undoOf = undoOf;
    return e;
}

JournalCell Cell(const QString& trunk, const QString& item, CellOutcome outcome) {
    return {trunk,   item,     QStringLiteral("old ") + item, QStringLiteral("new ") + item,
            outcome, QString()};
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

// A small RFC 4180 reader: records of fields, quoted fields may hold commas,
// doubled quotes and line breaks; records end with CRLF.
QList<QStringList> ParseCsv(const QByteArray& bytes, bool* wellFormed) {
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records(1);
    QString field;
    bool quoted = false;
    *wellFormed = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (quoted && c == u'"') {
            quoted = next == u'"';
            i += quoted;
            field += quoted ? QStringLiteral("\"") : QString();
        } else if (quoted) {
            field += c;
        } else if (c == u'"') {
            *wellFormed &= field.isEmpty();  // no quote inside an unquoted field
            quoted = true;
        } else if (c == u',' || (c == u'\r' && next == u'\n')) {
            records.last() << std::exchange(field, QString());
            if (c == u'\r') {
                ++i;
                records.append(QStringList());
            }
        } else {
            *wellFormed &= c != u'\r' && c != u'\n';  // no bare line break outside quotes
            field += c;
        }
    }
    // The last record must end with CRLF.
    *wellFormed &= !quoted && field.isEmpty() && records.last().isEmpty();
    records.removeLast();
    return records;
}

class CopyJournalTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }
    std::unique_ptr<CopyJournal> OpenOrFail(const QString& path) {
        QString error;
        auto journal = CopyJournal::Open(path, &error);
        EXPECT_TRUE(journal) << error.toStdString();
        return journal;
    }
    QStringList Summaries(const QList<JournalEntry>& entries) {
        QStringList out;
        for (const JournalEntry& e : entries)
            out << e.summary;
        return out;
    }

    QTemporaryDir dir_;
};

// Every file the journal cannot use is refused at Open with a text that names
// the file and says why, never half opened.
TEST_F(CopyJournalTest, RefusesFilesItCannotUse) {
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    // A real journal with enough cells to span many pages, cut to `size` bytes.
    const auto truncated = [this](const QString& path, qint64 size) {
        {
            auto journal = OpenOrFail(path);
            QList<JournalCell> cells;
            for (int i = 0; i < 3000; ++i) {
                cells << Cell(QStringLiteral("%1").arg(i % 512, 3, 10, QChar(u'0')),
                              QStringLiteral("3001"), CellOutcome::Written);
            }
            journal->Record(Entry("Copy", "PBX1", 1), cells);
        }
        QFile f(path);
        ASSERT_TRUE(f.resize(size < 0 ? f.size() / 2 : size));
    };
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* why;
    };
    const Case cases[] = {
        {"garbage bytes",
         [&](const QString& p) { write(p, QByteArray(4096, '\x5a') + "not a database"); },
         "damaged or is not a copy journal"},
        {"a text file", [&](const QString& p) { write(p, "Time,Kind\r\n"); },
         "damaged or is not a copy journal"},
        {"truncated to half", [&](const QString& p) { truncated(p, -1); },
         "damaged or is not a copy journal"},
        {"truncated inside the header", [&](const QString& p) { truncated(p, 50); },
         "damaged or is not a copy journal"},
        {"a folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); },
         "is a folder, not a file"},
        {"another program's database",
         [](const QString& p) {
             OtherConnection other(p);
             ASSERT_EQ(other.Exec("CREATE TABLE JournalCells (Entry INTEGER, Name TEXT);"
                                  "CREATE TABLE JournalEntries (ID INTEGER PRIMARY KEY);"),
                       SQLITE_OK);
         },
         "damaged or is not a copy journal"},
        {"a newer journal",
         [](const QString& p) {
             OtherConnection other(p);
             ASSERT_EQ(other.Exec("PRAGMA user_version = 99"), SQLITE_OK);
         },
         "written by a newer version"},
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

TEST_F(CopyJournalTest, ALockedFileIsRefusedAtOpenAndInRecord) {
    const QString path = PathOf(QStringLiteral("journal.db"));
    auto journal = OpenOrFail(path);
    ASSERT_TRUE(journal);
    {
        OtherConnection other(path);
        ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
        QString error;
        EXPECT_FALSE(CopyJournal::Open(path, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("locked"))) << error.toStdString();
        try {
            journal->Record(Entry("Copy", "PBX1", 1), {Cell("005", "3001", CellOutcome::Written)});
            ADD_FAILURE() << "recorded into a locked journal";
        } catch (const RunError& e) {
            EXPECT_EQ(e.Number(), err::kCouldNotLockTable);
        }
    }
    // Released: usable again, and nothing of the refused record is there.
    EXPECT_TRUE(journal->Entries().isEmpty());
    EXPECT_TRUE(OpenOrFail(path));
    journal->Record(Entry("Copy", "PBX1", 2), {});
    EXPECT_EQ(journal->Entries().size(), 1);
}

// A missing file and folder are made; what was recorded is read back whole
// after a reopen, each outcome under the fixed name the file holds.
TEST_F(CopyJournalTest, RecordsEntriesAndCellsAsGiven) {
    const QString path = PathOf(QStringLiteral("new/deeper/journal.db"));
    JournalEntry entry = Entry("Copy", "PBX1", 7);
    entry.time = entry.time.addMSecs(123);
    entry.destinationList = QStringLiteral("5-, 8,600");
    entry.summary = QStringLiteral("3001 written to 2 trunks;\n3002 to none");
    const std::pair<CellOutcome, const char*> outcomes[] = {
        {CellOutcome::Written, "written"},          {CellOutcome::Unchanged, "unchanged"},
        {CellOutcome::Refused, "refused"},          {CellOutcome::Failed, "failed"},
        {CellOutcome::NotVerified, "not verified"}, {CellOutcome::Undone, "undone"},
        {CellOutcome::Skipped, "skipped"},          {CellOutcome::Pending, "pending"}};
    QList<JournalCell> cells;
    QStringList names;
    for (const auto& [outcome, name] : outcomes) {
        cells << Cell(QStringLiteral("%1").arg(cells.size() + 5, 3, 10, QChar(u'0')),
                      QStringLiteral("3001"), outcome);
        names << QString::fromLatin1(name);
    }
    cells[2].detail = QStringLiteral("DATA NOT SET");
    cells[3].oldValue = QString();
    cells[4].newValue = QStringLiteral("Größe 中 'x'");
    qint64 id = 0;
    {
        auto journal = OpenOrFail(path);
        ASSERT_TRUE(journal);
        EXPECT_TRUE(journal->Entries().isEmpty());
        id = journal->Record(entry, cells);
        EXPECT_GT(id, 0);
    }
    auto journal = OpenOrFail(path);
    ASSERT_TRUE(journal);
    const QList<JournalEntry> entries = journal->Entries();
    ASSERT_EQ(entries.size(), 1);
    const JournalEntry& back = entries.first();
    EXPECT_EQ(back.id, id);
    EXPECT_EQ(QStringList(
                  {back.kind, back.exchange, back.sourceTrunk, back.destinationList, back.summary}),
              QStringList({entry.kind, entry.exchange, entry.sourceTrunk, entry.destinationList,
                           entry.summary}));
    EXPECT_EQ(back.time, entry.time);
    EXPECT_EQ(back.undoOf, 0);
    // Each cell as the list of its texts, so that both lists compare whole.
    const auto texts = [](const QList<JournalCell>& list) {
        QList<QStringList> out;
        for (const JournalCell& c : list)
            out << QStringList{c.trunk, c.item, c.oldValue, c.newValue, OutcomeName(c.outcome),
                               c.detail};
        return out;
    };
    EXPECT_EQ(texts(journal->Cells(id)), texts(cells));
    EXPECT_TRUE(journal->Cells(id + 1).isEmpty());
    auto db = Database::Open(path, true);
    auto stmt = db->Prepare(QStringLiteral("SELECT Outcome FROM JournalCells ORDER BY Trunk"));
    QStringList stored;
    while (stmt.Step())
        stored << stmt.Column(0).toString();
    EXPECT_EQ(stored, names);
}

TEST_F(CopyJournalTest, EntriesComeNewestFirstAndByExchange) {
    auto journal = OpenOrFail(PathOf(QStringLiteral("journal.db")));
    ASSERT_TRUE(journal);
    // Recorded out of time order; two at the same second.
    for (const auto& [exchange, secs, summary] : {std::tuple{"PBX1", 20, "b"},
                                                  {"PBX2", 30, "c"},
                                                  {"pbx1", 10, "a"},
                                                  {"PBX1", 20, "b2"},
                                                  {"PBX1", 40, "d"}}) {
        JournalEntry e = Entry(QStringLiteral("Preview"), QString::fromLatin1(exchange), secs);
        e.summary = QString::fromLatin1(summary);
        journal->Record(e, {});
    }
    EXPECT_EQ(Summaries(journal->Entries()), (QStringList{"d", "c", "b2", "b", "a"}));
    EXPECT_EQ(Summaries(journal->Entries(QStringLiteral("PBX1"))),
              (QStringList{"d", "b2", "b", "a"}));
    EXPECT_EQ(Summaries(journal->Entries(QStringLiteral("PBX9"))), QStringList());
}

TEST_F(CopyJournalTest, LastCopyIsTheNewestCopyNotYetUndone) {
    struct Step {
        const char* kind;
        const char* exchange;
        int undoes;  // index of an earlier step, -1 none
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int expected;  // index of the step LastCopy("PBX1") names, -1 none
    };
    const Case cases[] = {
        {"empty journal", {}, -1},
        {"previews are not copies", {{"Preview", "PBX1", -1}}, -1},
        {"one copy", {{"Copy", "PBX1", -1}, {"Preview", "PBX1", -1}}, 0},
        {"the newer of two", {{"Copy", "PBX1", -1}, {"Copy", "PBX1", -1}}, 1},
        {"an undone copy gives way to the one before",
         {{"Copy", "PBX1", -1}, {"Copy", "PBX1", -1}, {"Undo", "PBX1", 1}},
         0},
        {"all undone", {{"Copy", "PBX1", -1}, {"Undo", "PBX1", 0}}, -1},
        {"another exchange's copy does not count", {{"Copy", "PBX1", -1}, {"Copy", "PBX2", -1}}, 0},
        {"exchange named in another case", {{"Copy", "pbx1", -1}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        auto journal = OpenOrFail(dir.filePath(QStringLiteral("journal.db")));
        ASSERT_TRUE(journal);
        std::vector<qint64> ids;
        for (const Step& s : c.steps) {
            const qint64 undoOf = s.undoes < 0 ? 0 : ids.at(static_cast<size_t>(s.undoes));
            ids.push_back(
                journal->Record(Entry(QString::fromLatin1(s.kind), QString::fromLatin1(s.exchange),
                                      static_cast<qint64>(ids.size()), undoOf),
                                {}));
        }
        const std::optional<JournalEntry> last = journal->LastCopy(QStringLiteral("PBX1"));
        if (c.expected < 0) {
            EXPECT_FALSE(last.has_value());
        } else {
            ASSERT_TRUE(last.has_value());
            EXPECT_EQ(last->id, ids.at(static_cast<size_t>(c.expected)));
            EXPECT_EQ(last->kind, QStringLiteral("Copy"));
        }
    }
}

// A record that fails anywhere leaves nothing of itself behind, and the journal
// takes the next one.
TEST_F(CopyJournalTest, AFailedRecordLeavesNothing) {
    const QString path = PathOf(QStringLiteral("journal.db"));
    auto journal = OpenOrFail(path);
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
    };
    const Case cases[] = {
        {"a cell the file refuses", Entry("Copy", "PBX1", 2), -1},
        {"an unknown kind", Entry("Paste", "PBX1", 2), 5},
        {"an undo of no copy", Entry("Undo", "PBX1", 2, 999), err::kNoCurrentRecord},
    };
    QList<JournalCell> cells;
    for (const char* trunk : {"005", "006", "007", "008"})
        cells << Cell(QString::fromLatin1(trunk), QStringLiteral("3001"), CellOutcome::Written);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            journal->Record(c.entry, cells);
            ADD_FAILURE() << "recorded";
        } catch (const RunError& e) {
            if (c.number >= 0) {
                EXPECT_EQ(e.Number(), c.number);
            }
        }
        ASSERT_EQ(journal->Entries().size(), 1);
        EXPECT_EQ(journal->Entries().first().id, copy);
    }
    {
        // No cell of a failed record was left under any entry.
        auto db = Database::Open(path, true);
        auto stmt = db->Prepare(QStringLiteral("SELECT count(*) FROM JournalCells"));
        ASSERT_TRUE(stmt.Step());
        EXPECT_EQ(stmt.Column(0).toInt(), 1);
    }
    const qint64 next = journal->Record(Entry("Undo", "PBX1", 3, copy), cells.mid(0, 2));
    EXPECT_EQ(journal->Cells(next).size(), 2);
    EXPECT_FALSE(journal->LastCopy(QStringLiteral("PBX1")).has_value());
}

// A journal of the first format keeps its entries (finished) and takes
// copies written ahead: unfinished until their end is recorded, their cells
// found by trunk and item as answers come in.
TEST_F(CopyJournalTest, AFormerJournalIsCarriedOverAndTakesCopiesWrittenAhead) {
    const QString path = PathOf(QStringLiteral("former.db"));
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
    auto journal = OpenOrFail(path);
    ASSERT_TRUE(journal);
    const JournalEntry former = journal->Entries().first();
    EXPECT_TRUE(former.finished);
    EXPECT_EQ(former.SummaryText(), QStringLiteral("done"));
    EXPECT_EQ(former.uuid.size(), 36);  // given its own id when carried over
    EXPECT_TRUE(former.desk.engineer.isEmpty());
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
    EXPECT_FALSE(desk.engineer.isEmpty());
    EXPECT_EQ(QStringList({ahead.desk.engineer, ahead.desk.engineerName, ahead.desk.machine,
                           ahead.desk.start}),
              QStringList({desk.engineer, desk.engineerName, desk.machine, desk.start}));
    EXPECT_FALSE(ahead.finished);
    EXPECT_EQ(ahead.mayBeWritten, 1);
    EXPECT_EQ(journal->LastCopy(QStringLiteral("PBX1"))->id, id);
    EXPECT_TRUE(journal->Abandoned(QStringLiteral("PBX1")).isEmpty());  // its writer runs
    sent.outcome = CellOutcome::Written;
    // The summary is kept as made, so it reads in the language of the day;
    // its text as it read then is kept beside it.
    const QStringList messages = g_Messages;
    g_Messages = QStringList{QStringLiteral("%1 of %2 trunks")};
    journal->FinishEntry(
        id, JournalSummary().Text(0, {"3", "5%1"}).Line().Plain("  005 3001 (%1)").Text(1), {sent});
    g_Messages = QStringList{QStringLiteral("%1 von %2 Leitungen"), QStringLiteral("mehr")};
    ahead = journal->Entries().first();
    EXPECT_TRUE(ahead.finished);
    EXPECT_EQ(ahead.uuid, aheadId);
    EXPECT_EQ(ahead.summary, QStringLiteral("3 of 5%1 trunks\r\n  005 3001 (%1)"));
    EXPECT_EQ(ahead.SummaryText(), QStringLiteral("3 von 5%1 Leitungen\r\n  005 3001 (%1)mehr"));
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
    other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(other.waitForStarted());
    const QString path = PathOf(QStringLiteral("journal.db"));
    auto journal = OpenOrFail(path);
    const std::pair<qint64, bool> writers[] = {
        {getpid(), false}, {zombie, true}, {other.processId(), true}, {0, true}};
    for (const auto& [writer, abandoned] : writers) {
        const qint64 id = journal->BeginEntry(Entry("Copy", "PBX7", 1), {});
        OtherConnection(path).Exec(
            QStringLiteral("UPDATE JournalEntries SET Writer = %1 WHERE ID = %2")
                .arg(writer)
                .arg(id)
                .toUtf8()
                .constData());
        EXPECT_EQ(journal->Abandoned(QStringLiteral("PBX7")).size(), abandoned ? 1 : 0) << writer;
        journal->FinishEntry(id, JournalSummary().Plain(QStringLiteral("done")), {});
    }
    other.kill();
    other.waitForFinished();
    waitpid(zombie, nullptr, 0);
}

TEST_F(CopyJournalTest, CsvHasAHeaderAndOneCrlfRecordPerCell) {
    JournalEntry entry = Entry("Copy", "PBX1", 0);
    entry.time = QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7), Qt::UTC);
    entry.destinationList = QStringLiteral("5,8");
    const QByteArray csv = CopyJournal::ToCsv(
        entry, {{QStringLiteral("005"), QStringLiteral("3001"), QStringLiteral("NONE"),
                 QStringLiteral("12"), CellOutcome::NotVerified, QString()}});
    const QString time = entry.time.toLocalTime()
                             .toOffsetFromUtc(entry.time.toLocalTime().offsetFromUtc())
                             .toString(Qt::ISODate);
    EXPECT_EQ(csv, QByteArray("Time,Kind,Exchange,Source trunk,Destinations,Trunk,Item,"
                              "Old value,New value,Outcome,Detail\r\n") +
                       time.toUtf8() +
                       QByteArray(",Copy,PBX1,004,\"5,8\",005,3001,NONE,12,not verified,\r\n"));
    EXPECT_EQ(QDateTime::fromString(time, Qt::ISODate), entry.time);
    // No cells: the header alone.
    EXPECT_EQ(CopyJournal::ToCsv(entry, {}).count("\r\n"), 1);

    // Awkward values come back whole through a plain RFC 4180 reader.
    entry = Entry(QStringLiteral("Undo"), QStringLiteral("Anlage \"Süd\", 2"), 5);
    entry.destinationList = QStringLiteral("5-7,\n9");
    const QStringList awkward = {QStringLiteral("a,b"),      QStringLiteral("say \"hi\""),
                                 QStringLiteral("\""),       QStringLiteral("line\nbreak"),
                                 QStringLiteral("cr\ronly"), QStringLiteral("crlf\r\nin"),
                                 QStringLiteral("Straße"),   QStringLiteral("ÜBER"),
                                 QStringLiteral("中继"),     QString(),
                                 QStringLiteral(" padded "), QStringLiteral(",\",\r\n,")};
    QList<JournalCell> cells;
    for (qsizetype i = 0; i < awkward.size(); ++i) {
        cells << JournalCell{QStringLiteral("%1").arg(i, 3, 10, QChar(u'0')),
                             awkward[i],
                             awkward[(i + 1) % awkward.size()],
                             awkward[(i + 2) % awkward.size()],
                             CellOutcome::Refused,
                             awkward[(i + 3) % awkward.size()]};
    }
    const QByteArray awkwardCsv = CopyJournal::ToCsv(entry, cells);
    EXPECT_FALSE(awkwardCsv.startsWith("\xEF\xBB\xBF"));
    bool wellFormed = false;
    const QList<QStringList> records = ParseCsv(awkwardCsv, &wellFormed);
    EXPECT_TRUE(wellFormed);
    ASSERT_EQ(records.size(), cells.size() + 1);
    EXPECT_EQ(records[0].size(), 11);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        SCOPED_TRACE(i);
        const QStringList& r = records[i + 1];
        ASSERT_EQ(r.size(), 11);
        EXPECT_EQ(QDateTime::fromString(r[0], Qt::ISODate), entry.time);
        EXPECT_EQ(r.mid(1, 4), (QStringList{entry.kind, entry.exchange, entry.sourceTrunk,
                                            entry.destinationList}));
        const JournalCell& c = cells[i];
        EXPECT_EQ(r.mid(5), (QStringList{c.trunk, c.item, c.oldValue, c.newValue,
                                         QStringLiteral("refused"), c.detail}));
    }
}

}  // namespace
}  // namespace kestrel

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include "BenchSupport.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/JournalModels.h"
#include "teamjournal/PgLink.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamRecord.h"
#include "teamjournal/TeamSchema.h"

namespace kestrel {
namespace {

// The largest copy a record allows: 64 items to 511 trunks.
QList<JournalCell> LargestCopy() {
    QList<JournalCell> cells;
    cells.reserve(64 * 511);
    for (int t = 1; t <= 511; ++t) {
        for (int i = 0; i < 64; ++i) {
            cells << JournalCell{QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')),
                                 QString::number(3001 + i),
                                 QStringLiteral("NONE"),
                                 QStringLiteral("V%1").arg(i),
                                 CellOutcome::Written,
                                 QString()};
        }
    }
    return cells;
}

JournalEntry CopyEntry() {
    JournalEntry entry;
    entry.kind = QStringLiteral("Copy");
    entry.time = QDateTime::currentDateTime();
    entry.exchange = QStringLiteral("PBX1");
    entry.sourceTrunk = QStringLiteral("004");
    entry.destinationList = QStringLiteral("1-511");
    entry.summary = QStringLiteral("3001 to 3064 written to 511 trunks");
    return entry;
}

std::unique_ptr<CopyJournal> OpenJournal(const QTemporaryDir& dir) {
    QString error;
    auto journal = CopyJournal::Open(dir.filePath(QStringLiteral("journal.db")), &error);
    if (!journal)
        qFatal("%s", qPrintable(error));
    return journal;
}

// Recording the largest copy: one Record call, one transaction.
void BM_RecordLargestCopy(benchmark::State& state) {
    QTemporaryDir dir;
    auto journal = OpenJournal(dir);
    const QList<JournalCell> cells = LargestCopy();
    const JournalEntry entry = CopyEntry();
    for (auto _ : state)
        benchmark::DoNotOptimize(journal->Record(entry, cells));
    state.counters["cells"] = static_cast<double>(cells.size());
}
BENCHMARK(BM_RecordLargestCopy)->Unit(benchmark::kMillisecond);

// Opening the largest copy in the history: its cells read and given to the model.
void BM_OpenLargestCopy(benchmark::State& state) {
    QTemporaryDir dir;
    auto journal = OpenJournal(dir);
    const qint64 id = journal->Record(CopyEntry(), LargestCopy());
    JournalCellModel model;
    for (auto _ : state) {
        model.SetCells(journal->Cells(id));
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_OpenLargestCopy)->Unit(benchmark::kMillisecond);

// The team's server: a private PostgreSQL server started once for the
// programme (scripts/pg-private.sh, kept in /tmp/kestrel-pg-bench), its
// database "bench" prepared; nullptr when none can be started.
PgLink* TeamServerLink() {
    static std::unique_ptr<PgLink> link = [] {
        const QString folder = QStringLiteral("/tmp/kestrel-pg-bench");
        const QString script = QStringLiteral(KESTREL_SOURCE_DIR "/scripts/pg-private.sh");
        std::unique_ptr<PgLink> made;
        TeamError error{};
        auto connect = [&](const QString& database) {
            QFile portFile(folder + QStringLiteral("/port"));
            if (!portFile.open(QIODevice::ReadOnly))
                return std::unique_ptr<PgLink>();
            return PgLink::Connect(
                QStringLiteral("host=%1 port=%2 user=kestrel_admin dbname=%3")
                    .arg(folder, QString::fromUtf8(portFile.readAll().trimmed()), database),
                &error);
        };
        // A server left from an earlier run keeps its history: loading
        // three million cells takes a while.
        made = connect(QStringLiteral("bench"));
        if (!made) {
            if (QProcess::execute(script, {QStringLiteral("start"), folder}) != 0)
                return made;
            connect(QStringLiteral("postgres"))->RunScript(QStringLiteral("CREATE DATABASE bench"));
            made = connect(QStringLiteral("bench"));
        }
        if (made)
            PrepareTeamSchema(*made);
        return made;
    }();
    return link.get();
}

// Recording the largest copy on the team's server: one transaction, the
// cells by COPY.
void BM_TeamRecordLargestCopy(benchmark::State& state) {
    PgLink* link = TeamServerLink();
    if (!link) {
        state.SkipWithError("no PostgreSQL server could be started");
        return;
    }
    const QList<JournalCell> cells = LargestCopy();
    JournalEntry entry = CopyEntry();
    entry.desk = ThisDesk();
    for (auto _ : state) {
        entry.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        benchmark::DoNotOptimize(team::Send(*link, entry, cells));
    }
    state.counters["cells"] = static_cast<double>(cells.size());
}
BENCHMARK(BM_TeamRecordLargestCopy)->Unit(benchmark::kMillisecond);

// Years of a team's work: 100,000 entries of four exchanges over three
// years, 30 cells each (3 million), made on the server once.
constexpr int kYearsOfEntries = 100000;

void FillYearsOfEntries(PgLink& link) {
    const PgRows held = link.Run(QStringLiteral("SELECT count(*) FROM entries"));
    if (held.Text(0, 0).toInt() >= kYearsOfEntries)
        return;
    link.RunScript(QStringLiteral(R"sql(
BEGIN;
CREATE TEMP TABLE made AS
    SELECT gen_random_uuid() AS uuid, n FROM generate_series(1, 100000) AS n;
INSERT INTO entries (uuid, kind, time, exchange, source_trunk, destination_list, summary,
                     summary_parts, undo_of, finished, engineer, engineer_name, machine, start)
    SELECT uuid, (ARRAY['Preview', 'Copy', 'Copy', 'Undo'])[1 + n % 4],
           now() - make_interval(mins => n * 15), 'PBX' || (1 + n % 4),
           lpad((1 + n % 511)::text, 3, '0'), '5-34', 'Copy ' || n, '', NULL, false,
           (ARRAY['anna', 'ben', 'carl', 'dora'])[1 + n % 4], '', 'desk', 'helm32'
    FROM made;
INSERT INTO cells (entry, seq, trunk, item, old_value, new_value, outcome, detail)
    SELECT m.uuid, s, lpad((1 + (m.n * 7 + s) % 511)::text, 3, '0'), (3001 + s)::text,
           'NONE', 'V' || s, 'written', ''
    FROM made m, generate_series(0, 29) AS s;
UPDATE entries SET finished = true WHERE NOT finished;
COMMIT;
ANALYZE entries;
ANALYZE cells;
)sql"));
}

PgLink* YearsOfEntries(benchmark::State& state) {
    PgLink* link = TeamServerLink();
    if (!link) {
        state.SkipWithError("no PostgreSQL server could be started");
        return nullptr;
    }
    try {
        FillYearsOfEntries(*link);
    } catch (const TeamError& e) {
        link->Rollback();
        state.SkipWithError(qPrintable(e.detail));
        return nullptr;
    }
    return link;
}

// History opened on the team's record: every entry read and given to the model.
void BM_TeamHistoryOpen(benchmark::State& state) {
    PgLink* link = YearsOfEntries(state);
    if (!link)
        return;
    JournalEntryModel model;
    for (auto _ : state) {
        model.SetEntries(team::Entries(*link, {}, TeamJournal::kHistoryRows));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["entries"] = model.rowCount();
}
BENCHMARK(BM_TeamHistoryOpen)->Unit(benchmark::kMillisecond);

// "Every change to 021 on PBX1".
void BM_TeamHistoryTrunkFilter(benchmark::State& state) {
    PgLink* link = YearsOfEntries(state);
    if (!link)
        return;
    JournalEntryModel model;
    const JournalFilter filter{.exchange = QStringLiteral("PBX1"), .trunk = QStringLiteral("021")};
    for (auto _ : state) {
        model.SetEntries(team::Entries(*link, filter, TeamJournal::kHistoryRows));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["entries"] = model.rowCount();
}
BENCHMARK(BM_TeamHistoryTrunkFilter)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

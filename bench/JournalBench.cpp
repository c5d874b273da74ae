#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "BenchSupport.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/JournalModels.h"

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

}  // namespace
}  // namespace kestrel

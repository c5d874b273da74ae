#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "BenchSupport.h"
#include "copyengine/TrunkRange.h"
#include "exchange/SimulatedExchange.h"
#include "localisation/Messages.h"
#include "safetynet/CopyPlan.h"
#include "safetynet/PreviewModel.h"
#include "safetynet/TrunkSnapshot.h"
#include "safetynet/widgets/frmPreview.h"
#include "startup/Globals.h"

namespace kestrel {
namespace {

// The preview of a copy of trunk 004 to 5-511 (507 destinations x 16
// items) on the simulated exchange, end to end: the read requests and the
// exchange answering them, the plan, the table model and the dialog drawn
// once.
void BM_PreviewFiveTo511(benchmark::State& state) {
    bench::LanguageDatabases languages;
    LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get());
    QTemporaryDir dir;
    auto exchange =
        SimulatedExchange::Open(dir.path() + u'/', QStringLiteral("PBX1"),
                                bench::kStage + QStringLiteral("/HELM32/DATABASE/Exchange.seed"));
    const QStringList destinations = ParseTrunkRange(QStringLiteral("5-511"), 511).trunks;
    TrunkSnapshot source;
    for (const cListRequest& r : SnapshotRequests({QStringLiteral("004")}, 16, 16))
        TakeSnapshotAnswer(AnswerOf(*exchange, r), source);
    QList<SourceItem> items;
    for (int n = 3001; n <= 3016; ++n) {
        const QString key = QString::number(n);
        items.append(
            {key, QStringLiteral("Item %1").arg(n), source.Value(QStringLiteral("004"), key)});
    }
    int rows = 0;
    for (auto _ : state) {
        TrunkSnapshot current;
        for (const cListRequest& r : SnapshotRequests(destinations, 64, 16))
            TakeSnapshotAnswer(AnswerOf(*exchange, r), current);
        CopyPlan plan(items, destinations, current, QStringLiteral("004"));
        frmPreview preview(plan);
        preview.resize(1100, 680);
        benchmark::DoNotOptimize(preview.grab());
        rows = preview.Model().rowCount();
    }
    if (rows < 400)
        state.SkipWithError("the preview lacks its trunks");
    state.counters["trunks"] = rows;
    g_Messages.clear();
}
BENCHMARK(BM_PreviewFiveTo511)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

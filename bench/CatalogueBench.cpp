#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "copyengine/SourceTrunkReader.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "support/FakeTrunkWindow.h"

namespace kestrel {
namespace {

using bench::kStage;

std::unique_ptr<Database> WorkCopy(QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("work.mdb"));
    QFile::copy(kStage + QStringLiteral("/ADDINS/DATABASE/KESTREL.MDB"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return Database::Open(path, false);
}

// The tree of a catalogue with 32768 option nodes (the most it can hold).
void BM_BuildTree32768(benchmark::State& state) {
    QTemporaryDir dir;
    auto db = WorkCopy(dir);
    db->Execute(QStringLiteral("DELETE FROM CMD30Codes"));
    db->Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
        "INSERT INTO CMD30Codes (TitleID, Data, Description, DialogID) "
        "SELECT 1 + i % 14, printf('%05d', i), 'Option ' || i, i % 3 FROM n"));
    CatalogueTreeModel tree;
    ValueListModel values;
    g_Standalone = true;
    for (auto _ : state) {
        CatalogueContext c;
        c.workDb = db.get();
        c.tree = &tree;
        c.values = &values;
        BuildCatalogueTree(c);
        benchmark::DoNotOptimize(tree.NodeCount());
    }
}
BENCHMARK(BM_BuildTree32768)->Unit(benchmark::kMillisecond);

// The window the operations are driven on: trunk 001 of PBX1.
struct BenchWindow : test::FakeTrunkWindow {
    explicit BenchWindow(Database* workDb) : FakeTrunkWindow(workDb) {
        trunkBox = QStringLiteral("001");
    }
};

// Step 11 storing a list-up: work tables and value list. 128 items as an
// exchange answers them, or (hostile) as many entries as a record may hold,
// the 128 items over and over, every value as long as a record allows.
void StoreListup(benchmark::State& state, int entries, int valueLength) {
    QTemporaryDir dir;
    auto db = WorkCopy(dir);
    db->Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 227) "
        "INSERT INTO CMD30Titles SELECT i, '3' || i, 'Item ' || i, -1 FROM n"));
    bench::LanguageDatabases languages;
    BenchWindow window(db.get());
    RequestDispatcher dispatcher(window);
    ValueListModel values;
    SourceTrunkReader reader(window, dispatcher, values);
    cListRequest answer;
    for (int e = 0; e < entries; ++e) {
        const int i = 100 + e % 128;
        answer.AddToList(QStringLiteral("3%1").arg(i), QStringLiteral("001"),
                         QStringLiteral("V%1").arg(i).leftJustified(valueLength, u'7'));
    }
    bench::AcceptingLink link;
    bench::PutInFlight(dispatcher, link, answer);
    dispatcher.CallBack(answer);
    for (auto _ : state) {
        reader.StoreTrunkListup();
        benchmark::DoNotOptimize(values.rowCount());
    }
    if (values.rowCount() != 128)
        state.SkipWithError("list-up not stored");
    g_CommonDb.reset();
}

void BM_StoreListup128(benchmark::State& state) {
    StoreListup(state, 128, 0);
}
BENCHMARK(BM_StoreListup128)->Unit(benchmark::kMillisecond);

void BM_StoreHostileListup(benchmark::State& state) {
    StoreListup(state, cListRequest::kMaxCount, 255);
}
BENCHMARK(BM_StoreHostileListup)->Unit(benchmark::kMillisecond);

// Step 10 on the largest answer: 64 items to 511 trunks, all written,
// with the value list, tree and stored list-up following the first trunk.
void BM_EvaluateLargestCopy(benchmark::State& state) {
    QTemporaryDir dir;
    auto db = WorkCopy(dir);
    bench::LanguageDatabases languages;
    BenchWindow window(db.get());
    RequestDispatcher dispatcher(window);
    ValueListModel values;
    CatalogueTreeModel tree;
    TreeEditor::Hooks treeHooks;
    TreeEditor editor(tree, values, treeHooks);
    SourceTrunkReader reader(window, dispatcher, values);
    for (int i = 0; i < 64; ++i) {
        const QString key = QStringLiteral("30%1").arg(i, 2, 10, QChar(u'0'));
        values.AddItem(key, QStringLiteral("1"), QStringLiteral("Item"), QStringLiteral("0"));
        db->Execute(QStringLiteral("INSERT INTO TrkDataListup VALUES ('001', ?, '0', 'Item')"),
                    {key});
        QStandardItem* title = tree.AddTitleNode(QStringLiteral("Title%1").arg(i), key);
        CatalogueTreeModel::SetTag(title, key);
        for (int o = 0; o < 4; ++o) {
            QStandardItem* option =
                tree.AddOptionNode(title, QStringLiteral("D%1:%2").arg(i * 4 + o).arg(o), key);
            CatalogueTreeModel::SetImage(option, QStringLiteral("Blank"));
        }
    }
    CopyWriter::Hooks hooks;
    hooks.markWrittenValue = [&](const QString& c, const QString& v) {
        editor.MarkWrittenValue(c, v);
    };
    hooks.updateListupData = [&](const QString& c, const QString& v) {
        reader.UpdateListupData(c, v);
    };
    CopyWriter copier(window, dispatcher, values, hooks);
    QStringList trunks;
    for (int t = 1; t <= 511; ++t)
        trunks << QStringLiteral("%1").arg(t, 3, 10, QChar(u'0'));
    copier.SendCopyRequests(trunks);  // no host: refused, but the destinations are kept
    cListRequest answer;
    for (int i = 0; i < 64; ++i) {
        const QString key = QStringLiteral("30%1").arg(i, 2, 10, QChar(u'0'));
        for (const QString& t : trunks) {
            answer.AddToList(key, t, QStringLiteral("1"), QStringLiteral("OK"));
        }
    }
    bench::AcceptingLink link;
    bench::PutInFlight(dispatcher, link, answer);
    dispatcher.CallBack(answer);
    if (dispatcher.ResponseList().Count() != answer.Count())
        state.SkipWithError("answer not taken");
    for (auto _ : state) {
        copier.OnCopyAnswered();
        benchmark::DoNotOptimize(values.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * answer.Count());
}
BENCHMARK(BM_EvaluateLargestCopy)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/Statement.h"
#include "startup/WorkingCopy.h"

namespace kestrel {
namespace {

const QString kDatabaseDir = bench::kStage + QStringLiteral("/ADDINS/DATABASE/");

// A list-up of 128 items stored the way Get stores it: the work table
// emptied and refilled in one transaction through one prepared statement.
void BM_StoreListup128(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("work.mdb"));
    QFile::copy(kDatabaseDir + QStringLiteral("KESTREL.MDB"), path);
    auto db = Database::Open(path, false);
    for (auto _ : state) {
        db->BeginTrans();
        db->Execute(QStringLiteral("DELETE * FROM TrkDataListup"));
        Statement insert = db->Prepare(QStringLiteral(
            "INSERT INTO TrkDataListup (Trunk, CMD, Data, Description) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < 128; ++i) {
            insert.BindAll({QStringLiteral("001"),
                            QStringLiteral("30%1").arg(i, 2, 10, QChar(u'0')),
                            QStringLiteral("V%1").arg(i), QStringLiteral("Item %1").arg(i)});
            insert.Run();
        }
        db->CommitTrans();
    }
}
BENCHMARK(BM_StoreListup128)->Unit(benchmark::kMillisecond);

// One snapshot read of the whole catalogue, as the tree build reads it.
void BM_ReadCatalogue(benchmark::State& state) {
    auto db = Database::Open(kDatabaseDir + QStringLiteral("KESTREL.MDB"), true);
    for (auto _ : state) {
        auto set = db->OpenRecordset(QStringLiteral("SELECT * FROM CMD30Codes ORDER BY TitleID"),
                                     RecordsetType::Snapshot);
        benchmark::DoNotOptimize(set->RecordCount());
    }
}
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMicrosecond);

// Making and removing a working copy: counter held, template copied.
void BM_MakeWorkingCopy(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    for (const char* name : {"KESTREL.MDB", "Serial.MDB"}) {
        QFile::copy(kDatabaseDir + QString::fromLatin1(name), folder + QString::fromLatin1(name));
        QFile(folder + QString::fromLatin1(name))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    for (auto _ : state) {
        const QString name =
            MakeWorkingCopy(QStringLiteral("KESTREL"), folder, QStringLiteral("KESTREL"));
        if (name.isEmpty()) {
            state.SkipWithError("no working copy");
            break;
        }
        RemoveWorkingCopy(folder, name);
    }
}
BENCHMARK(BM_MakeWorkingCopy)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

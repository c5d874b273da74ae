// Whole-process start-up: the bare window programme and the tool's
// standalone start, each from exec to "painted" on its output (its first
// window shown and painted), started in turn so that both meet the same
// machine. Prints each one's median and their ratio.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "BenchSupport.h"

namespace kestrel {
namespace {

// Milliseconds from the start to the line "painted"; -1 when it never came.
double MsToFirstPaint(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    QByteArray out;
    while (!out.contains("painted") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!process.waitForFinished(30000))
        process.kill();
    return out.contains("painted") ? ms : -1;
}

double Median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

void BM_ProcessStartup(benchmark::State& state) {
    const QString bare =
        QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_window");
    const QString tool = bench::kStage + QStringLiteral("/ADDINS/kestrel");
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("KESTREL_FIRST_PAINT"), QStringLiteral("1"));
    // One start of each first: the files are then in the page cache for both.
    MsToFirstPaint(bare, {}, environment);
    MsToFirstPaint(tool, {QStringLiteral("PBX1")}, environment);
    const int runs = static_cast<int>(state.range(0));
    QList<double> bareMs, toolMs;
    for (auto _ : state) {
        for (int i = 0; i < runs; ++i) {
            bareMs << MsToFirstPaint(bare, {}, environment);
            toolMs << MsToFirstPaint(tool, {QStringLiteral("PBX1")}, environment);
        }
    }
    if (bareMs.contains(-1) || toolMs.contains(-1)) {
        state.SkipWithError("a programme never said it had painted its window");
        return;
    }
    state.counters["bare_ms"] = Median(bareMs);
    state.counters["kestrel_ms"] = Median(toolMs);
    state.counters["ratio"] = Median(toolMs) / Median(bareMs);
}
BENCHMARK(BM_ProcessStartup)->Arg(13)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "BenchSupport.h"
#include "localisation/Messages.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"

namespace kestrel {
namespace {

// Side by side: a minimal Qt Widgets window shown, and the main window made,
// loaded (working copy, localisation, catalogue tree) and shown.
void BM_MinimalWindow(benchmark::State& state) {
    for (auto _ : state) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Hello"), &window));
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_MinimalWindow)->Unit(benchmark::kMillisecond);

void BM_MainWindowLoaded(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/OPSHELM32/30000");
    bench::CopyStagedTree(root);
    bench::SilentBoxes boxes;
    services().messageBoxes = &boxes;
    services().programFolder = root + QStringLiteral("/ADDINS");
    g_Standalone = false;  // no built-in host: the window alone
    for (auto _ : state) {
        OpenDB(root + QStringLiteral("/HELM32/DATABASE/Common.LNG"), g_CommonDb, true);
        OpenDB(root + QStringLiteral("/ADDINS/DATABASE/Kestrel.lng"), g_LangDb, false);
        LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get());
        LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get());
        dlgKestrel window;
        window.Load();
        window.SetPBXName(QStringLiteral("PBX1"));
        window.show();
        QApplication::processEvents();
        window.Unload();
    }
}
BENCHMARK(BM_MainWindowLoaded)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

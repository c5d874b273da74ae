#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Services.h"
#include "startup/Globals.h"

namespace kestrel::bench {

namespace {

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& e : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (e.isDir()) {
            CopyTree(e.filePath(), to + u'/' + e.fileName());
        } else if (!e.fileName().startsWith(QStringLiteral("KESTREL")) ||
                   e.fileName() == u"KESTREL.MDB") {
            QFile::copy(e.filePath(), to + u'/' + e.fileName());
            QFile(to + u'/' + e.fileName()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
    }
}

}  // namespace

void CopyStagedTree(const QString& to) {
    CopyTree(kStage, to);
}

LanguageDatabases::LanguageDatabases() {
    g_CommonDb = Database::Open(kStage + QStringLiteral("/HELM32/DATABASE/Common.LNG"), true);
    g_LangDb = Database::Open(kStage + QStringLiteral("/ADDINS/DATABASE/Kestrel.lng"), true);
    SetLanguageDatabases(&g_CommonDb, &g_LangDb);
    services().messageBoxes = &boxes_;
    g_Standalone = true;
}

LanguageDatabases::~LanguageDatabases() {
    services().messageBoxes = nullptr;
    g_CommonDb.reset();
    g_LangDb.reset();
}

}  // namespace kestrel::bench

// Every benchmark program runs inside one offscreen QApplication: models,
// timers and windows need one.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

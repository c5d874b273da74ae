// What a copy costs on the exchange link: the entries it sends, against the
// fewest a safe copy needs (one read per destination, one write per changed
// cell, one read per destination written), for three copies with the safety
// net on, the exchange answering at once; and (a) and (c) again with each
// entry taking 20 ms, as on a slow link, end to end against entries x 20 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>

#include "BenchSupport.h"
#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedExchange.h"
#include "exchange/SimulatedLink.h"
#include "localisation/Messages.h"
#include "platform/Services.h"
#include "safetynet/CopyPlan.h"
#include "safetynet/SafetyNetSetting.h"
#include "session/TrunkCopySession.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/FakeTrunkWindow.h"

namespace kestrel {
namespace {

// A standalone session on a private tree and a fresh seeded exchange.
class LinkCount {
public:
    explicit LinkCount(int entryDelayMs) {
        root_ = dir_.path() + QStringLiteral("/OPSHELM32/30000");
        bench::CopyStagedTree(root_);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        services().messageBoxes = &boxes_;
        services().programFolder = root_ + QStringLiteral("/ADDINS");
        services().dataFolder = dir_.path() + QStringLiteral("/data");
        OpenDB(root_ + QStringLiteral("/HELM32/DATABASE/Common.LNG"), g_CommonDb, true);
        OpenDB(root_ + QStringLiteral("/ADDINS/DATABASE/Kestrel.lng"), g_LangDb, false);
        LoadCaptionTable(g_Messages, QStringLiteral("tMessages"), g_LangDb.get());
        LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get());
        SetSafetyNetSetting(true);
        {
            auto exchange = SimulatedExchange::Open(ExchangeFolder(), QStringLiteral("PBX1"),
                                                    ExchangeSeedPath());
            ExchangeFaults faults = exchange->Faults();
            faults.entryDelayMs = entryDelayMs;
            exchange->SetFaults(faults);
        }
        g_Standalone = true;
        session_ = std::make_unique<TrunkCopySession>(window_, window_, [this](const QString& c) {
            auto link = CreateHostObject(c);
            QObject::connect(link.get(), &SimulatedLink::requestStarted,
                             [this](const QString&, int entries) { sent_ += entries; });
            return link;
        });
        session_->OpenWorkingCopy();
        session_->BuildTree();
        session_->StartStandaloneHost();
        session_->SetPBXName(QStringLiteral("PBX1"));
        session_->ReadHighestTrunk();
        window_.trunkBox = QStringLiteral("004");
        Run([this] { session_->GetSourceTrunk(); });
        window_.preview = [this](CopyPlan& plan, bool) {
            minimum_ = static_cast<int>(plan.Destinations().size() + plan.NotAssigned().size()) +
                       plan.TotalChanges() + plan.ChangedTrunks();
            return true;
        };
    }
    ~LinkCount() {
        session_.reset();
        services() = Services();
        g_LangDb.reset();
        g_CommonDb.reset();
        g_Messages.clear();
    }

    // Copies the source to `destinations`: entries sent, the minimum, and
    // the milliseconds from the command to the copy's end.
    struct Figures {
        int sent = 0;
        int minimum = 0;
        double ms = 0;
    };
    Figures Copy(const QString& destinations) {
        window_.destinations = destinations;
        sent_ = 0;
        minimum_ = -1;
        QElapsedTimer clock;
        clock.start();
        Run([this] { session_->Copy(false); });
        return {sent_, minimum_, static_cast<double>(clock.nsecsElapsed()) / 1e6};
    }

private:
    template <typename Command>
    void Run(Command command) {
        command();
        while (session_->Busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    QTemporaryDir dir_;
    QString root_;
    bench::SilentBoxes boxes_;
    test::FakeTrunkWindow window_;
    std::unique_ptr<TrunkCopySession> session_;
    int sent_ = 0;
    int minimum_ = -1;
};

void Report(benchmark::State& state, const char* name, const LinkCount::Figures& f) {
    state.counters[std::string(name) + "_sent"] = f.sent;
    state.counters[std::string(name) + "_minimum"] = f.minimum;
    state.counters[std::string(name) + "_extra"] = f.sent - f.minimum;
}

void BM_LinkEntries(benchmark::State& state) {
    for (auto _ : state) {
        {
            // First, so the process's peak memory is the largest copy's.
            LinkCount largest(0);
            Report(state, "b_5_511", largest.Copy(QStringLiteral("5-511")));
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            state.counters["b_peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        }
        LinkCount link(0);
        Report(state, "a_5_60", link.Copy(QStringLiteral("5-60")));
        Report(state, "c_again", link.Copy(QStringLiteral("5-60")));
    }
}
BENCHMARK(BM_LinkEntries)->Iterations(1)->Unit(benchmark::kMillisecond);

// Each entry takes 20 ms: the tool's own share is the time beyond them.
void BM_SlowLinkShare(benchmark::State& state) {
    constexpr int kEntryMs = 20;
    for (auto _ : state) {
        LinkCount link(kEntryMs);
        for (const char* name : {"a", "c"}) {
            const LinkCount::Figures f = link.Copy(QStringLiteral("5-60"));
            const double link_ms = f.sent * kEntryMs;
            state.counters[std::string(name) + "_ms"] = f.ms;
            state.counters[std::string(name) + "_entries_x_20ms"] = link_ms;
            state.counters[std::string(name) + "_tool_share"] = (f.ms - link_ms) / f.ms;
        }
    }
}
BENCHMARK(BM_SlowLinkShare)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

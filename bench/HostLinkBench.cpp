#include <benchmark/benchmark.h>

#include <QStringList>

#include <QCoreApplication>

#include "BenchSupport.h"
#include "hostlink/RequestDispatcher.h"
#include "hostlink/WindowState.h"
#include "hostlink/cListRequest.h"
#include "startup/Globals.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

// One classification per answer text, over a mix of values, table texts
// and long texts.
void BM_ClassifyAnswer(benchmark::State& state) {
    const QStringList texts = {
        QStringLiteral("OK"),
        QStringLiteral("0123"),
        QStringLiteral("OPX_STN_MLTIP"),
        QStringLiteral("TRK NOT ASSIGNED"),
        QStringLiteral("EB2004"),
        QStringLiteral("a long answer text that ends DATA NOT SET"),
    };
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ClassifyAnswer(texts.at(i)));
        i = (i + 1) % texts.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyAnswer);

// The largest copy request: 64 items times 511 trunks, one line each.
cListRequest LargestRequest() {
    cListRequest r;
    for (int item = 0; item < 64; ++item) {
        const QString key = QStringLiteral("30%1").arg(item, 2, 10, QChar(u'0'));
        for (int trunk = 1; trunk <= 511 && r.Count() < cListRequest::kMaxCount; ++trunk) {
            r.AddToList(key, QStringLiteral("%1").arg(trunk, 3, 10, QChar(u'0')),
                        QStringLiteral("01"));
        }
    }
    return r;
}

void BM_BuildLargestRequest(benchmark::State& state) {
    for (auto _ : state) {
        cListRequest r = LargestRequest();
        benchmark::DoNotOptimize(r.Count());
    }
}
BENCHMARK(BM_BuildLargestRequest)->Unit(benchmark::kMillisecond);

class NoWindow : public WindowState {
public:
    bool IsEnabled() const override { return true; }
    void SetEnabled(bool) override {}
    void SetHourglass(bool) override {}
};

// A dispatcher whose call-back is timed taking an answer to the request in
// flight, put in flight afresh for each call.
struct CallBackBench {
    NoWindow window;
    RequestDispatcher dispatcher{window};
    bench::AcceptingLink link;

    void Time(benchmark::State& state, const cListRequest& answer) {
        g_Standalone = true;
        for (auto _ : state) {
            state.PauseTiming();
            dispatcher.tmrEvent().stop();
            cListRequest copy = answer;
            bench::PutInFlight(dispatcher, link, copy);
            state.ResumeTiming();
            dispatcher.CallBack(copy);
            benchmark::DoNotOptimize(dispatcher.ResponseList().Count());
        }
    }
};

// The call-back taking the largest answer: messages, copy into the
// response list, step and timer.
void BM_CallBackLargestAnswer(benchmark::State& state) {
    const cListRequest answer = LargestRequest();
    CallBackBench callBacks;
    callBacks.Time(state, answer);
    if (callBacks.dispatcher.ResponseList().Count() != answer.Count())
        state.SkipWithError("answer not taken");
}
BENCHMARK(BM_CallBackLargestAnswer)->Unit(benchmark::kMillisecond);

// A hostile answer to the request in flight, from receipt to the request
// ended: 0, sixteen values of 1 MB each (refused at the record); 1, the
// most a record may hold, every text as long as the exchange allows.
void BM_CallBackHostileAnswer(benchmark::State& state) {
    cListRequest answer;
    answer.SetTag(QStringLiteral("11"));
    if (state.range(0) == 0) {
        const QString mega(1 << 20, u'7');
        for (int i = 0; i < 16; ++i)
            answer.AddToList(QStringLiteral("3001"), QStringLiteral("004"), mega);
    } else {
        const QString longest(255, u'7');
        for (int i = 0; i < cListRequest::kMaxCount; ++i)
            answer.AddToList(longest, longest, longest, longest, longest);
    }
    CallBackBench callBacks;
    callBacks.Time(state, answer);
    if (callBacks.dispatcher.State() != DispatchState::PendingDispatch)
        state.SkipWithError("answer not taken");
}
BENCHMARK(BM_CallBackHostileAnswer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

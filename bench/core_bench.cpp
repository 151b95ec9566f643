#include <benchmark/benchmark.h>

#include "core/duration_text.h"
#include "fake_tick_host.h"

static void BM_FormatDuration(benchmark::State& state) {
    int32_t seconds = 2147483000;
    for (auto _ : state) benchmark::DoNotOptimize(FormatDuration(seconds++));
}
BENCHMARK(BM_FormatDuration);

static void BM_Tick(benchmark::State& state) {
    AppState app;
    SteppingClock clock;
    NullHost host;
    host.online = state.range(0) != 0;
    TickEngine engine(app, clock, host);
    for (auto _ : state) engine.OnTick();
    benchmark::DoNotOptimize(host.shown);
}
BENCHMARK(BM_Tick)->ArgName("online")->Arg(1)->Arg(0);

BENCHMARK_MAIN();

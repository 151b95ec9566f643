#include <benchmark/benchmark.h>

#include "core/calendar.h"
#include "core/duration_text.h"
#include "core/history.h"
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

// A history of 100,000 sessions with their data, two a day for 137 years, read and tabled as the
// History window does when it opens.
static void BM_OpenHistory(benchmark::State& state) {
    std::string bytes(kHistoryHeader);
    bytes += "\r\n";
    for (int i = 0; i < 100000; ++i) {
        const LocalTime start{DateOfDay(i / 2), 20 - 10 * (i % 2), 15, 0, 60};
        LocalTime end = start;
        end.hour += 1;
        bytes += FormatSessionLine({start, end, 3600, i % 3 ? "Cellular" : "Home Wi-Fi",
                                    Traffic{i * 4099LL, i * 131LL}}) +
                 "\r\n";
    }
    for (auto _ : state) {
        UsageTable table;
        for (const SessionRecord& s : ParseHistory(bytes).sessions) table.Add(s);
        benchmark::DoNotOptimize(table.RecentDays(31));
        benchmark::DoNotOptimize(table.RecentMonths(24));
    }
    state.SetLabel(std::to_string(bytes.size() / 1024) + " KB");
}
BENCHMARK(BM_OpenHistory)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

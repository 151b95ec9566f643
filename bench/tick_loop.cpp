// 10,000 online ticks with free seams: the program callgrind counts instructions of.
#include <cstdio>

#include "fake_tick_host.h"

int main() {
    AppState app;
    SteppingClock clock;
    NullHost host;
    TickEngine engine(app, clock, host);
    for (int i = 0; i < 10000; ++i) engine.OnTick();
    std::printf("%d s counted, %zu characters shown\n", app.totalSeconds, host.shown);
    return 0;
}

// 10,000 online ticks with free seams: the program callgrind counts instructions of.
#include <cstdio>

#include "fake_tick_host.h"

int main() {
    AppState app;
    SteppingClock clock;
    NullHost host;
    TickEngine engine(app, clock, host);
    for (int i = 0; i < 10000; ++i) engine.Timer1_Timer();
    std::printf("%d s counted, %zu characters shown\n", app.TotalSeconds, host.shown);
    return 0;
}

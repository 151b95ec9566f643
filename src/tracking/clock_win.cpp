#include "tracking/clock_win.h"

#include <windows.h>

#include <realtimeapiset.h>

// Interrupt time without the time spent asleep or hibernating.
int64_t WindowsClock::MonotonicMs() {
    ULONGLONG units = 0;
    QueryUnbiasedInterruptTime(&units);
    return static_cast<int64_t>(units / 10000);
}

LocalDay WindowsClock::Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {{now.wYear, now.wMonth, now.wDay}, now.wDayOfWeek + 1};
}

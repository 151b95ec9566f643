#include "win/clock_win.h"

#include <windows.h>

#include <realtimeapiset.h>

// Interrupt time without the time spent asleep or hibernating.
int64_t WindowsClock::MonotonicMs() {
    ULONGLONG units = 0;
    QueryUnbiasedInterruptTime(&units);
    return static_cast<int64_t>(units / 10000);
}

// Time asleep included: ahead of the other by the time the machine slept.
int64_t WindowsClock::WallMs() {
    return static_cast<int64_t>(GetTickCount64());
}

LocalDay WindowsClock::Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {{now.wYear, now.wMonth, now.wDay}, now.wDayOfWeek + 1};
}

// The local time with its distance from UTC, summer time included.
LocalTime WindowsClock::Now() {
    SYSTEMTIME now;
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    GetLocalTime(&now);
    LONG bias = zone.Bias;
    if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    return {{now.wYear, now.wMonth, now.wDay},
            now.wHour,
            now.wMinute,
            now.wSecond,
            static_cast<int>(-bias)};
}

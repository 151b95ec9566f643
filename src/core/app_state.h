#pragma once
#include <cstdint>
#include <optional>

#include "core/options.h"

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// The program's one record: what the user chose and what has been counted.
struct AppState {
    Options options;
    int32_t alertLimitSeconds = 0;
    int32_t sessionSeconds = 0;
    int32_t totalSeconds = 0;
    // Day of the last scheduled clearing, so that a restart on that day does not clear again.
    std::optional<CalendarDate> lastScheduledClear;
    bool statsShown = false;
};

// What the time log file keeps of the state.
struct LogRecord {
    int32_t total = 0;
    std::optional<CalendarDate> lastScheduledClear;
    friend bool operator==(const LogRecord&, const LogRecord&) = default;
};

inline LogRecord LogRecordOf(const AppState& state) {
    return {state.totalSeconds, state.lastScheduledClear};
}

#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct CalendarDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// The one program-wide record; every handler reads and changes it on the UI thread.
struct AppState {
    int32_t SessionSeconds = 0;
    int32_t TotalSeconds = 0;
    std::string StatsShown;
    bool AlertEnabled = false;
    std::string AlertDays;
    std::string AlertHours;
    std::string AlertMinutes;
    int32_t AlertLimitSeconds = 0;
    bool ClearOnFirstOfMonth = false;
    bool ClearEverySunday = false;
    // Day of the last scheduled clearing, so that a restart on that day does not clear again.
    std::optional<CalendarDate> LastScheduledClear;
};

// The six options, in the settings file's line order.
struct Settings {
    bool ClearOnFirstOfMonth = false;
    bool ClearEverySunday = false;
    bool AlertEnabled = false;
    std::string AlertDays = "0";
    std::string AlertHours = "0";
    std::string AlertMinutes = "0";
    friend bool operator==(const Settings&, const Settings&) = default;
};

Settings SettingsOf(const AppState& state);
void ApplySettings(AppState& state, const Settings& settings);

namespace modMain {
extern AppState appState;
}

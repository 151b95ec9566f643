#include "app/app_state.h"

namespace modMain {
AppState appState;
}

Settings SettingsOf(const AppState& s) {
    return {s.ClearOnFirstOfMonth, s.ClearEverySunday, s.AlertEnabled,
            s.AlertDays,           s.AlertHours,       s.AlertMinutes};
}

void ApplySettings(AppState& s, const Settings& o) {
    s.ClearOnFirstOfMonth = o.ClearOnFirstOfMonth;
    s.ClearEverySunday = o.ClearEverySunday;
    s.AlertEnabled = o.AlertEnabled;
    s.AlertDays = o.AlertDays;
    s.AlertHours = o.AlertHours;
    s.AlertMinutes = o.AlertMinutes;
}

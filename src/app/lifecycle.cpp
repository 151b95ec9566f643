#include "app/lifecycle.h"

#include "app/number_value.h"

void LoadState(AppState& state, const DataPaths& paths) {
    const auto settings = LoadSettings(paths.Settings);
    const auto log = LoadLogTotal(paths.Log);
    const Settings options = settings.value_or(Settings{});
    const int32_t limit =
        AlertLimitOrThrow(options.AlertDays, options.AlertHours, options.AlertMinutes);
    if (!settings) CreateDefaultSettings(paths.Settings);
    if (!log) SaveLogTotal({}, paths.Log);

    ApplySettings(state, options);
    state.TotalSeconds = log ? log->Total : 0;
    state.LastScheduledClear = log ? log->LastScheduledClear : std::nullopt;
    state.AlertLimitSeconds = limit;
}

void SaveState(const AppState& state, const DataPaths& paths) {
    SaveLogTotal(LogRecordOf(state), paths.Log);
    SaveSettings(SettingsOf(state), paths.Settings);
}

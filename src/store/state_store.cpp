#include "store/state_store.h"

#include "core/alert.h"

void LoadState(AppState& state, const DataPaths& paths) {
    const auto settings = LoadSettings(paths.settings);
    const auto log = LoadLogTotal(paths.log);
    const Options options = settings.value_or(Options{});
    const int32_t limit = AlertLimitOrThrow(options);
    if (!settings) CreateDefaultSettings(paths.settings);
    if (!log) SaveLogTotal({}, paths.log);

    state.options = options;
    state.alertLimitSeconds = limit;
    state.totalSeconds = log ? log->total : 0;
    state.lastScheduledClear = log ? log->lastScheduledClear : std::nullopt;
}

void SaveState(const AppState& state, const DataPaths& paths) {
    SaveLogTotal(LogRecordOf(state), paths.log);
    SaveSettings(state.options, paths.settings);
}

#pragma once
#include "core/app_state.h"
#include "store/data_path.h"

// Start-up's loading: the options, the total and the alert limit. Both files are read and checked
// before the defaults of a missing one are written, so a start-up that fails writes nothing.
void LoadState(AppState& state, const DataPaths& paths);

// Shut-down's saving: the total first, so a failure with the settings keeps the total.
void SaveState(const AppState& state, const DataPaths& paths);

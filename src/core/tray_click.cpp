#include "core/tray_click.h"

TrayAction TrayActionFor(unsigned mouseMessage) {
    if (mouseMessage == kTrayDoubleClick) return TrayAction::ToggleStats;
    if (mouseMessage == kTrayRightButtonUp) return TrayAction::OpenMenu;
    return TrayAction::None;
}

bool ToggleStats(AppState& state, bool statsVisible) {
    state.statsShown = !statsVisible;
    return state.statsShown;
}

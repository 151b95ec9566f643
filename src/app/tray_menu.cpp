#include "app/tray_menu.h"

TrayAction TrayDispatcher::ActionFor(unsigned code) {
    if (code == kTrayDoubleClick) return TrayAction::ToggleStats;
    if (code == kTrayRightButtonUp) return TrayAction::OpenMenu;
    return TrayAction::None;
}

bool ToggleStats(AppState& state, bool statsVisible) {
    state.StatsShown = statsVisible ? "no" : "yes";
    return !statsVisible;
}

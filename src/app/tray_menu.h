#pragma once
#include "app/app_state.h"

inline constexpr unsigned kTrayCallbackMessage = 512;  // WM_MOUSEMOVE, as the icon was added
inline constexpr unsigned kTrayDoubleClick = 515;      // WM_LBUTTONDBLCLK
inline constexpr unsigned kTrayRightButtonUp = 517;    // WM_RBUTTONUP

enum class TrayAction { None, ToggleStats, OpenMenu };

// Acts on one tray message at a time: a message that arrives while the pop-up menu of an
// earlier one is open is dropped, not queued.
class TrayDispatcher {
  public:
    template <class Act>
    void picHook_MouseMove(unsigned code, Act act) {
        if (inTrayEvent_) return;
        inTrayEvent_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inTrayEvent_};
        act(ActionFor(code));
    }
    static TrayAction ActionFor(unsigned code);

  private:
    bool inTrayEvent_ = false;
};

// The double click: shows the statistics window when it is not visible and hides it when it is,
// keeping StatsShown in step. Returns whether to show it.
bool ToggleStats(AppState& state, bool statsVisible);

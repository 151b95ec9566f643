#pragma once
#include "core/app_state.h"

inline constexpr unsigned kTrayCallbackMessage = 512;  // WM_MOUSEMOVE, as the icon was added
inline constexpr unsigned kTrayDoubleClick = 515;      // WM_LBUTTONDBLCLK
inline constexpr unsigned kTrayRightButtonUp = 517;    // WM_RBUTTONUP

enum class TrayAction { None, ToggleStats, OpenMenu };

// What a mouse message from the tray icon asks for.
TrayAction TrayActionFor(unsigned mouseMessage);

// Acts on one tray message at a time: a message that arrives while the pop-up menu of an
// earlier one is open is dropped, not queued.
class TrayClicks {
  public:
    template <class Act>
    void OnTrayMouse(unsigned mouseMessage, Act act) {
        if (busy_) return;
        busy_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{busy_};
        act(TrayActionFor(mouseMessage));
    }

  private:
    bool busy_ = false;
};

// The double click: shows the statistics window when it is not visible and hides it when it is,
// keeping statsShown in step. Returns whether to show it.
bool ToggleStats(AppState& state, bool statsVisible);

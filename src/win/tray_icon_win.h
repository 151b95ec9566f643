#pragma once
#include <windows.h>

// The program's icon in the notification area; its mouse messages go to callbackWindow.
class TrayIcon {
  public:
    TrayIcon(HWND callbackWindow, HICON icon) : window_(callbackWindow), icon_(icon) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Remove(); }

    // The shell may refuse or time out while it is still starting at logon: false then, and
    // the caller tries again later. After the taskbar was created anew, call it again.
    bool Add();
    void Remove();
    bool IsShown() const { return shown_; }
    // The shell lost its icons when it restarted.
    void Forget() { shown_ = false; }

  private:
    HWND window_;
    HICON icon_;
    bool shown_ = false;
};

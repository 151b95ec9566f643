#pragma once
#include <windows.h>

#include <string>

// The program's icon in the notification area; its mouse messages go to callbackWindow.
class TrayIcon {
  public:
    TrayIcon(HWND callbackWindow, HICON icon) : window_(callbackWindow), icon_(icon) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() {
        Remove();
        if (shareIcon_) DestroyIcon(shareIcon_);
    }

    // The shell may refuse or time out while it is still starting at logon: false then, and
    // the caller tries again later. After the taskbar was created anew, call it again.
    bool Add();
    void Remove();
    bool IsShown() const { return shown_; }
    // The shell lost its icons when it restarted.
    void Forget() { shown_ = false; }
    // The share used drawn on the icon (none below 0), and lines of the tip under the program's
    // name; only what changed is sent to the shell.
    void Show(int percent, int warnPercent, const std::string& lines);
    // A notification from the icon, which Windows 10 and 11 show as a toast; false when the
    // shell did not take it (no icon yet at logon, Explorer restarting).
    bool Notify(const std::string& text);

  private:
    bool Modify(UINT flags, HICON icon, const std::wstring& tip, const std::wstring& info);

    HWND window_;
    HICON icon_;
    bool shown_ = false;
    int shownShare_ = -1;  // -1: the plain icon
    std::string shownTip_;
    HICON shareIcon_ = nullptr;
};

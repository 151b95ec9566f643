#pragma once
#include <windows.h>

#include <string>

#include "store/data_path.h"
#include "win/about_box_win.h"
#include "win/adjust_dialog_win.h"
#include "win/alert_window_win.h"
#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win/history_window_win.h"
#include "win/stats_window_win.h"

std::string ReadFileBytes(const std::string& path);  // "" when there is no such file
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string WindowText(HWND hwnd);  // also of a control of another process
// The process's top-level window of this class and caption (shown, if asked), once there is one.
HWND WindowOf(DWORD pid, const char* cls, const char* caption, bool shown = false, int ms = 10000);
// Waits for a message box of the process, closes it and returns "caption\ntext" ("" if none came).
std::string TakeMessageBox(DWORD processId, int timeoutMs = 10000);
void SetRemoteConnection(DWORD value);  // what the program reads as the state of the connection
inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
template <class Condition>
bool WaitFor(Condition condition, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 20, Sleep(20))
        if (condition()) return true;
    return condition();
}

// The real program, started as a user would start it, killed if a test leaves it running.
class TimerProcess {
  public:
    TimerProcess();
    ~TimerProcess() { Kill(), CloseHandle(pi_.hProcess), CloseHandle(pi_.hThread); }
    HANDLE Handle() const { return pi_.hProcess; }
    bool WaitForExit() const { return WaitForSingleObject(pi_.hProcess, 15000) == WAIT_OBJECT_0; }
    void Kill() const { TerminateProcess(pi_.hProcess, 9), WaitForExit(); }
    std::string Message(int ms = 10000) const { return TakeMessageBox(pi_.dwProcessId, ms); }
    HWND Window(const char* cls, const char* caption = nullptr) const {
        return WindowOf(pi_.dwProcessId, cls, caption);
    }
    HWND Main() const { return Window("OnlineTimer.Main"); }
    HWND Tray() const { return FindWindowExA(Main(), nullptr, "OnlineTimer.TrayIcon", nullptr); }
    HWND Stats() const { return Window(kFormClass, "Stats"); }  // once start-up is over
    int TotalShown() const;
    void Post(UINT msg, WPARAM wParam = 0) const { PostMessageA(Main(), msg, wParam, 0); }
    void Menu(int id) const { Post(WM_COMMAND, static_cast<WPARAM>(id)); }
    void Click(const char* form, int id) const {
        SendMessageA(GetDlgItem(Window(kFormClass, form), id), BM_CLICK, 0, 0);
    }
    bool Close() const { return Post(WM_CLOSE), WaitForExit(); }
    std::string Exit(int ms = 10000) const { return Post(WM_CLOSE), Message(ms); }  // its message

  private:
    PROCESS_INFORMATION pi_ = {};
};

// What the Windows tests and the timer driver share: files, windows and the real program.
#pragma once
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/dialup_probe.h"
#include "store/data_path.h"
#include "store/wide_text_win.h"
#include "win/about_box_win.h"
#include "win/adjust_dialog_win.h"
#include "win/alert_window_win.h"
#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win/history_window_win.h"
#include "win/stats_window_win.h"

#define WIDE(path) WidePath(path).c_str()                    // a UTF-8 path for a wide call
inline std::string ReadFileBytes(const std::string& path) {  // "" when there is no such file
    std::ifstream in(std::filesystem::path(WidePath(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {  // folder made
    const std::filesystem::path file(WidePath(path));
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}
inline std::string Beside(const char* name) {  // the path of a file beside the tests
    wchar_t path[MAX_PATH];
    const std::string self = Utf8(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH)));
    return self.substr(0, self.rfind('\\') + 1) + name;
}
inline std::string WindowText(HWND hwnd) {  // also of a control of another process
    wchar_t text[1024] = L"";
    return GetWindowTextW(hwnd, text, 1024), Utf8(text);
}
inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
inline bool WaitFor(auto condition, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 20, Sleep(20))
        if (condition()) return true;
    return condition();
}
// The process's top-level window of this class and caption (shown, if asked), once there is one.
inline HWND WindowOf(DWORD pid, const char* cls, const char* caption, bool shown, int ms = 10000) {
    for (int waited = 0; waited <= ms; waited += 20, Sleep(20))
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && (!shown || IsWindowVisible(w))) return w;
        }
    return nullptr;
}
// Waits for a message box of the process, closes it and returns "caption\ntext" ("" if none came).
inline std::string TakeMessageBox(DWORD processId, int timeoutMs = 10000) {
    HWND box = WindowOf(processId, "#32770", nullptr, true, timeoutMs);  // filled in when shown
    const std::string text = WindowText(box) + "\n" + WindowText(GetDlgItem(box, 0xFFFF));
    return box && PostMessageA(box, WM_COMMAND, IDOK, 0) ? text : "";
}
inline void SetRemoteConnection(DWORD value) {  // what the program reads as the connection's state
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRemoteAccessKey, kRemoteConnectionValue, REG_DWORD, &value,
                    sizeof value);
}

// The real program (or a command), started as a user would, killed if a test leaves it running.
class TimerProcess {
  public:
    explicit TimerProcess(std::string command = "OnlineTimer.exe") {  // found beside the test
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started_ = CreateProcessA(nullptr, command.data(), 0, 0, FALSE, 0, 0, 0, &si, &pi_);
    }
    ~TimerProcess() { Kill(), CloseHandle(pi_.hProcess), CloseHandle(pi_.hThread); }
    HANDLE Handle() const { return pi_.hProcess; }
    bool Started() const { return started_; }
    bool WaitForExit() const { return WaitForSingleObject(pi_.hProcess, 15000) == WAIT_OBJECT_0; }
    void Kill() const { TerminateProcess(pi_.hProcess, 9), WaitForExit(); }
    std::string Message(int ms = 10000) const { return TakeMessageBox(pi_.dwProcessId, ms); }
    HWND Window(const char* cls, const char* caption = nullptr, bool shown = false) const {
        return WindowOf(pi_.dwProcessId, cls, caption, shown);
    }
    HWND Form(const char* caption) const { return Window(kFormClass, caption, true); }  // made
    HWND Main() const { return Window("OnlineTimer.Main"); }
    HWND Tray() const { return FindWindowExA(Main(), nullptr, "OnlineTimer.TrayIcon", nullptr); }
    HWND Stats() const { return Window(kFormClass, "Stats"); }  // once start-up is over
    int TotalShown() const {
        int d = 0, h = 0, m = 0, s = 0;
        sscanf(WindowText(GetDlgItem(Stats(), StatsWindow::kTotalLabel)).c_str(), "%d:%d:%d:%d", &d,
               &h, &m, &s);
        return ((d * 24 + h) * 60 + m) * 60 + s;
    }
    bool Counting() const {  // in 2.5 s
        const int before = TotalShown();
        return Sleep(2500), TotalShown() > before;
    }
    // The History window's status line (the window opened before), once it says this.
    std::string HistoryStatus(const std::string& part = "", int ms = 10000) const {
        const HWND status = GetDlgItem(Form("History"), HistoryWindow::kStatus);
        return WaitFor([&] { return Contains(WindowText(status), part); }, ms), WindowText(status);
    }
    LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) const { return SendMessageA(Main(), m, w, l); }
    void Post(UINT msg, WPARAM wParam = 0) const { PostMessageA(Main(), msg, wParam, 0); }
    void Menu(int id) const { Post(WM_COMMAND, static_cast<WPARAM>(id)); }
    void Click(const char* form, int id) const {
        SendMessageA(GetDlgItem(Form(form), id), BM_CLICK, 0, 0);
    }
    bool Close() const { return Post(WM_CLOSE), WaitForExit(); }
    std::string Exit(int ms = 10000) const { return Post(WM_CLOSE), Message(ms); }  // its message

  private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "store/data_path.h"

std::string ReadFileBytes(const std::string& path);  // "" when there is no such file
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// A window's text, also for a control of another process.
std::string WindowText(HWND hwnd);
// Waits for a message box of the process, closes it and returns "caption\ntext" ("" if none came).
std::string TakeMessageBox(DWORD processId, int timeoutMs = 10000);
// Sets the status value the program reads as the connection, or removes its key.
void SetRemoteConnection(std::optional<DWORD> value);

// Where the program keeps its files in this prefix: c:\windows, or the per-user copies when the
// account may not write there, as a standard user on Windows.
struct ProgramFiles {
    std::string settings, log;
    bool perUser;
    HistoryPaths history = ResolveHistoryPaths();
};
ProgramFiles FilesInUse();
// As before the first start on a new account: no files, no per-user folder.
void RemoveProgramFiles();

// Polls until the condition holds or the time is up, dispatching this thread's messages.
template <class Condition>
bool WaitFor(Condition condition, int timeoutMs = 10000) {
    for (int waited = 0; !condition(); waited += 20) {
        if (waited >= timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(20);
    }
    return true;
}

// The real program, started as a user would start it, killed if a test leaves it running.
class TimerProcess {
  public:
    TimerProcess();
    ~TimerProcess();
    DWORD Id() const { return process_.dwProcessId; }
    HANDLE Handle() const { return process_.hProcess; }
    bool WaitForExit() const { return WaitForSingleObject(process_.hProcess, 15000) == 0; }
    void Kill() const { TerminateProcess(process_.hProcess, 9), WaitForExit(); }
    // The program's top-level window of a class and caption, once it exists.
    HWND Window(const char* cls, const char* caption = nullptr) const;
    HWND Main() const { return Window("OnlineTimer.Main"); }
    // The statistics window exists from the first tick on: start-up is over.
    HWND Stats() const { return Window("OnlineTimer.Form", "Stats"); }
    int TotalShown() const;
    void Tray(unsigned mouseMessage) const;
    void Menu(int id) const { PostMessageA(Main(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    bool Close() const { return PostMessageA(Main(), WM_CLOSE, 0, 0) && WaitForExit(); }

  private:
    PROCESS_INFORMATION process_ = {};
};

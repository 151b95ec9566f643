#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "store/history_file.h"

std::string ReadFileBytes(const std::string& path);  // "" when there is no such file
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// A window's text, also for a control of another process.
std::string WindowText(HWND hwnd);
// Waits for a message box of the process, closes it and returns "caption\ntext" ("" if none came).
std::string TakeMessageBox(DWORD processId, int timeoutMs = 10000);
// Sets the status value the program reads as the connection, or removes its key.
bool SetRemoteConnection(std::optional<DWORD> value);
// Seconds in a duration text such as 00:00:01:05.
int Seconds(const std::string& text);

// Where the program keeps its files in this prefix: in c:\windows, or in the per-user copies when
// the account may not write there, as a standard user on Windows.
struct ProgramFiles {
    std::string settings, log;
    bool perUser;
    HistoryPaths history;
};
ProgramFiles FilesInUse();
// As before the first start: no per-user copies, no files in a writable c:\windows.
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
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    bool WaitForExit(int ms = 15000) const {
        return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
    }
    void Kill() {
        TerminateProcess(process_.hProcess, 9);
        WaitForExit();
    }
    // The program's top-level window of a class and caption, once it exists.
    HWND Window(const char* cls, const char* caption = nullptr, int timeoutMs = 15000) const;
    HWND Main() const { return Window("OnlineTimer.Main"); }
    // Its statistics window exists from the first tick on: start-up is over.
    HWND Stats() const { return Window("OnlineTimer.Form", "Stats"); }
    int TotalShown() const;
    void Tray(unsigned mouseMessage) const;
    void Menu(int id) const { PostMessageA(Main(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    bool Close() const {
        PostMessageA(Main(), WM_CLOSE, 0, 0);
        return WaitForExit();
    }

  private:
    PROCESS_INFORMATION process_ = {};
};

#pragma once
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Waits for a message box of the process, closes it and returns "caption\ntext" ("" if none came).
std::string TakeMessageBox(DWORD processId, int timeoutMs = 10000);

// A window's text, also for a control of another process.
std::string WindowText(HWND hwnd);

// Polls until the condition holds or the time is up.
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

// The real program, started as a user would start it.
class Program {
  public:
    Program() {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string exe(path);
        exe = exe.substr(0, exe.find_last_of('\\')) + "\\OnlineTimer.exe";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started_ = CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &process_) != 0;
    }
    ~Program() {
        if (started_ && Running()) TerminateProcess(process_.hProcess, 1);
        if (started_) CloseHandle(process_.hProcess), CloseHandle(process_.hThread);
    }
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
    // The program's window of a class (and caption), once it exists.
    HWND Window(const char* cls, const char* caption = nullptr, int timeoutMs = 15000) const {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    if (pid == Id()) return (found = w) != nullptr;
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    HWND Main() const { return Window("OnlineTimer.frmMain"); }
    HWND PicHook() const { return FindWindowExA(Main(), nullptr, "OnlineTimer.picHook", nullptr); }
    void Tray(unsigned code) const { PostMessageA(PicHook(), WM_MOUSEMOVE, 1, code); }
    bool Close() {
        PostMessageA(Main(), WM_CLOSE, 0, 0);
        return WaitForExit();
    }

  private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

// Sets the status value the program reads, or removes its key.
inline bool SetRemoteConnection(std::optional<DWORD> value) {
    const char* key = "System\\CurrentControlSet\\Services\\RemoteAccess";
    if (!value) return RegDeleteKeyA(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS;
    HKEY opened;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(opened, "Remote Connection", 0, REG_DWORD,
                                       reinterpret_cast<BYTE*>(&*value), sizeof(DWORD));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

// Seconds in a duration text such as 00:00:01:05.
inline int Seconds(const std::string& text) {
    int d = 0, h = 0, m = 0, s = 0;
    sscanf(text.c_str(), "%d:%d:%d:%d", &d, &h, &m, &s);
    return ((d * 24 + h) * 60 + m) * 60 + s;
}

#pragma once
#include <windows.h>

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

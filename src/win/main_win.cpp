#include <windows.h>

#include "win/error_box_win.h"
#include "win/program_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Two copies would each count and overwrite the other's total. A copy running elevated
    // leaves a mutex this one may not open: that too means one is running. One whose window is
    // gone is ending (an update closed it and starts this one): it is given a few seconds.
    HANDLE single = nullptr;
    bool running = false;
    for (int waited = 0; waited <= 5000; waited += 100, Sleep(100)) {
        single = CreateMutexA(nullptr, FALSE, "Local\\VelmoraOnlineTimer.Running");
        const DWORD error = GetLastError();
        running = error == ERROR_ALREADY_EXISTS || (!single && error == ERROR_ACCESS_DENIED);
        if (!running || FindWindowA(kMainWindowClass, nullptr)) break;
        if (single) CloseHandle(single), single = nullptr;
    }
    if (running) {
        MessageBoxA(nullptr,
                    "The Velmora Online Timer is already running; its icon is in the notification "
                    "area. Right-click the icon to open its menu.",
                    kProgramTitle, MB_OK | MB_ICONINFORMATION);
        if (single) CloseHandle(single);
        return 0;
    }
    Program program;
    const int result = program.Run(instance);
    if (single) CloseHandle(single);
    return result;
}

#include "app/tray_icon_win.h"

#include <shellapi.h>

#include <cstring>

#include "app/program_win.h"
#include "app/tray_menu.h"

namespace {

// The version-1 record: 88 bytes on 32-bit Windows, understood by every shell.
NOTIFYICONDATAA Record(HWND picHook) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = picHook;
    data.uID = 1;
    return data;
}

}  // namespace

void AddTrayIcon(HWND picHook, HICON icon) {
    NOTIFYICONDATAA data = Record(picHook);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    std::memset(data.szTip, ' ', 64);
    std::memcpy(data.szTip, kProgramTitle, std::strlen(kProgramTitle) + 1);
    Shell_NotifyIconA(NIM_ADD, &data);
}

void RemoveTrayIcon(HWND picHook) {
    NOTIFYICONDATAA data = Record(picHook);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

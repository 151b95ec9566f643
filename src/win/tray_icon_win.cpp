#include "win/tray_icon_win.h"

#include <shellapi.h>

#include <cstring>

#include "core/tray_click.h"
#include "win/error_box_win.h"

namespace {

// The version-1 record: 88 bytes on 32-bit Windows, understood by every shell.
NOTIFYICONDATAA Record(HWND window) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return data;
}

}  // namespace

bool TrayIcon::Add() {
    NOTIFYICONDATAA data = Record(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_;
    std::memset(data.szTip, ' ', 64);
    std::memcpy(data.szTip, kProgramTitle, std::strlen(kProgramTitle) + 1);
    // An icon that is already there (an add that timed out but went through) is changed in place.
    shown_ = Shell_NotifyIconA(NIM_ADD, &data) || Shell_NotifyIconA(NIM_MODIFY, &data);
    return shown_;
}

void TrayIcon::Remove() {
    if (!shown_) return;
    NOTIFYICONDATAA data = Record(window_);
    Shell_NotifyIconA(NIM_DELETE, &data);
    shown_ = false;
}

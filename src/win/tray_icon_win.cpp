#include "win/tray_icon_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/allowance.h"

#include "core/tray_click.h"
#include "store/wide_text_win.h"
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

// The program's icon at the tray's size with the share used drawn on it, as 32-bit pixels with
// their alpha: an icon without alpha takes it from its mask.
HICON IconWithShare(HICON base, int percent, int warnPercent) {
    const int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
    HICON sized = static_cast<HICON>(CopyImage(base, IMAGE_ICON, w, h, 0));
    ICONINFO info = {};
    if (!sized || !GetIconInfo(sized, &info)) return sized;
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(w * h)), mask(pixels.size());
    HDC dc = GetDC(nullptr);
    const bool read =
        info.hbmColor &&
        GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(h), pixels.data(), &format,
                  DIB_RGB_COLORS) &&
        GetDIBits(dc, info.hbmMask, 0, static_cast<UINT>(h), mask.data(), &format, DIB_RGB_COLORS);
    if (read && std::none_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p >> 24; }))
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] |= (mask[i] & 0xFFFFFF) ? 0 : 0xFF000000;
    HICON icon = nullptr;
    if (read) {
        DrawShareBar(pixels.data(), w, h, percent, warnPercent);
        void* bits = nullptr;
        HBITMAP color = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (color) std::memcpy(bits, pixels.data(), pixels.size() * 4);
        const std::vector<uint16_t> opaque(
            static_cast<size_t>((w + 15) / 16 * h));  // rows of words
        ICONINFO made = {TRUE, 0, 0, CreateBitmap(w, h, 1, 1, opaque.data()), color};
        icon = color ? CreateIconIndirect(&made) : nullptr;
        DeleteObject(made.hbmMask);
        DeleteObject(color);
    }
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(sized);
    return icon;
}

}  // namespace

// The full record of today's shells: a tip of 127 characters and notifications.
bool TrayIcon::Modify(UINT flags, HICON icon, const std::wstring& tip, const std::wstring& info) {
    if (!shown_) return false;
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;  // all that is used, in a size every shell knows
    data.hWnd = window_;
    data.uID = 1;
    data.uFlags = flags;
    data.hIcon = icon;
    tip.copy(data.szTip, std::size(data.szTip) - 1);
    info.copy(data.szInfo, std::size(data.szInfo) - 1);
    Wide(kProgramTitle).copy(data.szInfoTitle, std::size(data.szInfoTitle) - 1);
    data.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::Show(int percent, int warnPercent, const std::string& lines) {
    if (percent != shownShare_) {
        HICON icon = percent < 0 ? icon_ : IconWithShare(icon_, percent, warnPercent);
        const bool shown = icon && Modify(NIF_ICON, icon, L"", L"");
        if (icon != icon_ && !shown) DestroyIcon(icon);
        if (!shown) return;
        if (shareIcon_) DestroyIcon(shareIcon_);
        shareIcon_ = icon == icon_ ? nullptr : icon, shownShare_ = percent;
    }
    const std::string tip = std::string(kProgramTitle) + (lines.empty() ? "" : "\n") + lines;
    if (tip != shownTip_ && Modify(NIF_TIP, nullptr, Wide(tip), L"")) shownTip_ = tip;
}

bool TrayIcon::Notify(const std::string& text) {
    return Modify(NIF_INFO, nullptr, L"", Wide(text));
}

bool TrayIcon::Add() {
    NOTIFYICONDATAA data = Record(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_;
    std::memset(data.szTip, ' ', 64);
    std::memcpy(data.szTip, kProgramTitle, std::strlen(kProgramTitle) + 1);
    // An icon that is already there (an add that timed out but went through) is changed in place.
    shown_ = Shell_NotifyIconA(NIM_ADD, &data) || Shell_NotifyIconA(NIM_MODIFY, &data);
    shownShare_ = -1;  // as added: the plain icon
    shownTip_ = kProgramTitle;
    return shown_;
}

void TrayIcon::Remove() {
    if (!shown_) return;
    NOTIFYICONDATAA data = Record(window_);
    Shell_NotifyIconA(NIM_DELETE, &data);
    shown_ = false;
}

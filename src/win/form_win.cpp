#include "win/form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "store/wide_text_win.h"
#include "win/program_icon_win.h"

namespace {

// Casts through the one function type the compiler accepts any other from.
template <class Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int SystemDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value;
    }();
    return dpi;
}

// Windows 10 (1607 on) gives each window the DPI of its monitor; before, one DPI serves all.
int DpiOf(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = User32Function<Fn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(hwnd) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Fn adjustForDpi = User32Function<Fn>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

// The layouts were sized for the 8-point dialog font. One font per DPI and look, kept for the
// program's life: windows come and go, the DPIs in use stay few.
HFONT DialogFont(int dpi, bool underlined) {
    struct Cached {
        int dpi;
        bool underlined;
        HFONT font;
    };
    static std::vector<Cached> fonts;
    for (const Cached& c : fonts)
        if (c.dpi == dpi && c.underlined == underlined) return c.font;
    HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, underlined, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    fonts.push_back({dpi, underlined, font});
    return font;
}

void RegisterFormClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXA wc = {};
    if (GetClassInfoExA(instance, kFormClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = ProgramIcon(false);
    wc.hIconSm = ProgramIcon(true);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);
}

struct ControlClass {
    const char* name;
    DWORD style;
};

ControlClass ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return {"STATIC", SS_LEFT};
        case Kind::AutoLabel:
        case Kind::Link:
            return {"STATIC", SS_LEFTNOWORDWRAP};
        case Kind::Button:
            return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
        // A caption too long for its box wraps, as the layouts expect.
        case Kind::CheckBox:
            return {"BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP};
        case Kind::Option:
            return {"BUTTON", BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP};
        case Kind::Edit:
            return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP};
        case Kind::Frame:
            return {"BUTTON", BS_GROUPBOX};
        case Kind::List:
            return {"SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | WS_TABSTOP};
        case Kind::Combo:
            return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    }
    return {"STATIC", 0};
}

SIZE TextExtent(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

}  // namespace

Form::Form(const FormLayout& layout, std::span<const Control> controls, HWND owner)
    : layout_(layout), controls_(controls), owner_(owner) {}

Form::~Form() {
    Unload();
}

DWORD Form::Style() const {
    // No WS_CLIPCHILDREN: a frame is transparent and relies on the form painting beneath it.
    switch (layout_.border) {
        case Border::FixedDialog:
        case Border::FixedSingle:
            return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        case Border::SizableNoControlBox:
            break;
        case Border::Sizable:
            return WS_OVERLAPPEDWINDOW;
    }
    return WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
}

DWORD Form::ExStyle() const {
    return WS_EX_CONTROLPARENT | (layout_.border == Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0);
}

void Form::Load() {
    if (hwnd_) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterFormClass(instance, WindowProc);
    // Sized once the window is there, with the DPI of the monitor it is on.
    CreateWindowExA(ExStyle(), kFormClass, layout_.caption, Style(), CW_USEDEFAULT, CW_USEDEFAULT,
                    0, 0, owner_, nullptr, instance, this);
    if (!hwnd_) return;
    dpi_ = DpiOf(hwnd_);
    CreateControls();
    LayOut(nullptr);
    OnLoad();
}

void Form::CreateControls() {
    for (const Control& c : controls_) {
        const ControlClass cls = ClassOf(c.kind);
        DWORD style = WS_CHILD | WS_VISIBLE | cls.style;
        // Options in a row of the table are one group for the arrow keys; the next control ends it.
        const bool afterOption = &c != controls_.data() && (&c - 1)->kind == Kind::Option;
        if ((c.kind == Kind::Option) != afterOption) style |= WS_GROUP;
        HWND control =
            CreateWindowExA(c.kind == Kind::Edit || c.kind == Kind::List ? WS_EX_CLIENTEDGE : 0,
                            cls.name, c.caption, style, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                            GetModuleHandleA(nullptr), nullptr);
        if (c.maxLength) SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
    }
}

void Form::LayOut(const RECT* suggested) {
    for (const Control& c : controls_) {
        int left = c.left, top = c.top;
        if (const Control* frame = c.frame ? Find(c.frame) : nullptr)
            left += frame->left, top += frame->top;
        HWND control = Item(c.id);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(DialogFont(dpi_, c.kind == Kind::Link)), TRUE);
        int width = TwipsToPixels(c.width);
        // Visual styles may set the caption further from the box than the layouts allow for; a
        // check box takes the width its caption needs (the layouts leave room to its right).
        if (c.kind == Kind::CheckBox)
            width = std::max(
                width, static_cast<int>(TextExtent(control, c.caption).cx) + MulDiv(22, dpi_, 96));
        MoveWindow(control, TwipsToPixels(left), TwipsToPixels(top), width, TwipsToPixels(c.height),
                   TRUE);
        if (c.kind == Kind::AutoLabel || c.kind == Kind::Link) FitAutoLabel(control, c, Text(c.id));
    }
    RECT rect = {0, 0, TwipsToPixels(layout_.clientWidth), TwipsToPixels(layout_.clientHeight)};
    AdjustForDpi(rect, Style(), ExStyle(), dpi_);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = 0, y = 0;
    if (suggested) {
        x = suggested->left, y = suggested->top;
    } else if (layout_.centred) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    } else {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(hwnd_, nullptr, x, y, width, height, flags);
}

const Control* Form::Find(int id) const {
    const auto it = std::find_if(controls_.begin(), controls_.end(),
                                 [id](const Control& c) { return c.id == id; });
    return it == controls_.end() ? nullptr : &*it;
}

void Form::Show() {
    Load();
    if (!hwnd_) return;
    const bool wasVisible = IsWindowVisible(hwnd_);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    if (!wasVisible && layout_.focus) SetFocus(Item(layout_.focus));
}

void Form::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Form::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::string Form::Text(int id) const {
    HWND control = Item(id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::SetText(int id, const std::string& text) {
    HWND control = Item(id);
    SetWindowTextA(control, text.c_str());
    const Control* c = Find(id);
    if (c && (c->kind == Kind::AutoLabel || c->kind == Kind::Link)) FitAutoLabel(control, *c, text);
}

void Form::SetUnicodeText(int id, const std::string& utf8) {
    SetWindowTextW(Item(id), Wide(utf8).c_str());
}

void Form::FitAutoLabel(HWND control, const Control& c, const std::string& text) {
    const SIZE size = TextExtent(control, text);
    SetWindowPos(control, nullptr, 0, 0, size.cx, TwipsToPixels(c.height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::Checked(int id) const {
    return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::SetChecked(int id, bool checked) {
    SendMessageA(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::Warn(const std::string& text) const {
    MessageBoxA(hwnd_, text.c_str(), layout_.caption, MB_OK | MB_ICONWARNING);
}

bool Form::HandleDialogKeys(MSG& msg) {
    HWND active = GetActiveWindow();
    char cls[32] = "";
    if (!active || !GetClassNameA(active, cls, sizeof cls) || lstrcmpA(cls, kFormClass) != 0)
        return false;
    return IsDialogMessageA(active, &msg) != 0;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return form ? form->HandleMessage(msg, wParam, lParam)
                : DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    if (LRESULT result = 0; OnMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_COMMAND:
            // IDOK and IDCANCEL come from Enter and Escape, which no button of these forms takes.
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) > IDCANCEL) OnClick(LOWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC: {
            const Control* c = Find(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            if (c && c->kind == Kind::Link) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        case WM_CLOSE:
            OnCloseButton();
            return 0;
        case WM_DPICHANGED:
            dpi_ = LOWORD(wParam);
            LayOut(reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

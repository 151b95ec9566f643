#include "ui/form_layout_win.h"

#include <algorithm>

namespace {

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value;
    }();
    return dpi;
}

// The layouts were sized for the 8-point dialog font.
HFONT DialogFont(bool underlined) {
    static HFONT fonts[2] = {};
    HFONT& font = fonts[underlined ? 1 : 0];
    if (!font)
        font = CreateFontA(-MulDiv(8, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, underlined,
                           FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    return font;
}

void RegisterFormClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXA wc = {};
    if (GetClassInfoExA(instance, kFormClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));             // IDC_ARROW
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

HWND Form::owner_ = nullptr;
std::vector<Form*> Form::loaded_;

Form::Form(const FormLayout& layout, std::span<const Control> controls)
    : layout_(layout), controls_(controls) {}

Form::~Form() {
    Unload();
}

int Form::TwipsToPixels(int twips) {
    return MulDiv(twips, ScreenDpi(), 1440);
}

void Form::Load() {
    if (hwnd_) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterFormClass(instance, WindowProc);
    // No WS_CLIPCHILDREN: a frame is transparent and relies on the form painting beneath it.
    DWORD style = WS_OVERLAPPED | WS_CAPTION;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    switch (layout_.border) {
        case Border::FixedDialog:
            style |= WS_SYSMENU, exStyle |= WS_EX_DLGMODALFRAME;
            break;
        case Border::FixedSingle:
            style |= WS_SYSMENU;
            break;
        case Border::SizableNoControlBox:
            style |= WS_THICKFRAME;
            break;
    }
    RECT rect = {0, 0, TwipsToPixels(layout_.clientWidth), TwipsToPixels(layout_.clientHeight)};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (layout_.centred) {
        RECT work;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    CreateWindowExA(exStyle, kFormClass, layout_.caption, style, x, y, width, height, owner_,
                    nullptr, instance, this);
    if (!hwnd_) return;
    loaded_.push_back(this);
    CreateControls();
    Form_Load();
}

void Form::CreateControls() {
    for (const Control& c : controls_) {
        int left = c.left, top = c.top;
        if (const Control* frame = c.frame ? Find(c.frame) : nullptr)
            left += frame->left, top += frame->top;
        const ControlClass cls = ClassOf(c.kind);
        DWORD style = WS_CHILD | WS_VISIBLE | cls.style;
        if (c.kind == Kind::Option && (&c == controls_.data() || (&c - 1)->kind != Kind::Option))
            style |= WS_GROUP;
        HWND control = CreateWindowExA(c.kind == Kind::Edit ? WS_EX_CLIENTEDGE : 0, cls.name,
                                       c.caption, style, TwipsToPixels(left), TwipsToPixels(top),
                                       TwipsToPixels(c.width), TwipsToPixels(c.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(DialogFont(c.kind == Kind::Link)), FALSE);
        if (c.maxLength) SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
        if (c.kind == Kind::AutoLabel || c.kind == Kind::Link) SetText(c.id, c.caption);
    }
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
    if (c && (c->kind == Kind::AutoLabel || c->kind == Kind::Link)) {
        const SIZE size = TextExtent(control, text);
        SetWindowPos(control, nullptr, 0, 0, size.cx, TwipsToPixels(c->height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
    for (Form* form : loaded_)
        if (form->hwnd_ == active) return IsDialogMessageA(active, &msg) != 0;
    return false;
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
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            std::erase(loaded_, this);
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

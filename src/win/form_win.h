#pragma once
#include <windows.h>

#include <span>
#include <string>

enum class Kind { Label, AutoLabel, Link, Button, CheckBox, Option, Edit, Frame, List, Combo };

// One control as the form's table gives it, in twips; listed in tab order. A Combo (a drop-down
// list) is as high as its list when open, as in dialog templates.
struct Control {
    int id;
    Kind kind;
    const char* caption;
    int left, top, width, height;
    int maxLength = 0;
    int frame = 0;  // a label placed inside this frame
};

enum class Border { FixedDialog, FixedSingle, SizableNoControlBox, Sizable };

struct FormLayout {
    const char* caption;
    int clientWidth, clientHeight;  // twips
    Border border;
    bool centred;
    int focus;  // the control that has the focus when the form opens
};

inline constexpr const char* kFormClass = "OnlineTimer.Form";

// A window of the program: one instance, created on first use, laid out from its table.
class Form {
  public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND Hwnd() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }
    bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    // Loads the form when needed (running OnLoad), shows it modeless and brings it forward.
    void Show();
    void Hide();
    void Unload();

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    // SetText passes its bytes on as they are; this one shows UTF-8 text, a path for instance.
    void SetUnicodeText(int id, const std::string& utf8);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

    // Tab and arrow keys for the active form.
    static bool HandleDialogKeys(MSG& msg);
    // At the DPI of the monitor the form is on.
    int TwipsToPixels(int twips) const { return MulDiv(twips, dpi_, 1440); }

  protected:
    // The owner (the program's hidden main window) keeps the form out of the taskbar.
    Form(const FormLayout& layout, std::span<const Control> controls, HWND owner);
    void Load();
    // Reports a problem with the user's input; the form stays open.
    void Warn(const std::string& text) const;

    virtual void OnLoad() {}
    virtual void OnClick(int /*id*/) {}
    virtual void OnCloseButton() { Unload(); }
    // Messages a form handles beyond the common ones; true when handled, with the result.
    virtual bool OnMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           LRESULT& /*result*/) {
        return false;
    }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    DWORD Style() const;
    DWORD ExStyle() const;
    void CreateControls();
    // Places and sizes the window and its controls, with fonts, for the form's DPI.
    void LayOut(const RECT* suggested);
    void FitAutoLabel(HWND control, const Control& c, const std::string& text);
    const Control* Find(int id) const;

    const FormLayout& layout_;
    std::span<const Control> controls_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    HWND owner_;
};

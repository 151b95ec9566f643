#include <gtest/gtest.h>

#include <future>

#include "app/program_win.h"
#include "ui/forms_win.h"
#include "win_test_support.h"

namespace {

class FormsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        modMain::appState = {};
        modMain::dataPaths = {std::string(temp) + "forms-test.ini",
                              std::string(temp) + "forms-test.dat"};
        DeleteFileA(modMain::dataPaths.Settings.c_str());
        DeleteFileA(modMain::dataPaths.Log.c_str());
    }
    void TearDown() override {
        for (Form* f : AllForms()) f->Unload();
    }
    static std::vector<Form*> AllForms() {
        return {&frmTime::Get(), &frmAlert::Get(), &frmConfig::Get(),
                &frmAdd::Get(),  &frmClear::Get(), &frmAbout::Get()};
    }
    static void Click(Form& form, int id) { SendMessageA(form.Item(id), BM_CLICK, 0, 0); }
    static void Type(Form& form, int id, const std::string& keys) {
        for (char c : keys) SendMessageA(form.Item(id), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    // Clicks a button that is expected to show a message box; returns the box's text.
    static std::string ClickExpectingMessage(Form& form, int id) {
        auto box = std::async(std::launch::async, TakeMessageBox, GetCurrentProcessId(), 10000);
        Click(form, id);
        return box.get();
    }
};

// Whether the control paints text colour into its last column, which a clipped caption does.
bool InkInLastColumn(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_ERASEBKGND);
    bool ink = false;
    for (int y = 0; y < r.bottom && !ink; ++y) {
        const COLORREF pixel = GetPixel(memory, r.right - 1, y);
        ink = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 128;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(control, dc);
    return ink;
}

}  // namespace

TEST_F(FormsTest, ConfigDaysFilterAndLimitBoxLooks) {
    modMain::appState.AlertEnabled = true;
    modMain::appState.AlertDays = "1";
    modMain::appState.AlertHours = "2";
    modMain::appState.AlertMinutes = "x";
    frmConfig& form = frmConfig::Get();
    form.Show();
    EXPECT_FALSE(form.Checked(Check1));
    EXPECT_TRUE(form.Checked(Check3));
    form.SetText(Text1, "");
    Type(form, Text1, "1a2-. \x16");
    EXPECT_EQ(form.Text(Text1), "12");
    Type(form, Text1, "\b3456789");
    EXPECT_EQ(form.Text(Text1), "13456");  // at most five characters
    form.SetText(Text5, "");
    Type(form, Text5, "-1.5h");
    EXPECT_EQ(form.Text(Text5), "-1.5h");  // the hours box takes anything

    Click(form, Check3);
    for (int id : {Text1, Text5, Text4}) EXPECT_FALSE(IsWindowEnabled(form.Item(id))) << id;
    EXPECT_EQ(form.Text(Text4), "x");
    Click(form, Check3);
    for (int id : {Text1, Text5, Text4}) EXPECT_TRUE(IsWindowEnabled(form.Item(id))) << id;
}

TEST_F(FormsTest, ConfigOkSaveWritesWhatTheUserSees) {
    frmConfig& form = frmConfig::Get();
    form.Show();
    Click(form, Check2);
    Click(form, Check3);
    form.SetText(Text1, "1");
    form.SetText(Text5, "");
    form.SetText(Text4, "30");
    Click(form, Command1);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(ReadFileBytes(modMain::dataPaths.Settings),
              "False\r\nTrue\r\nTrue\r\n1\r\n\r\n30\r\n");
    EXPECT_EQ(modMain::appState.AlertLimitSeconds, 88200);

    form.Show();  // refilled from the state
    EXPECT_TRUE(form.Checked(Check2));
    form.SetText(Text4, "45");
    form.Show();  // already open: not refilled
    EXPECT_EQ(form.Text(Text4), "45");
    Click(form, Command2);
    EXPECT_EQ(modMain::appState.AlertMinutes, "30");
}

TEST_F(FormsTest, ConfigRefusesATooLargeLimitAndStaysOpen) {
    frmConfig& form = frmConfig::Get();
    form.Show();
    Click(form, Check1);
    form.SetText(Text1, "24856");
    const std::string message = ClickExpectingMessage(form, Command3);
    EXPECT_NE(message.find("The largest limit is 2147483647 seconds, for example 24855 days"),
              std::string::npos)
        << message;
    EXPECT_TRUE(form.IsVisible());
    EXPECT_FALSE(modMain::appState.ClearOnFirstOfMonth);
    EXPECT_EQ(modMain::appState.AlertDays, "");
    EXPECT_FALSE(FileExists(modMain::dataPaths.Settings));
}

TEST_F(FormsTest, AdjustAddsAndSubtracts) {
    modMain::appState.TotalSeconds = 100;
    frmAdd& form = frmAdd::Get();
    form.Show();
    EXPECT_TRUE(form.Checked(Option1));
    Type(form, Text1, "1");
    Type(form, Text2, "2");
    Type(form, Text3, "3");
    Click(form, Command1);
    EXPECT_EQ(modMain::appState.TotalSeconds, 93880);
    EXPECT_FALSE(form.IsLoaded());

    form.Show();  // every opening starts empty, adding
    EXPECT_EQ(form.Text(Text1), "");
    Click(form, Option2);
    EXPECT_FALSE(form.Checked(Option1));
    Type(form, Text3, "0.5");
    Click(form, Command1);
    EXPECT_EQ(modMain::appState.TotalSeconds, 93850);
}

TEST_F(FormsTest, ClearSavesZeroAtOnceOrChangesNothing) {
    AppState& state = modMain::appState;
    state.TotalSeconds = 500;
    state.SessionSeconds = 20;
    state.LastScheduledClear = CalendarDate{2026, 12, 6};
    frmClear& form = frmClear::Get();
    form.Show();
    Click(form, Command2);
    EXPECT_EQ(state.TotalSeconds, 500);
    EXPECT_FALSE(FileExists(modMain::dataPaths.Log));

    modMain::dataPaths.Log = "c:\\no-such-folder\\tavo.dat";
    form.Show();
    const std::string message = ClickExpectingMessage(form, Command1);
    EXPECT_NE(message.find("c:\\no-such-folder\\tavo.dat\" could not be written"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("The log was not emptied."), std::string::npos) << message;
    EXPECT_EQ(state.TotalSeconds, 500);
    EXPECT_TRUE(form.IsVisible());

    SetUp();
    state.TotalSeconds = 500;
    state.LastScheduledClear = CalendarDate{2026, 12, 6};
    Click(form, Command1);
    EXPECT_EQ(ReadFileBytes(modMain::dataPaths.Log), " 0 \r\n2026-12-06\r\n");
    EXPECT_EQ(state.TotalSeconds, 0);
    EXPECT_FALSE(form.IsVisible());
    EXPECT_TRUE(form.IsLoaded());  // only hidden
}

TEST_F(FormsTest, AlertStatesTheLimitInForce) {
    modMain::appState.AlertDays = "1";
    modMain::appState.AlertHours = "2";
    modMain::appState.AlertMinutes = "30";
    frmAlert& alert = frmAlert::Get();
    alert.ShowAlert();
    EXPECT_EQ(alert.Text(Label2),
              "An Alert limit of 1 days, 2 hours, and 30 minutes has been reached.");
    EXPECT_EQ(GetFocus(), alert.Item(Command1));
    Click(alert, Command1);
    EXPECT_FALSE(alert.IsVisible());
    modMain::appState.AlertDays = "0";
    alert.ShowAlert();
    alert.ShowAlert();
    EXPECT_EQ(alert.Text(Label2),
              "An Alert limit of 0 days, 2 hours, and 30 minutes has been reached.");
    int windows = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kFormClass, "Alert"));) ++windows;
    EXPECT_EQ(windows, 1);
}

TEST_F(FormsTest, StatsWindowComesBackHiddenWithItsTexts) {
    frmTime& stats = frmTime::Get();
    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    EXPECT_TRUE(stats.IsLoaded());
    EXPECT_FALSE(stats.IsVisible());
    stats.Show();
    SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(stats.IsLoaded());
    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    EXPECT_FALSE(stats.IsVisible());
    EXPECT_EQ(stats.Text(Label1), "00:00:00:01");
    EXPECT_EQ(stats.Text(Label2), "100:00:00:00");

    // A tick that changes no text does not touch the window.
    static WNDPROC labelProc;
    static int textsSet;
    textsSet = 0;
    labelProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        stats.Item(Label2), GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            textsSet += m == WM_SETTEXT;
            return CallWindowProcA(labelProc, w, m, wp, lp);
        })));
    stats.ShowCounts("00:00:00:02", "100:00:00:00");
    stats.ShowCounts("00:00:00:00", "100:00:00:00");
    EXPECT_EQ(textsSet, 0);
    stats.ShowCounts("00:00:00:00", "100:00:00:01");
    EXPECT_EQ(textsSet, 1);
}

// Run at 96 DPI and again in a prefix set to 144 DPI.
TEST_F(FormsTest, LayoutsFitAtThisDpi) {
    frmAlert::Get().ShowAlert();
    for (Form* form : AllForms()) {
        form->Show();
        SetFocus(form->Hwnd());  // no focus rectangle
        RECT client;
        GetClientRect(form->Hwnd(), &client);
        // A frame holds its labels; nothing else may lie on another control, beyond the edge
        // that the layouts themselves give (a label's top row under a text box) or that a
        // wider substitute font takes (the About credit line, under Wine).
        const int edge = form->TwipsToPixels(30);
        std::vector<std::pair<RECT, std::string>> placed;
        for (HWND c = GetWindow(form->Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[16];
            GetClassNameA(c, cls, sizeof cls);
            const std::string text = form->Text(GetDlgCtrlID(c));
            RECT inForm;
            GetWindowRect(c, &inForm);
            MapWindowPoints(nullptr, form->Hwnd(), reinterpret_cast<POINT*>(&inForm), 2);
            EXPECT_LE(inForm.right, client.right) << text;
            EXPECT_LE(inForm.bottom, client.bottom) << text;
            if (std::string(cls) != "Button" ||
                (GetWindowLongA(c, GWL_STYLE) & 0xF) != BS_GROUPBOX) {
                for (const auto& [other, otherText] : placed) {
                    RECT both;
                    if (!IntersectRect(&both, &inForm, &other)) continue;
                    EXPECT_TRUE(both.right - both.left <= edge || both.bottom - both.top <= edge)
                        << text << " / " << otherText;
                }
                placed.emplace_back(inForm, text);
            }
            if (text.empty() || std::string(cls) == "Edit") continue;
            HDC dc = GetDC(c);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
            RECT r;
            GetClientRect(c, &r);
            const LONG style = GetWindowLongA(c, GWL_STYLE);
            const bool box = std::string(cls) == "Button" && (style & 0xF) != BS_PUSHBUTTON &&
                             (style & 0xF) != BS_GROUPBOX;
            const bool wraps = std::string(cls) == "Static" || (style & BS_MULTILINE);
            RECT need = {0, 0, r.right, 0};
            DrawTextA(dc, text.c_str(), -1, &need,
                      DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
            ReleaseDC(c, dc);
            EXPECT_LE(need.right, r.right) << text;
            // Where a box sets its caption depends on the visual style: look at what it paints.
            if (box) {
                EXPECT_FALSE(InkInLastColumn(c)) << text;
            }
            if (wraps) {
                EXPECT_LE(need.bottom, r.bottom) << text;
            }
        }
    }
}

// What Windows sends when a window moves to a monitor of another DPI.
TEST_F(FormsTest, FormsLayOutAgainForANewDpi) {
    frmConfig& form = frmConfig::Get();
    form.Show();
    auto size = [](HWND w) {
        RECT r;
        GetClientRect(w, &r);
        return SIZE{r.right, r.bottom};
    };
    auto fontHeight = [](HWND w) {
        LOGFONTA font;
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };
    const int dpi = form.TwipsToPixels(1440);
    const int newDpi = dpi * 2;
    RECT outer;
    GetWindowRect(form.Hwnd(), &outer);
    SendMessageA(form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                 reinterpret_cast<LPARAM>(&outer));
    EXPECT_EQ(form.TwipsToPixels(1440), newDpi);
    EXPECT_EQ(size(form.Hwnd()).cx, MulDiv(3435, newDpi, 1440));
    EXPECT_EQ(size(form.Item(Command1)).cx, MulDiv(1095, newDpi, 1440));
    EXPECT_EQ(fontHeight(form.Item(Check1)), -MulDiv(8, newDpi, 72));
    SendMessageA(form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&outer));
    EXPECT_EQ(size(form.Item(Command1)).cx, MulDiv(1095, dpi, 1440));
    EXPECT_EQ(fontHeight(form.Item(Check1)), -MulDiv(8, dpi, 72));
}

TEST_F(FormsTest, FormsCarryTheProgramIcon) {
    HICON windows = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    frmTime::Get().Show();
    HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(frmTime::Get().Hwnd(), GCLP_HICON));
    ASSERT_TRUE(icon);
    EXPECT_NE(icon, windows);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap;
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

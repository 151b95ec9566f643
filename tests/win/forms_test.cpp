// Each window of the program created for real in this process, driven by messages and read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <future>

#include "store/log_file.h"
#include "win/about_box_win.h"
#include "win/adjust_dialog_win.h"
#include "win/alert_window_win.h"
#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win/history_window_win.h"
#include "win/stats_window_win.h"
#include "win_test_support.h"

namespace {

class FormsTest : public ::testing::Test {
  protected:
    FormsTest() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        settingsPath = std::string(temp) + "forms-test.ini";
        logPath = std::string(temp) + "forms-test.dat";
        DeleteFileA(settingsPath.c_str());
        DeleteFileA(logPath.c_str());
    }
    std::vector<Form*> AllForms() { return {&stats, &alert, &config, &adjust, &clear, &about}; }
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

    AppState state;
    std::string settingsPath, logPath;
    StatsWindow stats{nullptr};
    AlertWindow alert{state.options, nullptr};
    ConfigDialog config{state, settingsPath, nullptr};
    AdjustDialog adjust{state, nullptr};
    ClearDialog clear{state, [this](const LogRecord& r) { SaveLogTotal(r, logPath); }, nullptr};
    AboutBox about{nullptr};
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

TEST_F(FormsTest, ConfigFiltersTheDaysSavesWhatTheUserSeesOrRefusesAndStaysOpen) {
    using D = ConfigDialog;
    state.options = {false, false, true, "1", "2", "x"};
    config.Show();
    EXPECT_TRUE(config.Checked(D::kAlertEnabled));
    config.SetText(D::kDaysBox, "");
    Type(config, D::kDaysBox, "1a2-. \x16\b3456789");
    EXPECT_EQ(config.Text(D::kDaysBox), "13456");  // digits and backspace, at most five
    Click(config, D::kAlertEnabled);
    for (int id : {D::kDaysBox, D::kHoursBox, D::kMinutesBox})
        EXPECT_FALSE(IsWindowEnabled(config.Item(id))) << id;
    Click(config, D::kAlertEnabled);
    EXPECT_TRUE(IsWindowEnabled(config.Item(D::kMinutesBox)));

    config.SetText(D::kDaysBox, "24856");
    const std::string message = ClickExpectingMessage(config, D::kOk);
    EXPECT_NE(message.find("The largest limit is 2147483647 seconds, for example 24855 days"),
              std::string::npos)
        << message;
    EXPECT_TRUE(config.IsVisible());
    EXPECT_EQ(state.options.alertDays, "1");

    Click(config, D::kClearEverySunday);
    config.SetText(D::kDaysBox, "1");
    config.SetText(D::kHoursBox, "");
    config.SetText(D::kMinutesBox, "30");
    Click(config, D::kOkAndSave);
    EXPECT_FALSE(config.IsLoaded());
    EXPECT_EQ(ReadFileBytes(settingsPath), "False\r\nTrue\r\nTrue\r\n1\r\n\r\n30\r\n");
    EXPECT_EQ(state.alertLimitSeconds, 88200);
    config.Show();  // refilled from the state; Cancel changes nothing
    EXPECT_TRUE(config.Checked(D::kClearEverySunday));
    config.SetText(D::kMinutesBox, "45");
    Click(config, D::kCancel);
    EXPECT_EQ(state.options.alertMinutes, "30");
}

TEST_F(FormsTest, AdjustAddsAndSubtracts) {
    using D = AdjustDialog;
    state.totalSeconds = 100;
    adjust.Show();
    Type(adjust, D::kDaysBox, "1");
    Type(adjust, D::kHoursBox, "2");
    Type(adjust, D::kMinutesBox, "3");
    Click(adjust, D::kOk);
    EXPECT_EQ(state.totalSeconds, 93880);
    EXPECT_FALSE(adjust.IsLoaded());
    adjust.Show();  // every opening starts empty, adding
    EXPECT_EQ(adjust.Text(D::kDaysBox), "");
    Click(adjust, D::kSubtract);
    Type(adjust, D::kMinutesBox, "0.5");
    Click(adjust, D::kOk);
    EXPECT_EQ(state.totalSeconds, 93850);
}

TEST_F(FormsTest, ClearSavesZeroFirstOrChangesNothing) {
    state.totalSeconds = 500;
    state.lastScheduledClear = CalendarDate{2026, 12, 6};
    const std::string goodPath = logPath;
    logPath = "c:\\no-such-folder\\tavo.dat";
    clear.Show();
    const std::string message = ClickExpectingMessage(clear, ClearDialog::kOk);
    EXPECT_NE(message.find("c:\\no-such-folder\\tavo.dat\" could not be written"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("The log was not emptied."), std::string::npos) << message;
    EXPECT_EQ(state.totalSeconds, 500);
    EXPECT_TRUE(clear.IsVisible());
    logPath = goodPath;
    Click(clear, ClearDialog::kOk);
    EXPECT_EQ(ReadFileBytes(logPath), " 0 \r\n2026-12-06\r\n");
    EXPECT_EQ(state.totalSeconds, 0);
    EXPECT_FALSE(clear.IsVisible());
}

TEST_F(FormsTest, AlertStatesTheLimitInForceInOneWindow) {
    state.options = {false, false, true, "1", "2", "30"};
    alert.ShowAlert();
    EXPECT_EQ(GetFocus(), alert.Item(AlertWindow::kOk));
    Click(alert, AlertWindow::kOk);
    EXPECT_FALSE(alert.IsVisible());
    state.options.alertDays = "0";
    alert.ShowAlert();
    alert.ShowAlert();
    EXPECT_EQ(alert.Text(AlertWindow::kMessage),
              "An Alert limit of 0 days, 2 hours, and 30 minutes has been reached.");
    int windows = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kFormClass, "Alert"));) ++windows;
    EXPECT_EQ(windows, 1);
}

TEST_F(FormsTest, StatsLabelsAreFilledAfterEveryOpeningAndWrittenOnlyWhenChanged) {
    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    EXPECT_FALSE(stats.IsVisible());
    SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    stats.Show();  // a new window before the next tick
    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    EXPECT_EQ(stats.Text(StatsWindow::kSessionLabel), "00:00:00:01");
    EXPECT_EQ(stats.Text(StatsWindow::kTotalLabel), "100:00:00:00");

    static int textsSet;
    textsSet = 0;
    SetWindowSubclass(
        stats.Item(StatsWindow::kTotalLabel),
        [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
            textsSet += m == WM_SETTEXT;
            return DefSubclassProc(w, m, wp, lp);
        },
        1, 0);
    stats.ShowCounts("00:00:00:00", "100:00:00:00");
    EXPECT_EQ(textsSet, 0);
    stats.ShowCounts("00:00:00:00", "100:00:00:01");
    EXPECT_EQ(textsSet, 1);
}

// Run at 96 DPI and again in a prefix set to 144 DPI.
TEST_F(FormsTest, LayoutsFitAtThisDpi) {
    alert.ShowAlert();
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
            const LONG style = GetWindowLongA(c, GWL_STYLE);
            const bool button = std::string(cls) == "Button",
                       frame = button && (style & 0xF) == BS_GROUPBOX;
            RECT inForm;
            GetWindowRect(c, &inForm);
            MapWindowPoints(nullptr, form->Hwnd(), reinterpret_cast<POINT*>(&inForm), 2);
            EXPECT_LE(inForm.right, client.right) << text;
            EXPECT_LE(inForm.bottom, client.bottom) << text;
            for (const auto& [other, otherText] : placed) {
                RECT both;
                if (!frame && IntersectRect(&both, &inForm, &other)) {
                    EXPECT_TRUE(both.right - both.left <= edge || both.bottom - both.top <= edge)
                        << text << " / " << otherText;
                }
            }
            if (!frame) placed.emplace_back(inForm, text);
            if (text.empty() || std::string(cls) == "Edit") continue;
            HDC dc = GetDC(c);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
            RECT r;
            GetClientRect(c, &r);
            const bool box = button && (style & 0xF) != BS_PUSHBUTTON && !frame;
            const bool wraps = std::string(cls) == "Static" || (style & BS_MULTILINE);
            RECT need = {0, 0, r.right, 0};
            DrawTextA(dc, text.c_str(), -1, &need,
                      DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
            ReleaseDC(c, dc);
            EXPECT_LE(need.right, r.right) << text;
            if (wraps) {
                EXPECT_LE(need.bottom, r.bottom) << text;
            }
            // Where a box sets its caption depends on the visual style: look at what it paints.
            if (box) {
                EXPECT_FALSE(InkInLastColumn(c)) << text;
            }
        }
    }
}

// What Windows sends when a window moves to a monitor of another DPI.
TEST_F(FormsTest, FormsLayOutAgainForANewDpiWithTheProgramIcon) {
    config.Show();
    auto width = [](HWND w) {
        RECT r;
        GetClientRect(w, &r);
        return r.right;
    };
    auto fontHeight = [](HWND w) {
        LOGFONTA font;
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };
    const int dpi = config.TwipsToPixels(1440);
    RECT outer;
    GetWindowRect(config.Hwnd(), &outer);
    for (const int newDpi : {dpi * 2, dpi}) {
        SendMessageA(config.Hwnd(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                     reinterpret_cast<LPARAM>(&outer));
        EXPECT_EQ(width(config.Hwnd()), MulDiv(3435, newDpi, 1440));
        EXPECT_EQ(width(config.Item(ConfigDialog::kOk)), MulDiv(1095, newDpi, 1440));
        EXPECT_EQ(fontHeight(config.Item(ConfigDialog::kAlertEnabled)), -MulDiv(8, newDpi, 72));
    }

    HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(config.Hwnd(), GCLP_HICON));
    ASSERT_TRUE(icon);
    EXPECT_NE(icon, LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));  // not Windows' own
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap;
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(FormsTest, HistoryShowsDaysMonthsAndTodaysBarWithTheSessionInProgress) {
    const HistoryPaths paths{settingsPath + ".csv", settingsPath + ".session"};
    WriteFileBytes(paths.history,
                   "start,end,seconds\r\n2026-11-30T23:00:00+01:00,2026-12-01T01:00:00+01:00,"
                   "7200\r\nnot a session\r\n");
    HistoryWindow history(paths, nullptr);
    history.Open();
    const LocalTime now{{2026, 12, 7}, 12, 0, 0, 60};
    history.Refresh(SessionRecord{{{2026, 12, 7}, 11, 0, 0, 60}, {}, 3000}, now);
    auto cell = [&](int list, int row, int column) {
        char text[64] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(history.Item(list), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return std::string(text);
    };
    EXPECT_EQ(cell(HistoryWindow::kDays, 0, 0) + " " + cell(HistoryWindow::kDays, 0, 1) + " " +
                  cell(HistoryWindow::kDays, 0, 2),
              "2026-12-07 0:50:00 1");
    EXPECT_EQ(cell(HistoryWindow::kDays, 2, 0) + " " + cell(HistoryWindow::kDays, 2, 1),
              "2026-11-30 1:00:00");
    EXPECT_EQ(cell(HistoryWindow::kMonths, 0, 0) + " " + cell(HistoryWindow::kMonths, 0, 1) + " " +
                  cell(HistoryWindow::kMonths, 0, 2),
              "2026-12 1:50:00 2");
    EXPECT_NE(history.Text(HistoryWindow::kStatus).find("1 line of it could not be read"),
              std::string::npos);

    // Today's bar, at the right, and no bar on a day without online time.
    UpdateWindow(history.Hwnd());
    HDC dc = GetDC(history.Hwnd());
    auto barColoured = [&](int day) {
        const RECT bar = history.BarArea(day);
        return GetPixel(dc, (bar.left + bar.right) / 2, bar.bottom - 2) == RGB(0, 120, 215);
    };
    EXPECT_TRUE(barColoured(HistoryWindow::kChartDays - 1));
    EXPECT_FALSE(barColoured(HistoryWindow::kChartDays - 2));
    ReleaseDC(history.Hwnd(), dc);

    MSG escape = {history.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    IsDialogMessageA(history.Hwnd(), &escape);
    EXPECT_FALSE(history.IsLoaded());
}

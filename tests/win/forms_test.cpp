// The program's windows created for real in this process, driven by messages and read back.
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

void Click(Form& form, int id) {
    SendMessageA(form.Item(id), BM_CLICK, 0, 0);
}

// Clicks a button that is expected to show a message box; returns the box's text.
std::string ClickForMessage(Form& form, int id) {
    auto box = std::async(std::launch::async, TakeMessageBox, GetCurrentProcessId(), 10000);
    Click(form, id);
    return box.get();
}

class FormsTest : public ::testing::Test {
  protected:
    AppState state;
    const std::string path = std::string(std::getenv("TEMP")) + "\\forms-test.";
    const std::string settingsPath = path + "ini";
    std::string logPath = path + "dat";
    HistoryPaths history{path + "csv", path + "session"};
    StatsWindow stats{nullptr};
    AlertWindow alert{state.options, nullptr};
    ConfigDialog config{state, settingsPath, nullptr};
    AdjustDialog adjust{state, nullptr};
    ClearDialog clear{state, [this](const LogRecord& r) { SaveLogTotal(r, logPath); }, nullptr};
    AboutBox about{nullptr};
    HistoryWindow historyWindow{history, nullptr};
};

}  // namespace

TEST_F(FormsTest, ConfigFiltersTheDaysRefusesTooMuchAndSavesWhatTheUserSees) {
    using D = ConfigDialog;
    state.options = {false, false, true, "", "2", "x"};
    config.Show();
    for (char c : std::string("1a2-. \x16\b3456789"))
        SendMessageA(config.Item(D::kDaysBox), WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ(config.Text(D::kDaysBox), "13456");  // digits and backspace, at most five
    Click(config, D::kAlertEnabled);
    EXPECT_FALSE(IsWindowEnabled(config.Item(D::kMinutesBox)));
    Click(config, D::kAlertEnabled);
    config.SetText(D::kDaysBox, "24856");
    EXPECT_NE(ClickForMessage(config, D::kOk).find("for example 24855 days"), std::string::npos);
    Click(config, D::kClearEverySunday);
    config.SetText(D::kDaysBox, "1");
    Click(config, D::kOkAndSave);
    EXPECT_EQ(ReadFileBytes(settingsPath), "False\r\nTrue\r\nTrue\r\n1\r\n2\r\nx\r\n");
    EXPECT_TRUE(state.alertLimitSeconds == 93600 && !config.IsLoaded());
}

TEST_F(FormsTest, ClearSavesZeroFirstOrChangesNothingAndStatsRefillsANewWindow) {
    state.totalSeconds = 500;
    state.lastScheduledClear = CalendarDate{2026, 12, 6};
    logPath = "c:\\no-such-folder\\tavo.dat";
    clear.Show();
    const std::string message = ClickForMessage(clear, ClearDialog::kOk);
    EXPECT_NE(message.find("tavo.dat\" could not be written"), std::string::npos) << message;
    EXPECT_NE(message.find("The log was not emptied."), std::string::npos) << message;
    EXPECT_EQ(state.totalSeconds, 500);
    logPath = path + "dat";
    Click(clear, ClearDialog::kOk);
    EXPECT_EQ(ReadFileBytes(logPath), " 0 \r\n2026-12-06\r\n");
    EXPECT_TRUE(state.totalSeconds == 0 && !clear.IsVisible());

    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    stats.Show();  // a new window before the next tick
    stats.ShowCounts("00:00:00:01", "100:00:00:00");
    EXPECT_EQ(stats.Text(StatsWindow::kSessionLabel) + stats.Text(StatsWindow::kTotalLabel),
              "00:00:00:01100:00:00:00");
}

// Run at 96 DPI and again in a prefix at 144 DPI: no caption clipped, no control on another.
TEST_F(FormsTest, LayoutsFitAtThisDpiAndFollowAChange) {
    alert.ShowAlert();
    for (Form* form : {(Form*)&stats, (Form*)&alert, (Form*)&config, (Form*)&adjust, (Form*)&clear,
                       (Form*)&about}) {
        form->Show();
        SetFocus(form->Hwnd());  // no focus rectangle
        std::vector<RECT> placed;
        for (HWND c = GetWindow(form->Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[16];
            GetClassNameA(c, cls, sizeof cls);
            const std::string text = WindowText(c), kind = cls;
            const LONG style = GetWindowLongA(c, GWL_STYLE), type = style & 0xF;
            RECT r, need, both, client;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, form->Hwnd(), reinterpret_cast<POINT*>(&r), 2);
            GetClientRect(form->Hwnd(), &client);
            EXPECT_TRUE(r.right <= client.right && r.bottom <= client.bottom) << text;
            if (kind == "Button" && type == BS_GROUPBOX) continue;  // a frame holds labels
            for (const RECT& other : placed)  // beyond the edge the layouts give
                EXPECT_FALSE(IntersectRect(&both, &r, &other) &&
                             std::min(both.right - both.left, both.bottom - both.top) >
                                 form->TwipsToPixels(30))
                    << text;
            placed.push_back(r);
            if (text.empty() || kind == "Edit") continue;
            HDC dc = GetDC(c);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
            GetClientRect(c, &r);
            need = {0, 0, r.right, 0};
            DrawTextA(
                dc, text.c_str(), -1, &need,
                DT_CALCRECT | (kind == "Static" || (style & BS_MULTILINE) ? DT_WORDBREAK : 0));
            EXPECT_TRUE(need.right <= r.right && need.bottom <= r.bottom) << text;
            // Where a box puts its caption depends on the visual style: look at what it paints.
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, CreateCompatibleBitmap(dc, r.right, r.bottom));
            SendMessageA(c, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                         PRF_CLIENT | PRF_ERASEBKGND);
            for (int y = 0; kind == "Button" && type != BS_PUSHBUTTON && y < r.bottom; ++y)
                EXPECT_GT(GetPixel(memory, r.right - 1, y) & 0xFF, 128u) << text << " clipped";
            DeleteObject(SelectObject(memory, old));
            DeleteDC(memory);
            ReleaseDC(c, dc);
        }
    }
    // What Windows sends when a window moves to a monitor of another DPI, and back.
    const int dpi = config.TwipsToPixels(1440);
    RECT outer, ok;
    GetWindowRect(config.Hwnd(), &outer);
    for (const int newDpi : {dpi * 2, dpi}) {
        SendMessageA(config.Hwnd(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                     reinterpret_cast<LPARAM>(&outer));
        GetClientRect(config.Item(ConfigDialog::kOk), &ok);
        LOGFONTA font;
        GetObjectA(
            reinterpret_cast<HFONT>(SendMessageA(config.Item(ConfigDialog::kOk), WM_GETFONT, 0, 0)),
            sizeof font, &font);
        EXPECT_TRUE(ok.right == MulDiv(1095, newDpi, 1440) &&
                    font.lfHeight == -MulDiv(8, newDpi, 72));
    }
    ICONINFO icon;
    ASSERT_TRUE(
        GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(config.Hwnd(), GCLP_HICON)), &icon));
    BITMAP bitmap;
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_TRUE(bitmap.bmWidth == GetSystemMetrics(SM_CXICON) && bitmap.bmBitsPixel == 32);  // ours
}

TEST_F(FormsTest, HistoryShowsDaysMonthsAndTodaysBarWithTheSessionInProgress) {
    WriteFileBytes(history.history,
                   "start,end,seconds\r\n2026-11-30T23:00:00+01:00,"
                   "2026-12-01T01:00:00+01:00,7200\r\nnot a session\r\n");
    historyWindow.Open();
    historyWindow.Refresh(SessionRecord{{{2026, 12, 7}, 11, 0, 0, 60}, {}, 3000},
                          {{2026, 12, 7}, 12, 0, 0, 60});
    std::string rows;
    for (const auto& [list, row] : {std::pair{HistoryWindow::kDays, 0},
                                    {HistoryWindow::kDays, 2},
                                    {HistoryWindow::kMonths, 0}}) {
        for (int column = 0; column < 3; ++column) {
            char text[64] = "";
            LVITEMA item = {};
            item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof text;
            SendMessageA(historyWindow.Item(list), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
            rows += std::string(text) + (column < 2 ? " " : "; ");
        }
    }
    EXPECT_EQ(rows, "2026-12-07 0:50:00 1; 2026-11-30 1:00:00 1; 2026-12 1:50:00 2; ");
    EXPECT_NE(historyWindow.Text(HistoryWindow::kStatus).find("1 line of it could not be read"),
              std::string::npos);
    UpdateWindow(historyWindow.Hwnd());
    HDC dc = GetDC(historyWindow.Hwnd());
    for (int day : {HistoryWindow::kChartDays - 1, HistoryWindow::kChartDays - 2}) {  // today, none
        const RECT bar = historyWindow.BarArea(day);
        EXPECT_EQ(GetPixel(dc, (bar.left + bar.right) / 2, bar.bottom - 2) == RGB(0, 120, 215),
                  day == 30);
    }
    ReleaseDC(historyWindow.Hwnd(), dc);
    MSG escape = {historyWindow.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    IsDialogMessageA(historyWindow.Hwnd(), &escape);
    EXPECT_FALSE(historyWindow.IsLoaded());
}

// The program's windows created for real in this process, driven by messages and read back.
#include <gtest/gtest.h>

#include "win_test_support.h"

#include <commctrl.h>

#include <future>

using C = ConfigDialog;
using H = HistoryWindow;

class FormsTest : public ::testing::Test {
  protected:
    // The text of the message box the click shows within ms, if any; the box is closed.
    static std::string Click(Form& form, int id, int ms = 0) {
        auto box = std::async(std::launch::async, TakeMessageBox, GetCurrentProcessId(), ms);
        return SendMessageA(form.Item(id), BM_CLICK, 0, 0), box.get();
    }
    AppState state;
    const std::string ini = std::string(std::getenv("TEMP")) + "\\forms-test.ini";
    std::string log = "c:\\no-such-folder\\tavo.dat";  // a folder that is not there
    HistoryPaths paths{ini + ".csv", ini + ".session"};
    StatsWindow stats{nullptr};
    AlertWindow alert{state.options, nullptr};
    ConfigDialog config{state, ini, nullptr};
    AdjustDialog adjust{state, nullptr};
    ClearDialog clear{state, [this](const LogRecord& r) { SaveLogTotal(r, log); }, nullptr};
    AboutBox about{nullptr};
    HistoryWindow history{paths, nullptr};
};

TEST_F(FormsTest, DialogsAndWindowsDoWhatTheUserAsks) {
    state.options = {false, false, true, "", "2", "x"}, config.Show();
    for (char c : std::string("1a2-. \x16\b3456789"))  // digits and backspace, at most five
        SendMessageA(config.Item(C::kDaysBox), WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ(config.Text(C::kDaysBox), "13456");
    config.SetText(C::kDaysBox, "24856");  // refused, and the dialog stays open
    EXPECT_TRUE(Contains(Click(config, C::kOk, 5000), "for example 24855 days"));
    config.SetText(C::kDaysBox, "1"), Click(config, C::kClearEverySunday);
    Click(config, C::kOkAndSave);
    EXPECT_EQ(ReadFileBytes(ini) + std::to_string(state.alertLimitSeconds),
              "False\r\nTrue\r\nTrue\r\n1\r\n2\r\nx\r\n93600");
    state.totalSeconds = 500, state.lastScheduledClear = CalendarDate{2026, 12, 6}, clear.Show();
    const std::string failed = Click(clear, ClearDialog::kOk, 5000);
    EXPECT_TRUE(Contains(failed, "tavo.dat\" could not be written") && state.totalSeconds == 500 &&
                Contains(failed, "The log was not emptied."))
        << failed;
    log = ini + ".dat", Click(clear, ClearDialog::kOk);
    EXPECT_TRUE(ReadFileBytes(log) == " 0 \r\n2026-12-06\r\n" && state.totalSeconds == 0 &&
                !clear.IsVisible() && !config.IsLoaded());
    stats.ShowCounts("00:00:00:01", "100:00:00:00"), SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    stats.Show(), stats.ShowCounts("00:00:00:01", "100:00:00:00");  // anew before the next tick
    EXPECT_EQ(stats.Text(StatsWindow::kSessionLabel) + stats.Text(StatsWindow::kTotalLabel),
              "00:00:00:01100:00:00:00");
    WriteFileBytes(paths.history,
                   "start,end,seconds\r\n2026-11-30T23:00:00+01:00,2026-12-01T01:"
                   "00:00+01:00,7200\r\nnot a session\r\n");
    history.Open(), history.Refresh(SessionRecord{{{2026, 12, 7}, 11, 0, 0, 60}, {}, 3000},
                                    {{2026, 12, 7}, 12, 0, 0, 60});
    std::string rows;
    char text[64];
    for (const auto& [list, row] : {std::pair{H::kDays, 0}, {H::kDays, 2}, {H::kMonths, 0}})
        for (int column = 0; column < 3; ++column) {
            ListView_GetItemText(history.Item(list), row, column, text, sizeof text);
            rows += text + std::string(column < 2 ? " " : "; ");
        }
    EXPECT_EQ(rows, "2026-12-07 0:50:00 1; 2026-11-30 1:00:00 1; 2026-12 1:50:00 2; ");
    EXPECT_TRUE(Contains(history.Text(H::kStatus), "1 line of it could not be read"));
    UpdateWindow(history.Hwnd());
    HDC dc = GetDC(history.Hwnd());
    const RECT today = history.BarArea(30), none = history.BarArea(29);
    EXPECT_EQ(GetPixel(dc, (today.left + today.right) / 2, today.bottom - 2), RGB(0, 120, 215));
    EXPECT_NE(GetPixel(dc, (none.left + none.right) / 2, none.bottom - 2), RGB(0, 120, 215));
    ReleaseDC(history.Hwnd(), dc);
    MSG escape = {history.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageA(history.Hwnd(), &escape) && !history.IsLoaded());
}

// Run at 96 DPI and again in a prefix at 144 DPI: no caption clipped, no control on another.
TEST_F(FormsTest, LayoutsFitAtThisDpiAndFollowAChange) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateBitmap(2000, 1000, 1, 32, nullptr));
    alert.ShowAlert();
    for (Form* form : {(Form*)&stats, (Form*)&alert, (Form*)&config, (Form*)&adjust, (Form*)&clear,
                       (Form*)&about}) {
        form->Show(), SetFocus(form->Hwnd());  // no focus rectangle
        const int edge = form->TwipsToPixels(30);
        RECT client, r, x;
        GetClientRect(form->Hwnd(), &client);
        std::vector<RECT> placed;
        for (HWND c = GetWindow(form->Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[16];
            const std::string text = WindowText(c), kind(cls, GetClassNameA(c, cls, sizeof cls));
            const LONG style = GetWindowLongA(c, GWL_STYLE), type = style & 0xF;
            GetWindowRect(c, &r), MapWindowPoints(nullptr, form->Hwnd(), (POINT*)&r, 2);
            EXPECT_TRUE(r.right <= client.right && r.bottom <= client.bottom) << text;
            if (kind == "Button" && type == BS_GROUPBOX) continue;  // a frame holds labels
            // Less what the layouts may overlap: these meet only where the controls overlap more.
            const RECT rest = {r.left, r.top, r.right - edge, r.bottom - edge};
            for (const RECT& other : placed) EXPECT_FALSE(IntersectRect(&x, &rest, &other)) << text;
            placed.push_back(rest);
            if (text.empty() || kind == "Edit") continue;
            SelectObject(dc, (HFONT)SendMessageA(c, WM_GETFONT, 0, 0));
            GetClientRect(c, &r), x = {0, 0, r.right, 0};
            const bool wraps = kind == "Static" || (style & BS_MULTILINE);
            DrawTextA(dc, text.c_str(), -1, &x, DT_CALCRECT | (wraps ? DT_WORDBREAK : 0));
            EXPECT_TRUE(x.right <= r.right && x.bottom <= r.bottom) << text;
            // Where a box puts its caption depends on the visual style: look at what it paints.
            SendMessageA(c, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT | PRF_ERASEBKGND);
            for (int y = 0; kind == "Button" && type != BS_PUSHBUTTON && y < r.bottom; ++y)
                EXPECT_GT(GetPixel(dc, r.right - 1, y) & 0xFF, 128u) << text << " clipped";
        }
    }
    DeleteObject(SelectObject(dc, old)), DeleteDC(dc);
    // What Windows sends when a window moves to a monitor of another DPI, and back.
    const int dpi = config.TwipsToPixels(1440);
    RECT outer, ok;
    LOGFONTA font;
    GetWindowRect(config.Hwnd(), &outer);
    for (const int to : {dpi * 2, dpi}) {
        SendMessageA(config.Hwnd(), WM_DPICHANGED, MAKEWPARAM(to, to), (LPARAM)&outer);
        GetObjectA((HFONT)SendMessageA(config.Item(C::kOk), WM_GETFONT, 0, 0), sizeof font, &font);
        GetClientRect(config.Item(C::kOk), &ok);
        EXPECT_TRUE(ok.right == MulDiv(1095, to, 1440) && font.lfHeight == -MulDiv(8, to, 72));
    }
    ICONINFO icon = {};
    BITMAP bitmap = {};
    GetIconInfo((HICON)GetClassLongPtrA(config.Hwnd(), GCLP_HICON), &icon);
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_TRUE(bitmap.bmWidth == GetSystemMetrics(SM_CXICON) && bitmap.bmBitsPixel == 32);  // ours
}

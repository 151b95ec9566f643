// The windows, made in this process and driven by messages.
#include <gtest/gtest.h>

#include "win/allowance_dialog_win.h"
#include "win_test_support.h"

#include <commctrl.h>

#include <future>

class FormsTest : public ::testing::Test {
  protected:
    static std::string Click(Form& form, int id, int ms = 0) {  // the message box it shows, closed
        auto box = std::async(std::launch::async, TakeMessageBox, GetCurrentProcessId(), ms);
        return SendMessageA(form.Item(id), BM_CLICK, 0, 0), box.get();
    }
    AppState state;
    const std::string ini = std::string(std::getenv("TEMP")) + "\\forms-test.ini";
    std::string log = "c:\\no-such-folder\\tavo.dat";  // a folder that is not there
    UsageTable table;
    StatsWindow stats{nullptr};
    AlertWindow alert{state.options, nullptr};
    ConfigDialog config{state, ini, nullptr};
    AdjustDialog adjust{state, nullptr};
    ClearDialog clear{state, [this](const LogRecord& r) { SaveLogTotal(r, log); }, nullptr};
    AboutBox about{nullptr};
    HistoryWindow history{table, nullptr};
    MoreOptions more;
    int saves = 0;
    AllowanceDialog allowance{more, [this] { ++saves; }, nullptr};
};

TEST_F(FormsTest, DialogsAndWindowsDoWhatTheUserAsks) {
    state.options = {false, false, true, "", "2", "x"}, config.Show();
    for (unsigned char c : std::string("1a2-. \x16\b3456789"))  // digits and backspace, at most 5
        SendMessageA(config.Item(ConfigDialog::kDaysBox), WM_CHAR, c, 1);
    EXPECT_EQ(config.Text(ConfigDialog::kDaysBox), "13456");
    config.SetText(ConfigDialog::kDaysBox, "24856");  // refused, and the dialog stays open
    EXPECT_PRED2(Contains, Click(config, ConfigDialog::kOk, 5000), "for example 24855 days");
    config.SetText(ConfigDialog::kDaysBox, "1"), Click(config, ConfigDialog::kClearEverySunday);
    Click(config, ConfigDialog::kOkAndSave);
    EXPECT_EQ(ReadFileBytes(ini) + std::to_string(state.alertLimitSeconds),
              "False\r\nTrue\r\nTrue\r\n1\r\n2\r\nx\r\n93600");
    state.totalSeconds = 500, state.lastScheduledClear = CalendarDate{2026, 12, 6}, clear.Show();
    const std::string failed = Click(clear, ClearDialog::kOk, 5000);
    EXPECT_PRED2(Contains, failed, "tavo.dat\" could not be written");
    EXPECT_PRED2(Contains, failed, "The log was not emptied.");
    EXPECT_EQ(state.totalSeconds, 500);
    log = ini + ".dat", Click(clear, ClearDialog::kOk);
    EXPECT_EQ(
        std::tuple(ReadFileBytes(log), state.totalSeconds, clear.IsVisible(), config.IsLoaded()),
        std::tuple(" 0 \r\n2026-12-06\r\n", 0, false, false));
    stats.ShowCounts("00:00:00:01", "100:00:00:00"), SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    stats.Show(), stats.ShowCounts("00:00:00:01", "100:00:00:00");  // anew before the next tick
    EXPECT_EQ(stats.Text(StatsWindow::kSessionLabel) + stats.Text(StatsWindow::kTotalLabel),
              "00:00:00:01100:00:00:00");
    // Over midnight, a time zone changed, a clock set back: the month's row.
    for (const char* line : {"2026-12-06T23:00:00+01:00,2026-12-07T01:00:00+01:00,7200",
                             "2026-11-07T14:00:00+01:00,2026-11-07T08:30:00-05:00,1800",
                             "2026-11-08T10:00:00+01:00,2026-11-08T08:30:00+01:00,1800"})
        table.Add(ParseSessionLine(line).value());
    history.NoteFile("Kept here."), history.Show(),
        history.Refresh({}, {{2026, 12, 7}, 12, 0, 0, 60});
    char row[64], data[64];
    ListView_GetItemText(history.Item(HistoryWindow::kMonths), 0, 1, row, sizeof row);
    ListView_GetItemText(history.Item(HistoryWindow::kMonths), 0, 3, data, sizeof data);
    const LONG hoursLeft = history.BarArea(0).left;
    Click(history, HistoryWindow::kDataChart);  // its scale's labels take more room: "1 KB"
    EXPECT_EQ(row + ("|" + history.Text(HistoryWindow::kStatus)) + "|" + data +
                  (history.BarArea(0).left > hoursLeft ? " wider" : " as wide"),
              "2:00:00|Connections this month: dial-up 2:00:00\nKept here.|unknown wider");
    // The row the user chose stays chosen while a session in progress changes the values.
    HWND days = history.Item(HistoryWindow::kDays);
    ListView_SetItemState(days, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (int s : {1, 2, 3})
        history.Refresh(SessionRecord{{{2026, 12, 7}, 11, 0, 0, 60}, {}, s, "Caf\xc3\xa9"},
                        {{2026, 12, 7}, 12, 0, s, 60});
    ListView_GetItemText(days, 0, 1, row, sizeof row);
    const std::string status = WindowText(history.Item(HistoryWindow::kStatus));
    EXPECT_EQ(std::tuple(std::string(row), ListView_GetItemCount(days),
                         ListView_GetNextItem(days, -1, LVNI_SELECTED), status.substr(0, 55)),
              std::tuple("1:00:03", 4, 1,
                         "Connections this month: dial-up 2:00:00, Caf\xc3\xa9 0:00:03\n"));
    MSG escape = {history.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    const BOOL handled = IsDialogMessageA(history.Hwnd(), &escape);
    EXPECT_EQ(std::pair(handled, history.IsLoaded()), std::pair(TRUE, false));
}

TEST_F(FormsTest, AllowanceDialogTakesOnlyWhatItCanKeep) {
    using A = AllowanceDialog;
    more.allowance = {AllowancePeriod::kWeek, 37 * 3600 + 30 * 60, 4, 1, 80};
    more.counted = {CountedKind::kInternet}, allowance.Show();
    const std::string note = allowance.Text(A::kHangUpNote);
    HWND weekdays = allowance.Item(A::kWeekStartList), day = allowance.Item(A::kMonthStartBox);
    const BOOL dayWasOn = IsWindowEnabled(day);
    Click(allowance, A::kPerMonth), allowance.SetText(A::kMonthStartBox, "32");
    const std::string refused = Click(allowance, A::kOk, 5000);
    EXPECT_EQ(std::tuple(refused, dayWasOn, IsWindowEnabled(day), IsWindowEnabled(weekdays), saves),
              std::tuple("Allowance\nThe day a month starts on must be from 1 to 31.", 0, 1, 0, 0));
    allowance.SetText(A::kMonthStartBox, "31"), allowance.SetText(A::kWarnBox, "90");
    allowance.SetText(A::kDataBox, "5x");
    const std::string data = Click(allowance, A::kOk, 5000);
    allowance.SetText(A::kDataBox, "5"), Click(allowance, A::kHangUp);
    SendMessageA(allowance.Item(A::kDataUnitList), CB_SETCURSEL, 0, 0);  // MB
    Click(allowance, A::kOk);  // the weekday, hours and minutes as they were shown
    const Allowance a = more.allowance;
    EXPECT_EQ(std::tuple(int(a.period), a.seconds, a.weekStart, a.monthStart, a.warnPercent,
                         a.bytes, a.hangUp, saves, allowance.IsLoaded(), data, note.substr(0, 46)),
              std::tuple(3, 135000, 4, 31, 90, 5 << 20, true, 1, false,
                         "Allowance\nThe data must be a whole number from 0 to 99999, such as 10.",
                         "What is counted now is not a dial-up or VPN co"));
    allowance.Show(), SetFocus(allowance.Item(A::kPerMonth));  // arrows go round the options
    MSG key = {GetFocus(), WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    const bool wentRound = IsDialogMessageA(allowance.Hwnd(), &key) && allowance.Checked(A::kOff);
    key.wParam = VK_ESCAPE, IsDialogMessageA(allowance.Hwnd(), &key);  // Esc changes nothing
    EXPECT_EQ(std::tuple(wentRound, allowance.IsLoaded(), saves, more.allowance == a),
              std::tuple(true, false, 1, true));
}

// No caption clipped, no control on another, sizes from twips and fonts from points, at both DPIs.
TEST_F(FormsTest, LayoutsFitAtThisDpiAndAfterAMoveToAnother) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateBitmap(2000, 1000, 1, 32, nullptr));
    alert.ShowAlert();
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    for (const int to : {dpi, dpi * 3 / 2})
        for (Form* form : {(Form*)&stats, (Form*)&alert, (Form*)&config, (Form*)&adjust,
                           (Form*)&clear, (Form*)&about, (Form*)&allowance}) {
            RECT client, r, x;
            form->Show(), SetFocus(form->Hwnd()), GetWindowRect(form->Hwnd(), &r);  // no focus box
            SendMessageA(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(to, to), (LPARAM)&r);
            const int edge = (GetClientRect(form->Hwnd(), &client), form->TwipsToPixels(30));
            std::vector<RECT> placed;
            for (HWND c = GetWindow(form->Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char cls[16];
                const std::string text = WindowText(c), kind(cls, GetClassNameA(c, cls, 16));
                const LONG style = GetWindowLongA(c, GWL_STYLE), type = style & 0xF;
                GetWindowRect(c, &r), MapWindowPoints(nullptr, form->Hwnd(), (POINT*)&r, 2);
                EXPECT_LE(std::max(r.right - client.right, r.bottom - client.bottom), 0) << text;
                if (kind == "Button" && type == BS_GROUPBOX) continue;  // a frame holds labels
                // Less what the layouts may overlap: these meet only where controls overlap more.
                const RECT rest = {r.left, r.top, r.right - edge, r.bottom - edge};
                for (const RECT& o : placed) EXPECT_FALSE(IntersectRect(&x, &rest, &o)) << text;
                placed.push_back(rest);
                LOGFONTA font;
                const HFONT f = (HFONT)SendMessageA(c, WM_GETFONT, 0, 0);
                GetObjectA(f, sizeof font, &font), SelectObject(dc, f);
                EXPECT_EQ(font.lfHeight, -MulDiv(8, to, 72)) << text;
                if (text.empty() || kind == "Edit") continue;
                GetClientRect(c, &r), x = {0, 0, r.right, 0};
                const bool wraps = kind == "Static" || (style & BS_MULTILINE);
                DrawTextA(dc, text.c_str(), -1, &x, DT_CALCRECT | (wraps ? DT_WORDBREAK : 0));
                EXPECT_LE(std::max(x.right - r.right, x.bottom - r.bottom), 0) << text;
                // Where a box puts its caption depends on the visual style: look at what it paints.
                SendMessageA(c, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT | PRF_ERASEBKGND);
                for (int y = 0; kind == "Button" && type != BS_PUSHBUTTON && y < r.bottom; ++y)
                    EXPECT_GT(GetPixel(dc, r.right - 1, y) & 0xFF, 128u) << text << " clipped";
            }
            r.right = MulDiv(1095, to, 1440);  // the OK button, sized by the DPI
            if (form == &config) GetClientRect(config.Item(ConfigDialog::kOk), &r);
            EXPECT_EQ(r.right, MulDiv(1095, to, 1440));
        }
    DeleteObject(SelectObject(dc, old)), DeleteDC(dc);
}

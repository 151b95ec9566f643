// FormsTest: the windows, made in this process and driven by messages. ProgramTest: the real
// program and its files under faults, as root and as a standard user (CMakeLists.txt).
#include <gtest/gtest.h>

#include "win_test_support.h"

#include <commctrl.h>
#include <shellapi.h>

#include <future>

using C = ConfigDialog;

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
                Contains(failed, "The log was not emptied."));
    log = ini + ".dat", Click(clear, ClearDialog::kOk);
    EXPECT_TRUE(ReadFileBytes(log) == " 0 \r\n2026-12-06\r\n" && state.totalSeconds == 0 &&
                !clear.IsVisible() && !config.IsLoaded());
    stats.ShowCounts("00:00:00:01", "100:00:00:00"), SendMessageA(stats.Hwnd(), WM_CLOSE, 0, 0);
    stats.Show(), stats.ShowCounts("00:00:00:01", "100:00:00:00");  // anew before the next tick
    EXPECT_EQ(stats.Text(StatsWindow::kSessionLabel) + stats.Text(StatsWindow::kTotalLabel),
              "00:00:00:01100:00:00:00");
    // A session over midnight and a line that cannot be read: a month's row, and the line counted.
    WriteFileBytes(paths.history,
                   "2026-12-06T23:00:00+01:00,2026-12-07T01:00:00+01:00,7200\r\n?\r\n");
    history.Open(), history.Refresh({}, {{2026, 12, 7}, 12, 0, 0, 60});
    char row[64];
    ListView_GetItemText(history.Item(HistoryWindow::kMonths), 0, 1, row, sizeof row);
    EXPECT_TRUE(row == std::string("2:00:00") &&
                Contains(history.Text(HistoryWindow::kStatus), "1 line of it could not be read"));
    MSG escape = {history.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageA(history.Hwnd(), &escape) && !history.IsLoaded());
}

// At this DPI, and laid out again after a move to a monitor at 150% (what Windows sends then): no
// caption clipped, no control on another, sizes and fonts from twips and points.
TEST_F(FormsTest, LayoutsFitAtThisDpiAndAfterAMoveToAnother) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateBitmap(2000, 1000, 1, 32, nullptr));
    alert.ShowAlert();
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    for (const int to : {dpi, dpi * 3 / 2})
        for (Form* form : {(Form*)&stats, (Form*)&alert, (Form*)&config, (Form*)&adjust,
                           (Form*)&clear, (Form*)&about}) {
            RECT client, r, x;
            form->Show(), SetFocus(form->Hwnd()), GetWindowRect(form->Hwnd(), &r);  // no focus box
            SendMessageA(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(to, to), (LPARAM)&r);
            const int edge = form->TwipsToPixels(30);
            GetClientRect(form->Hwnd(), &client);
            std::vector<RECT> placed;
            for (HWND c = GetWindow(form->Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char cls[16];
                const std::string text = WindowText(c), kind(cls, GetClassNameA(c, cls, 16));
                const LONG style = GetWindowLongA(c, GWL_STYLE), type = style & 0xF;
                GetWindowRect(c, &r), MapWindowPoints(nullptr, form->Hwnd(), (POINT*)&r, 2);
                EXPECT_TRUE(r.right <= client.right && r.bottom <= client.bottom) << text;
                if (kind == "Button" && type == BS_GROUPBOX) continue;  // a frame holds labels
                // Less what the layouts may overlap: these meet only where controls overlap more.
                const RECT rest = {r.left, r.top, r.right - edge, r.bottom - edge};
                for (const RECT& o : placed) EXPECT_FALSE(IntersectRect(&x, &rest, &o)) << text;
                placed.push_back(rest);
                LOGFONTA font;
                GetObjectA((HFONT)SendMessageA(c, WM_GETFONT, 0, 0), sizeof font, &font);
                EXPECT_EQ(font.lfHeight, -MulDiv(8, to, 72)) << text;
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
            GetClientRect(config.Item(C::kOk), &r);
            EXPECT_TRUE(form != &config || r.right == MulDiv(1095, to, 1440)) << r.right;
        }
    DeleteObject(SelectObject(dc, old)), DeleteDC(dc);
}

const std::string kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
const std::string kSaved = "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n";

std::string InUse(const std::string& fixed) {  // or its per-user copy if c:\windows is read-only
    HANDLE probe = CreateFileA((fixed + ".probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return probe != INVALID_HANDLE_VALUE && CloseHandle(probe) ? fixed : PerUserCopy(fixed);
}

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() {  // as before the first start on a new account, offline
        for (const std::string& path : {settings, log, history.history, history.session})
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(path.c_str());
        SetRemoteConnection(0);
    }
    std::string Files() const { return ReadFileBytes(settings) + ReadFileBytes(log); }
    int SavedTotal() const { return ParseLog(ReadFileBytes(log), "").total; }
    std::vector<SessionRecord> Sessions() const { return LoadHistory(history.history).sessions; }
    void ExpectRefusedStart(const std::string& expected) const {  // and leave the files alone
        const std::string before = Files();
        TimerProcess program;
        EXPECT_TRUE(Contains(program.Message(), expected) && program.WaitForExit() &&
                    Files() == before)
            << expected;
    }
    const std::string settings = InUse(kSettingsPath), log = InUse(kLogPath);
    const HistoryPaths history = ResolveHistoryPaths();
};

TEST_F(ProgramTest, StartExitRestartTrayMenusAndSessionEnd) {
    TimerProcess first;
    EXPECT_TRUE(first.Stats() && Files() == kDefaults + " 0 \r\n");
    WriteFileBytes(log, "0");  // then held for a moment at Exit, as a scanner would: Exit waits
    HANDLE held = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    std::string message = first.Exit(250);
    CloseHandle(held), message += first.Message(1500);
    EXPECT_TRUE(message.empty() && first.WaitForExit() && Files() == kSaved + " 0 \r\n") << message;
    WriteFileBytes(settings, kDefaults), WriteFileBytes(log, "3600");
    TimerProcess program;
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 3600; }));
    ExpectRefusedStart("already running");
    std::string seen;  // double clicks show and hide the Stats window; right clicks open one menu
    for (const LPARAM click : {515, 515, 517, 517}) {
        PostMessageA(program.Tray(), WM_MOUSEMOVE, 1, click), Sleep(500);
        seen += IsWindowVisible(program.Stats()) ? "shown " : "hidden ";
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));)
            seen += IsWindowVisible(w) ? "menu " : "";
    }
    EXPECT_EQ(seen, "shown hidden hidden menu hidden menu ");
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.hWnd = program.Tray(), icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));  // the shell forgot it
    SendMessageA(program.Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon) && !Shell_NotifyIconA(NIM_DELETE, &icon));
    program.Menu(202), program.Click("Velmora Timer Configuration", ConfigDialog::kOkAndSave);
    EXPECT_EQ(Files(), kSaved + "3600");
    program.Menu(204), program.Click("Are you sure...", ClearDialog::kOk);
    EXPECT_EQ(Files(), kSaved + " 0 \r\n");
    WriteFileBytes(settings, kDefaults), WriteFileBytes(log, "");
    EXPECT_EQ(SendMessageA(program.Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(program.Main(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Files(), kSaved + " 0 \r\n");
}

// After a hard kill, then asleep, at a session's end and at an overflow, what is kept and shown.
TEST_F(ProgramTest, HardKillLosesAtMostAMinuteSleepSessionsAndOverflowAreSaved) {
    SetRemoteConnection(1);
    TimerProcess killed;
    ASSERT_TRUE(killed.Stats());
    Sleep(63000);
    const int counted = killed.TotalShown(), kept = (killed.Kill(), SavedTotal());
    EXPECT_TRUE(counted >= 62 && kept >= counted - 60 && kept < counted) << counted;
    TimerProcess program;
    ASSERT_TRUE(program.Stats() && Sessions().size() == 1);
    EXPECT_TRUE(Sessions()[0].seconds >= counted - 60 && Sessions()[0].seconds <= counted);
    Sleep(5000), SendMessageA(program.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_TRUE(SavedTotal() >= kept + 4 && abs(SavedTotal() - program.TotalShown()) <= 1);
    SetRemoteConnection(0);
    ASSERT_TRUE(WaitFor([&] { return Sessions().size() == 2; }));
    program.Menu(207);
    EXPECT_TRUE(program.Window(kFormClass, "History") && program.Close());
    const int64_t seconds = Sessions()[1].seconds;
    EXPECT_TRUE(seconds >= 4 && seconds <= 6 && SavedTotal() == kept + seconds) << seconds;
    WriteFileBytes(log, " 2147483640 \r\n"), SetRemoteConnection(1);
    TimerProcess overflowing;
    EXPECT_TRUE(Contains(overflowing.Message(20000), "largest total") &&
                overflowing.WaitForExit() && Files() == kSaved + " 2147483647 \r\n");
}

// The files seeded into c:\windows before this test (CMakeLists.txt) stay as they were.
TEST_F(ProgramTest, OldFilesInTheWindowsFolderSeedThePerUserCopies) {
    if (log == kLogPath) GTEST_SKIP() << "c:\\windows can be written: no per-user copies";
    TimerProcess program;
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 4242; }) && program.Close());
    EXPECT_EQ(Files() + ReadFileBytes(kLogPath),
              "True\r\nFalse\r\nFalse\r\n1\r\n2\r\n3\r\n 4242 \r\n 4242 \r\n");
}

TEST_F(ProgramTest, BadOrUnusableFilesStopTheStartNamingTheFile) {
    const std::string odd("0\r\n0\r\n0\r\n\0\0\r\n\xe9t\xe9\r\n\xff\r\n", 20), big(10 << 20, '7');
    WriteFileBytes(settings, odd + big);  // loads, and Exit writes it back as it stood
    TimerProcess program;
    EXPECT_TRUE(program.Stats() && program.Close() &&
                ReadFileBytes(settings) == FormatSettings(ParseSettings(odd, "")));
    WriteFileBytes(log, big);
    ExpectRefusedStart(
        "The time log file \"" + log +
        "\" holds \"7777777777777777777777777777777777777777...\", which is outside");
    WriteFileBytes(settings, kDefaults), DeleteFileA(log.c_str()), CreateDirectoryA(log.c_str(), 0);
    ExpectRefusedStart("a folder stands where the file should be");
    RemoveDirectoryA(log.c_str()), WriteFileBytes(log, " 77 \r\n");
    HANDLE held = CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ExpectRefusedStart("The time log file \"" + log + "\" could not be opened");
    CloseHandle(held);
    TimerProcess readOnly;  // at Exit: reported, and the file keeps what it held
    ASSERT_TRUE(readOnly.Stats());
    WriteFileBytes(log, " 5 \r\n"), SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Contains(readOnly.Exit(), "the file is read-only") &&
                ReadFileBytes(log) == " 5 \r\n" &&
                GetFileAttributesA((log + ".new").c_str()) == INVALID_FILE_ATTRIBUTES);
}

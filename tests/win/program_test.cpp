// The real program, started, driven through its windows and stopped. Every test runs as root,
// where c:\windows can be written; those named in tests/win/CMakeLists.txt run again as a
// standard user whose c:\windows is read-only, where the files are the per-user copies.
#include <gtest/gtest.h>

#include "store/log_file.h"
#include "store/settings_file.h"
#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win/stats_window_win.h"
#include "win_test_support.h"

namespace {

constexpr const char* kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
constexpr const char* kSavedDefaults = "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n";

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveProgramFiles();
        SetRemoteConnection(std::nullopt);
    }
    void TearDown() override { SetRemoteConnection(std::nullopt); }
    // Starts the program on files that it must refuse with this message, leaving them alone.
    void ExpectRefusedStart(const std::string& expected) {
        const std::string settings = ReadFileBytes(files.settings), log = ReadFileBytes(files.log);
        TimerProcess program;
        const std::string message = TakeMessageBox(program.Id());
        EXPECT_NE(message.find(expected), std::string::npos) << message;
        EXPECT_TRUE(program.WaitForExit());
        EXPECT_TRUE(ReadFileBytes(files.settings) == settings) << "settings file changed";
        EXPECT_TRUE(ReadFileBytes(files.log) == log) << "time log file changed";
    }
    static void Click(HWND window, int id) { SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }
    const ProgramFiles files = FilesInUse();
};

}  // namespace

TEST_F(ProgramTest, FirstStartExitAndRestart) {
    {
        TimerProcess program;
        ASSERT_TRUE(program.Stats());
        EXPECT_EQ(ReadFileBytes(files.settings), kDefaults);
        EXPECT_EQ(ReadFileBytes(files.log), " 0 \r\n");
        ASSERT_TRUE(program.Close());
        EXPECT_EQ(ReadFileBytes(files.settings), kSavedDefaults);
    }
    WriteFileBytes(files.log, " 3600 \r\n");
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 3600; }, 3000));
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(files.log), " 3600 \r\n");
}

TEST_F(ProgramTest, ConfigurationSavesAndClearLogEmptiesTheFile) {
    WriteFileBytes(files.log, " 500 \r\n");
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    program.Menu(202);
    HWND config = program.Window(kFormClass, "Velmora Timer Configuration");
    ASSERT_TRUE(config);
    Click(config, ConfigDialog::kClearEverySunday);
    Click(config, ConfigDialog::kAlertEnabled);
    SendMessageA(GetDlgItem(config, ConfigDialog::kHoursBox), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("2"));
    Click(config, ConfigDialog::kOkAndSave);
    EXPECT_EQ(ReadFileBytes(files.settings), "False\r\nTrue\r\nTrue\r\n0\r\n2\r\n0\r\n");

    program.Menu(204);
    HWND clear = program.Window(kFormClass, "Are you sure...");
    ASSERT_TRUE(clear);
    Click(clear, ClearDialog::kOk);
    EXPECT_EQ(ReadFileBytes(files.log), " 0 \r\n");
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 0; }, 3000));
    ASSERT_TRUE(program.Close());
}

// The total and the session in the history, recovered at the next start.
TEST_F(ProgramTest, HardKillLosesAtMostAMinute) {
    SetRemoteConnection(1);
    int counted;
    {
        TimerProcess program;
        ASSERT_TRUE(program.Stats());
        Sleep(63000);
        counted = program.TotalShown();
        program.Kill();
    }
    EXPECT_GE(counted, 62);
    EXPECT_GE(ParseLog(ReadFileBytes(files.log), "").total, counted - 60);
    EXPECT_LT(ParseLog(ReadFileBytes(files.log), "").total, counted);  // the kill lost a part
    SetRemoteConnection(0);
    TimerProcess restarted;
    ASSERT_TRUE(restarted.Stats());
    const HistoryRead history = LoadHistory(files.history.history);
    ASSERT_EQ(history.sessions.size(), 1u);
    EXPECT_GE(history.sessions[0].seconds, counted - 60);
    EXPECT_LE(history.sessions[0].seconds, counted);
    EXPECT_TRUE(restarted.Close());
}

TEST_F(ProgramTest, ASessionGoesIntoTheHistoryAndItsWindow) {
    SetRemoteConnection(1);
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    Sleep(5000);
    SetRemoteConnection(0);
    EXPECT_TRUE(WaitFor([&] { return FileExists(files.history.history); }, 3000));
    const HistoryRead history = LoadHistory(files.history.history);
    ASSERT_EQ(history.sessions.size(), 1u);
    const auto seconds = static_cast<int>(history.sessions[0].seconds);
    EXPECT_NEAR(seconds, 5, 1);
    program.Menu(207);
    EXPECT_TRUE(program.Window(kFormClass, "History"));
    EXPECT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(files.log), " " + std::to_string(seconds) + " \r\n");  // as counted
}

// A standard user's first start copies the files Windows kept in c:\windows; those stay as
// they were. The seed files are put there before this test runs (tests/win/CMakeLists.txt).
TEST_F(ProgramTest, OldFilesInTheWindowsFolderSeedThePerUserCopies) {
    if (!files.perUser) GTEST_SKIP() << "c:\\windows can be written: no per-user copies";
    const std::string seed = ReadFileBytes(kLogPath);
    ASSERT_EQ(seed, " 4242 \r\n");
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 4242; }, 3000));
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(files.log), " 4242 \r\n");
    EXPECT_EQ(ReadFileBytes(files.settings), "True\r\nFalse\r\nFalse\r\n1\r\n2\r\n3\r\n");
    EXPECT_EQ(ReadFileBytes(kLogPath), seed);
}

TEST_F(ProgramTest, SessionEndSavesBothFiles) {
    WriteFileBytes(files.settings, "1\r\n0\r\n0\r\n5\r\n\r\nx\r\n");
    WriteFileBytes(files.log, "3600");
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    EXPECT_EQ(SendMessageA(program.Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(program.Main(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadFileBytes(files.settings), "True\r\nFalse\r\nFalse\r\n5\r\n\r\nx\r\n");
    EXPECT_EQ(ReadFileBytes(files.log), " 3600 \r\n");
}

TEST_F(ProgramTest, SecondCopyEndsWithoutTouchingTheFiles) {
    WriteFileBytes(files.settings, kDefaults);  // either copy would write words if it saved
    WriteFileBytes(files.log, "42");
    TimerProcess first;
    ASSERT_TRUE(first.Stats());
    TimerProcess second;
    const std::string message = TakeMessageBox(second.Id());
    EXPECT_NE(message.find("already running"), std::string::npos) << message;
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_EQ(ReadFileBytes(files.settings), kDefaults);
    EXPECT_EQ(ReadFileBytes(files.log), "42");
    EXPECT_TRUE(first.Close());
}

TEST_F(ProgramTest, CountsWhileConnectedThenReportsAnOverflowAndSaves) {
    WriteFileBytes(files.log, " 100 \r\n");
    SetRemoteConnection(1);
    TimerProcess program;
    const DWORD start = GetTickCount();
    HWND stats = program.Stats();
    ASSERT_TRUE(stats);
    Sleep(6000 - (GetTickCount() - start));
    EXPECT_NEAR(Seconds(WindowText(GetDlgItem(stats, StatsWindow::kSessionLabel))), 6, 1);
    EXPECT_NEAR(program.TotalShown(), 106, 1);
    SetRemoteConnection(0);
    Sleep(2000);
    EXPECT_EQ(WindowText(GetDlgItem(stats, StatsWindow::kSessionLabel)), "00:00:00:00");
    const int total = program.TotalShown();
    Sleep(2000);
    EXPECT_EQ(program.TotalShown(), total);
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(files.log), " " + std::to_string(total) + " \r\n");

    WriteFileBytes(files.log, " 2147483640 \r\n");
    SetRemoteConnection(1);
    TimerProcess overflowing;
    const std::string message = TakeMessageBox(overflowing.Id(), 20000);
    EXPECT_NE(message.find("largest total the timer can hold, 24855:03:14:07"), std::string::npos)
        << message;
    EXPECT_TRUE(overflowing.WaitForExit());
    EXPECT_EQ(ReadFileBytes(files.log), " 2147483647 \r\n");
    EXPECT_EQ(ReadFileBytes(files.settings), kSavedDefaults);
}

TEST_F(ProgramTest, TrayDoubleClickAndMenu) {
    TimerProcess program;
    HWND stats = program.Stats();
    ASSERT_TRUE(stats);
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats); }));
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(stats); }));
    // Closed with its close button, then opened from the menu before the next tick: both
    // labels are filled.
    program.Menu(201);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats); }));
    SendMessageA(stats, WM_CLOSE, 0, 0);
    program.Menu(201);
    stats = program.Stats();
    EXPECT_TRUE(WaitFor(
        [&] {
            return WindowText(GetDlgItem(stats, StatsWindow::kSessionLabel)) == "00:00:00:00" &&
                   WindowText(GetDlgItem(stats, StatsWindow::kTotalLabel)) == "00:00:00:00";
        },
        3000));

    // A right click opens one menu; a second one while it is open does not open another.
    auto menus = [] {
        int n = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));)
            n += IsWindowVisible(w) ? 1 : 0;
        return n;
    };
    program.Tray(517);
    EXPECT_TRUE(WaitFor([&] { return menus() == 1; }));
    program.Tray(517);
    Sleep(500);
    EXPECT_EQ(menus(), 1);
    PostMessageA(program.Main(), WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return menus() == 0; }));
    ASSERT_TRUE(program.Close());
}

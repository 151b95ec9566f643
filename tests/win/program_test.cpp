#include <gtest/gtest.h>

#include <optional>

#include "store/log_file.h"
#include "store/settings_file.h"
#include "ui/forms_win.h"
#include "win_test_support.h"

namespace {

constexpr const char* kDefaultSettings = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteFileA(kSettingsPath);
        DeleteFileA(kLogPath);
        SetRemoteConnection(std::nullopt);
    }
    void TearDown() override { SetRemoteConnection(std::nullopt); }
    static std::string StatsLabel(const Program& p, int id) {
        return WindowText(GetDlgItem(p.Window(kFormClass, "Stats"), id));
    }
};

}  // namespace

TEST_F(ProgramTest, FirstStartCreatesBothFilesAndCloseRewritesThem) {
    Program program;
    ASSERT_TRUE(program.Main());
    EXPECT_TRUE(WaitFor([] { return FileExists(kLogPath); }));
    EXPECT_EQ(ReadFileBytes(kSettingsPath), kDefaultSettings);
    EXPECT_EQ(ReadFileBytes(kLogPath), " 0 \r\n");
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(kSettingsPath), "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(ReadFileBytes(kLogPath), " 0 \r\n");
}

TEST_F(ProgramTest, SessionEndSavesBothFiles) {
    WriteFileBytes(kSettingsPath, "1\r\n0\r\n0\r\n5\r\n\r\nx\r\n");
    WriteFileBytes(kLogPath, "3600");
    Program program;
    HWND main = program.Main();
    ASSERT_TRUE(main);
    ASSERT_TRUE(program.Window(kFormClass, "Stats"));  // the first tick: start-up is over
    EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(main, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadFileBytes(kSettingsPath), "True\r\nFalse\r\nFalse\r\n5\r\n\r\nx\r\n");
    EXPECT_EQ(ReadFileBytes(kLogPath), " 3600 \r\n");
}

TEST_F(ProgramTest, SecondCopyEndsWithoutTouchingTheFiles) {
    // Contents that either copy would change if it saved: the settings become words.
    WriteFileBytes(kSettingsPath, kDefaultSettings);
    WriteFileBytes(kLogPath, "42");
    Program first;
    ASSERT_TRUE(first.Window(kFormClass, "Stats"));
    Program second;
    const std::string message = TakeMessageBox(second.Id());
    EXPECT_NE(message.find("already running"), std::string::npos) << message;
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_EQ(ReadFileBytes(kSettingsPath), kDefaultSettings);
    EXPECT_EQ(ReadFileBytes(kLogPath), "42");
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(ReadFileBytes(kLogPath), " 42 \r\n");
}

TEST_F(ProgramTest, CountsWhileTheRegistrySaysConnected) {
    WriteFileBytes(kLogPath, " 100 \r\n");
    SetRemoteConnection(1);
    Program program;
    ASSERT_TRUE(program.Main());
    const DWORD start = GetTickCount();
    ASSERT_TRUE(program.Window(kFormClass, "Stats"));
    Sleep(10000 - (GetTickCount() - start));
    EXPECT_NEAR(Seconds(StatsLabel(program, Label1)), 10, 1);
    EXPECT_NEAR(Seconds(StatsLabel(program, Label2)), 110, 1);

    SetRemoteConnection(0);
    Sleep(2000);
    EXPECT_EQ(StatsLabel(program, Label1), "00:00:00:00");
    const int total = Seconds(StatsLabel(program, Label2));
    EXPECT_NEAR(total, 111, 2);
    Sleep(2000);
    EXPECT_EQ(Seconds(StatsLabel(program, Label2)), total);
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ReadFileBytes(kLogPath), " " + std::to_string(total) + " \r\n");
}

TEST_F(ProgramTest, OverflowIsReportedThenBothFilesAreSaved) {
    WriteFileBytes(kLogPath, " 2147483640 \r\n");
    SetRemoteConnection(1);
    Program program;
    const std::string message = TakeMessageBox(program.Id(), 20000);
    EXPECT_NE(message.find("largest total the timer can hold, 24855:03:14:07"), std::string::npos)
        << message;
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(ReadFileBytes(kLogPath), " 2147483647 \r\n");
    EXPECT_EQ(ReadFileBytes(kSettingsPath), "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n");
}

TEST_F(ProgramTest, HardKillLosesAtMostAMinute) {
    SetRemoteConnection(1);
    Program program;
    ASSERT_TRUE(program.Main());
    Sleep(63000);
    const int counted = Seconds(StatsLabel(program, Label2));
    program.Kill();
    const int saved = ParseLog(ReadFileBytes(kLogPath), kLogPath).Total;
    EXPECT_GE(counted, 62);
    EXPECT_GE(saved, counted - 60);
}

TEST_F(ProgramTest, TrayDoubleClickAndMenu) {
    Program program;
    ASSERT_TRUE(program.Main());
    HWND stats = program.Window(kFormClass, "Stats");
    ASSERT_TRUE(stats);
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats); }));
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(stats); }));
    for (unsigned code : {512u, 513u, 514u, 516u}) program.Tray(code);
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(stats));

    // Shown from the menu's "&Stats": the next double click hides it.
    PostMessageA(program.Main(), WM_COMMAND, 201, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats); }));
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(stats); }));

    // Closed with its close button: the next double click shows it again.
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats); }));
    PostMessageA(stats, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(stats); }));
    program.Tray(515);
    EXPECT_TRUE(WaitFor([&] {
        HWND again = program.Window(kFormClass, "Stats", 100);
        return again && IsWindowVisible(again);
    }));

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
    program.Tray(515);
    Sleep(500);
    EXPECT_EQ(menus(), 1);
    PostMessageA(program.Main(), WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return menus() == 0; }));
    ASSERT_TRUE(program.Close());
}

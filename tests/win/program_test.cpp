// The real program, started, driven and stopped, its files under faults. Every test runs as
// root, where c:\windows can be written; those named in tests/win/CMakeLists.txt run again as a
// standard user whose c:\windows is read-only, where the files are the per-user copies.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <thread>

#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win_test_support.h"

namespace {

const std::string kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
const std::string kSaved = "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n";

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() { RemoveProgramFiles(), SetRemoteConnection(std::nullopt); }
    ~ProgramTest() override { SetRemoteConnection(std::nullopt); }
    std::string Files() const { return ReadFileBytes(files.settings) + ReadFileBytes(files.log); }
    // Starts the program on files it must refuse with this message, and leave as they are.
    void ExpectRefusedStart(const std::string& expected) {
        const std::string before = Files();
        TimerProcess program;
        EXPECT_NE(TakeMessageBox(program.Id()).find(expected), std::string::npos) << expected;
        EXPECT_TRUE(program.WaitForExit() && Files() == before);
    }
    int SavedTotal() const { return ParseLog(ReadFileBytes(files.log), "").total; }
    const ProgramFiles files = FilesInUse();
};

void Click(HWND window, int id) {
    SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

}  // namespace

TEST_F(ProgramTest, FirstStartExitAndRestart) {
    {
        TimerProcess program;
        ASSERT_TRUE(program.Stats());
        EXPECT_EQ(Files(), kDefaults + " 0 \r\n");
        EXPECT_TRUE(program.Close() && Files() == kSaved + " 0 \r\n");
    }
    WriteFileBytes(files.log, " 3600 \r\n");
    TimerProcess program;
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 3600; }));
    EXPECT_TRUE(program.Close() && Files() == kSaved + " 3600 \r\n");
}

TEST_F(ProgramTest, ConfigurationSavesAndClearLogEmptiesTheFile) {
    WriteFileBytes(files.log, " 500 \r\n");
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    program.Menu(202);
    Click(program.Window(kFormClass, "Velmora Timer Configuration"), ConfigDialog::kOkAndSave);
    program.Menu(204);
    Click(program.Window(kFormClass, "Are you sure..."), ClearDialog::kOk);
    EXPECT_EQ(Files(), kSaved + " 0 \r\n");
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 0; }));
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
    }
    EXPECT_TRUE(counted >= 62 && SavedTotal() >= counted - 60 && SavedTotal() < counted) << counted;
    SetRemoteConnection(0);
    ASSERT_TRUE(TimerProcess().Close());
    const HistoryRead history = LoadHistory(files.history.history);
    ASSERT_EQ(history.sessions.size(), 1u);
    EXPECT_TRUE(history.sessions[0].seconds >= counted - 60 &&
                history.sessions[0].seconds <= counted);
}

TEST_F(ProgramTest, ASessionGoesIntoTheHistoryAsCountedAndItsWindowOpens) {
    SetRemoteConnection(1);
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    Sleep(5000);
    SetRemoteConnection(0);
    ASSERT_TRUE(WaitFor([&] { return LoadHistory(files.history.history).sessions.size() == 1; }));
    const int64_t seconds = LoadHistory(files.history.history).sessions[0].seconds;
    program.Menu(207);
    EXPECT_TRUE(program.Window(kFormClass, "History") && program.Close());
    EXPECT_TRUE(seconds >= 4 && seconds <= 6 && SavedTotal() == seconds) << seconds;
}

// A standard user's first start copies the files Windows kept in c:\windows, which stay as they
// were. The seed files are put there before this test runs (tests/win/CMakeLists.txt).
TEST_F(ProgramTest, OldFilesInTheWindowsFolderSeedThePerUserCopies) {
    if (!files.perUser) GTEST_SKIP() << "c:\\windows can be written: no per-user copies";
    TimerProcess program;
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 4242; }) && program.Close());
    EXPECT_EQ(Files() + ReadFileBytes(kLogPath),
              "True\r\nFalse\r\nFalse\r\n1\r\n2\r\n3\r\n 4242 \r\n 4242 \r\n");
}

TEST_F(ProgramTest, SessionEndSavesAndASecondCopyTouchesNothing) {
    WriteFileBytes(files.settings, kDefaults);  // either copy would write words if it saved
    WriteFileBytes(files.log, "42");
    TimerProcess first;
    ASSERT_TRUE(first.Stats());
    TimerProcess second;
    EXPECT_NE(TakeMessageBox(second.Id()).find("already running"), std::string::npos);
    EXPECT_TRUE(second.WaitForExit() && Files() == kDefaults + "42");
    EXPECT_EQ(SendMessageA(first.Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(first.Main(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Files(), kSaved + " 42 \r\n");
}

TEST_F(ProgramTest, OverflowIsReportedThenBothFilesAreSaved) {
    WriteFileBytes(files.log, " 2147483640 \r\n");
    SetRemoteConnection(1);
    TimerProcess program;
    EXPECT_NE(TakeMessageBox(program.Id(), 20000).find("largest total"), std::string::npos);
    EXPECT_TRUE(program.WaitForExit() && Files() == kSaved + " 2147483647 \r\n");
}

TEST_F(ProgramTest, TrayDoubleClickTogglesStatsAndOneMenuOpensAtATime) {
    TimerProcess program;
    HWND stats = program.Stats();
    for (const bool shown : {true, false}) {
        program.Tray(515);
        EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(stats) == shown; }));
    }
    auto menus = [] {
        int n = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));)
            n += IsWindowVisible(w);
        return n;
    };
    program.Tray(517);
    EXPECT_TRUE(WaitFor([&] { return menus() == 1; }));
    program.Tray(517);
    Sleep(500);
    EXPECT_EQ(menus(), 1);
    PostMessageA(program.Main(), WM_CANCELMODE, 0, 0);
}

TEST_F(ProgramTest, BadOrUnusableFilesStopTheStartNamingTheFile) {
    const std::string odd("0\r\n0\r\n0\r\n\0\0\r\n\xe9t\xe9\r\n\xff\r\n", 20), big(10 << 20, '7');
    WriteFileBytes(files.settings, odd + big);  // loads, and Exit writes it back as it stood
    TimerProcess program;
    EXPECT_TRUE(program.Stats() && program.Close());
    EXPECT_TRUE(ReadFileBytes(files.settings) == FormatSettings(ParseSettings(odd, "")));
    WriteFileBytes(files.log, big);
    ExpectRefusedStart("holds \"7777777777777777777777777777777777777777...\", which is outside");
    WriteFileBytes(files.settings, "0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n");
    ExpectRefusedStart("The settings file \"" + files.settings + "\", line 2");
    WriteFileBytes(files.settings, kDefaults);
    DeleteFileA(files.log.c_str());
    CreateDirectoryA(files.log.c_str(), nullptr);
    ExpectRefusedStart("a folder stands where the file should be");
    RemoveDirectoryA(files.log.c_str());
    WriteFileBytes(files.log, " 77 \r\n");
    HANDLE held = CreateFileA(files.log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0);
    ExpectRefusedStart("The time log file \"" + files.log + "\" could not be opened");
    CloseHandle(held);
}

// Antivirus or backup software holds the file for a moment while it is saved: the save waits. A
// file made read-only is reported and keeps its content.
TEST_F(ProgramTest, BusyFileAtExitIsWaitedForAReadOnlyOneReported) {
    for (const bool busy : {true, false}) {
        TimerProcess program;
        ASSERT_TRUE(program.Stats());
        HANDLE held = CreateFileA(files.log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (!busy)
            CloseHandle(held), SetFileAttributesA(files.log.c_str(), FILE_ATTRIBUTE_READONLY);
        std::thread release([&] { busy && (Sleep(250), CloseHandle(held)); });
        PostMessageA(program.Main(), WM_CLOSE, 0, 0);
        const std::string message = TakeMessageBox(program.Id(), 1500);
        release.join();
        EXPECT_EQ(message.empty(), busy) << message;
        EXPECT_TRUE(program.WaitForExit() && Files() == kSaved + " 0 \r\n");
        EXPECT_FALSE(FileExists(files.log + ".new"));
    }
}

// Killed while it creates its files at start-up or rewrites them at Exit: every file that
// exists holds the old content or the new.
TEST_F(ProgramTest, HardKillsAtRandomMomentsLeaveWholeFiles) {
    SetRemoteConnection(1);
    for (DWORD i = 0; i < 30; ++i) {
        if (i % 2 == 0) RemoveProgramFiles();  // so that start-up creates both files
        TimerProcess program;
        // A kill inside Wine's own process start-up can leave the process hanging.
        if (i % 2 ? program.Stats() && PostMessageA(program.Main(), WM_CLOSE, 0, 0)
                  : !!program.Main())
            Sleep(i * 7919 % 61);
        program.Kill();
        EXPECT_TRUE(!FileExists(files.settings) || ReadFileBytes(files.settings).size() >= 18) << i;
        EXPECT_TRUE(!FileExists(files.log) || ReadFileBytes(files.log).size() >= 5) << i;
    }
}

TEST_F(ProgramTest, SleepSavesAtOnceAndAShellRestartBringsTheIconBack) {
    SetRemoteConnection(1);
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    Sleep(3000);
    SendMessageA(program.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_TRUE(SavedTotal() >= 2 && abs(SavedTotal() - program.TotalShown()) <= 1);
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.uID = 1;
    icon.hWnd = FindWindowExA(program.Main(), nullptr, "OnlineTimer.TrayIcon", nullptr);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));  // the shell forgot it
    SendMessageA(program.Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &icon));  // it was there once, not twice
}

// The real program and its files under faults, as root and as a standard user (CMakeLists.txt).
#include <gtest/gtest.h>

#include "win_test_support.h"

#include <shellapi.h>

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

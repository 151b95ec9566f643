#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <random>

#include "app/program_win.h"
#include "store/log_file.h"
#include "store/settings_file.h"
#include "ui/forms_win.h"
#include "win_test_support.h"

namespace {

// Compares file contents without printing ten megabytes when they differ.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.size() << " bytes starting " << ShownInMessage(actual) << ", expected "
           << expected.size() << " starting " << ShownInMessage(expected);
}

constexpr const char* kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";

class FaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* path : {kSettingsPath, kLogPath}) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
            RemoveDirectoryA(path);
            DeleteFileA(PerUserCopy(path).c_str());
        }
        SetRemoteConnection(std::nullopt);
    }
    void TearDown() override { SetUp(); }

    // Starts the program on these files and expects start-up to stop with this message; the
    // files must be left as they were.
    static void ExpectRefusedStart(const std::string& expected) {
        const std::string settings = ReadFileBytes(kSettingsPath), log = ReadFileBytes(kLogPath);
        Program program;
        const std::string message = TakeMessageBox(program.Id());
        EXPECT_NE(message.find(expected), std::string::npos) << message;
        EXPECT_TRUE(program.WaitForExit());
        EXPECT_TRUE(SameBytes(ReadFileBytes(kSettingsPath), settings));
        EXPECT_TRUE(SameBytes(ReadFileBytes(kLogPath), log));
    }
};

}  // namespace

TEST_F(FaultsTest, BadContentLoadsAsWrittenOrStopsWithTheReason) {
    const std::string big(10 << 20, '7');
    const struct {
        std::string settings, log;
        const char* refused;  // nullptr: loads, and Exit writes it back as it was
    } cases[] = {
        {std::string("0\r\n0\r\n0\r\n\0\0\r\n\xe9t\xe9\r\n\xff\r\n", 20), " 5 \r\n", nullptr},
        {"0\r\n0\r\n0\r\n" + std::string(100000, 'a') + "\r\n0\r\n0\r\n", " 5 \r\n", nullptr},
        {"0\r\n0\r\n0\r\n" + std::string(100000, '9') + "\r\n0\r\n0\r\n", " 5 \r\n",
         "is too large. The largest limit is 2147483647 seconds"},
        {kDefaults, big, "holds \"7777777777777777777777777777777777777777...\", which is outside"},
        {std::string(kDefaults) + big, " 5 \r\n", nullptr},
        {"0\r\n0\r\n0\r\n0\r\n0\r\n", " 5 \r\n", "ends after 5 of its 6 lines"},
        {std::string("\0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", 18), " 5 \r\n",
         "line 1 (\"Clear Log first"},
        {kDefaults, "five\r\n", "holds \"five\" where a number of seconds is expected"},
        {"0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n", " 5 \r\n",
         "The settings file \"c:\\windows\\tavo.ini\", line 2 (\"Clear every Sunday\"), holds "
         "\"yes\"; expected True, False or a number."},
    };
    for (const auto& c : cases) {
        SetUp();
        WriteFileBytes(kSettingsPath, c.settings);
        WriteFileBytes(kLogPath, c.log);
        if (c.refused) {
            ExpectRefusedStart(c.refused);
            continue;
        }
        Program program;
        ASSERT_TRUE(program.Window(kFormClass, "Stats"));
        ASSERT_TRUE(program.Close());
        const Settings loaded = ParseSettings(c.settings, kSettingsPath);
        EXPECT_TRUE(SameBytes(ReadFileBytes(kSettingsPath), FormatSettings(loaded)));
        EXPECT_EQ(ReadFileBytes(kLogPath), " 5 \r\n");
    }
}

TEST_F(FaultsTest, UnusableFilesAreReportedAndLeftAlone) {
    // A folder where the time log file should be.
    CreateDirectoryA(kLogPath, nullptr);
    ExpectRefusedStart("a folder stands where the file should be");

    // A file that another program holds open without sharing.
    SetUp();
    WriteFileBytes(kLogPath, " 77 \r\n");
    HANDLE held = CreateFileA(kLogPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectRefusedStart("The time log file \"c:\\windows\\tavo.dat\" could not be opened");
    CloseHandle(held);
}

TEST_F(FaultsTest, ReadOnlyFiles) {
    // At start-up: the per-user copy is used, as Windows does; the read-only file stays as it is.
    WriteFileBytes(kSettingsPath, "True\r\n0\r\n0\r\n1\r\n2\r\n3\r\n");
    SetFileAttributesA(kSettingsPath, FILE_ATTRIBUTE_READONLY);
    {
        Program program;
        ASSERT_TRUE(program.Window(kFormClass, "Stats"));
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(ReadFileBytes(kSettingsPath), "True\r\n0\r\n0\r\n1\r\n2\r\n3\r\n");
    EXPECT_EQ(ReadFileBytes(PerUserCopy(kSettingsPath)),
              "True\r\nFalse\r\nFalse\r\n1\r\n2\r\n3\r\n");

    // At shut-down: the user is told, and the file keeps its content.
    SetUp();
    WriteFileBytes(kLogPath, " 500 \r\n");
    Program program;
    ASSERT_TRUE(program.Window(kFormClass, "Stats"));
    SetFileAttributesA(kLogPath, FILE_ATTRIBUTE_READONLY);
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    const std::string message = TakeMessageBox(program.Id());
    EXPECT_NE(message.find("The time log file \"c:\\windows\\tavo.dat\" could not be written"),
              std::string::npos)
        << message;
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(ReadFileBytes(kLogPath), " 500 \r\n");
    EXPECT_FALSE(FileExists(std::string(kLogPath) + ".new"));
}

// Killed while it creates its files at start-up or rewrites them at Exit: every file that
// exists parses, with the old content or the new.
TEST_F(FaultsTest, HardKillsAtRandomMomentsLeaveWholeFiles) {
    std::mt19937 random(20261206);
    SetRemoteConnection(1);
    int lastCounted = 0;
    for (int i = 0; i < 50; ++i) {
        const bool duringStart = i % 2 == 0;
        if (duringStart) {  // so that start-up creates both files
            DeleteFileA(kSettingsPath);
            DeleteFileA(kLogPath);
            lastCounted = 0;
        }
        Program program;
        if (duringStart) {
            // Its files are created just after its window; a kill inside Wine's own process
            // start-up can leave the process hanging, which is not what is tried here.
            program.Main();
            Sleep(std::uniform_int_distribution<DWORD>(0, 60)(random));
        } else if (program.Window(kFormClass, "Stats")) {
            Sleep(1500);
            lastCounted =
                Seconds(WindowText(GetDlgItem(program.Window(kFormClass, "Stats"), Label2)));
            PostMessageA(program.Main(), WM_CLOSE, 0, 0);
            Sleep(std::uniform_int_distribution<DWORD>(0, 20)(random));
        }
        program.Kill();
        if (FileExists(kSettingsPath)) {
            EXPECT_NO_THROW(ParseSettings(ReadFileBytes(kSettingsPath), "s"));
        }
        if (FileExists(kLogPath)) {
            EXPECT_GE(ParseLog(ReadFileBytes(kLogPath), "l").Total, lastCounted - 60) << i;
        }
    }
}

TEST_F(FaultsTest, SleepSavesAtOnceAndAShellRestartBringsTheIconBack) {
    SetRemoteConnection(1);
    Program program;
    HWND stats = program.Window(kFormClass, "Stats");
    ASSERT_TRUE(stats);
    Sleep(3000);
    SendMessageA(program.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    const int shown = Seconds(WindowText(GetDlgItem(stats, Label2)));
    EXPECT_NEAR(ParseLog(ReadFileBytes(kLogPath), "l").Total, shown, 1);

    // The shell forgets the icon; its restart message brings it back, once.
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = program.PicHook();
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &icon));
    SendMessageA(program.Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &icon));  // it was there once, not twice
    ASSERT_TRUE(program.Close());
}

// Every window opened and closed again and again over 100,000 ticks: no handle, GDI or USER
// object and no memory is left behind. Wine reports no handle or object counts (they read 0
// there), so the memory is what shows a leak under it.
TEST_F(FaultsTest, NoGrowthOver100000Ticks) {
    SetRemoteConnection(1);
    Program program;
    HWND main = program.Main();
    ASSERT_TRUE(program.Window(kFormClass, "Stats"));
    auto send = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        DWORD_PTR result;
        SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    };
    auto cycle = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) send(main, WM_TIMER, 1, 0);
        for (WPARAM menu = 201; menu <= 205; ++menu) send(main, WM_COMMAND, menu, 0);
        for (const char* caption : {"Stats", "Velmora Timer Configuration", "Are you sure..."})
            send(FindWindowA(kFormClass, caption), WM_CLOSE, 0, 0);
        send(GetDlgItem(FindWindowA(kFormClass, "Adjust Time"), Command2), BM_CLICK, 0, 0);
        send(GetDlgItem(FindWindowA(kFormClass, "About"), Command1), BM_CLICK, 0, 0);
    };
    struct Counts {
        DWORD handles, gdi, user;
        SIZE_T memoryBytes;
    };
    auto counts = [&] {
        Counts c = {};
        GetProcessHandleCount(program.Handle(), &c.handles);
        c.gdi = GetGuiResources(program.Handle(), GR_GDIOBJECTS);
        c.user = GetGuiResources(program.Handle(), GR_USEROBJECTS);
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(program.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory);
        // Private bytes where reported; Wine gives only the working set of another process.
        c.memoryBytes = memory.PagefileUsage ? memory.PagefileUsage : memory.WorkingSetSize;
        return c;
    };
    for (int round = 0; round < 10; ++round) cycle(100);  // every window created, heaps settled
    const Counts before = counts();
    for (int round = 0; round < 100; ++round) cycle(1000);
    const Counts after = counts();
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_LT(after.memoryBytes, before.memoryBytes + 64 * 1024);
    std::printf("handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu, memory KB %zu -> %zu\n",
                before.handles, after.handles, before.gdi, after.gdi, before.user, after.user,
                before.memoryBytes / 1024, after.memoryBytes / 1024);
    ASSERT_TRUE(program.Close());
}

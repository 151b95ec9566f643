#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/app_error.h"
#include "store/data_path.h"
#include "store/history_file.h"
#include "store/state_store.h"
#include "store/text_file.h"

namespace fs = std::filesystem;

namespace {

// "number text" of the AppError that f throws, or "" when it throws none.
template <class F>
std::string ErrorOf(F f) {
    try {
        f();
    } catch (const AppError& e) {
        return std::to_string(e.Number()) + " " + e.what();
    }
    return "";
}

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Unique to this run: the mutation tool runs copies of these tests side by side.
        dir = fs::temp_directory_path() /
              ("timer-test-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        paths = {(dir / "tavo.ini").string(), (dir / "tavo.dat").string()};
    }
    void TearDown() override { fs::remove_all(dir); }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ostringstream s;
        s << std::ifstream(path, std::ios::binary).rdbuf();
        return s.str();
    }
    fs::path dir;
    DataPaths paths;
};

constexpr const char* kTail =
    " Correct the file, or delete it to start again with the default options.";

}  // namespace

TEST(SettingsFile, ParsesBothWritingsOfTheFlags) {
    const struct {
        const char* bytes;
        Options options;
    } cases[] = {
        {"0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", {false, false, false, "0", "0", "0"}},
        {"False\r\nTrue\r\nTrue\r\n1\r\n\r\n30\r\n", {false, true, true, "1", "", "30"}},
        {"-1\r\ntrue\r\nFALSE\r\n a \r\n2.5\r\nabc", {true, true, false, " a ", "2.5", "abc"}},
        {"5\r0\r1e3\r1\r2\r3\r", {true, false, true, "1", "2", "3"}},  // CR only
        {"0\r\n0\r\n0\r\n\xe9t\xe9\r\n\r\n0\r\n", {false, false, false, "\xe9t\xe9", "", "0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSettings(c.bytes, "x"), c.options) << c.bytes;
        EXPECT_EQ(ParseSettings(FormatSettings(c.options), "x"), c.options) << c.bytes;
    }
    const std::string withNul("0\r\n0\r\n0\r\n1\r\n\0x\r\n0\r\n", 20);  // kept in its line
    EXPECT_EQ(ParseSettings(withNul, "x").alertHours, std::string("\0x", 2));
}

TEST(SettingsFile, RejectsShortFilesAndBadFlagsWithTheLine) {
    const struct {
        const char* bytes;
        std::string expected;
    } cases[] = {
        {"0\r\n0\r\n0\r\n0\r\n0\r\n", "62 The settings file \"p\" ends after 5 of its 6 lines."},
        {"", "62 The settings file \"p\" ends after 0 of its 6 lines."},
        {"0\n0\n0\n0\n0\n0\n", "62 The settings file \"p\" ends after 1 of its 6 lines."},
        {"0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n",
         "13 The settings file \"p\", line 2 (\"Clear every Sunday\"), holds \"yes\"; expected "
         "True, False or a number."},
        {"nope\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
         "13 The settings file \"p\", line 1 (\"Clear Log first of Month\"), holds \"nope\"; "
         "expected True, False or a number."},
        {"0\r\n0\r\nmaybe\r\n0\r\n0\r\n0\r\n",
         "13 The settings file \"p\", line 3 (\"Alert after:\"), holds \"maybe\"; expected True, "
         "False or a number."},
        {"0\r\ntru3\r\n0\r\n0\r\n0\r\n0\r\n", "line 2 (\"Clear every Sunday\"), holds \"tru3\""},
        {"0\r\nfalse!\r\n0\r\n0\r\n0\r\n0\r\n", "holds \"false!\""},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { ParseSettings(c.bytes, "p"); });
        if (isdigit(c.expected[0]))  // the whole message
            EXPECT_EQ(error, c.expected + kTail);
        else
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(LogFile, ParsesTheTotalAndTheDateOfTheLastClearing) {
    const struct {
        const char* bytes;
        LogRecord record;
    } cases[] = {
        {" 86400 \r\n", {86400, {}}},
        {"\r\n  -42 \r\n", {-42, {}}},
        {"5,7\r\n", {5, {}}},
        {"12 junk\r\n", {12, {}}},
        {"-2147483648", {INT32_MIN, {}}},
        {" 10 \r\n\r\n", {10, {}}},
        {" 10 \r\n2026-12-01\r\n", {10, CalendarDate{2026, 12, 1}}},
        {" 10 \r\n2026-01-31", {10, CalendarDate{2026, 1, 31}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLog(c.bytes, "x"), c.record) << c.bytes;
        EXPECT_EQ(ParseLog(FormatLog(c.record), "x"), c.record) << c.bytes;
    }
    EXPECT_EQ(FormatLog({3600, {}}), " 3600 \r\n");
    EXPECT_EQ(FormatLog({-42, CalendarDate{2026, 3, 1}}), "-42 \r\n2026-03-01\r\n");
}

TEST(LogFile, RejectsWhatIsNoTotalOrNoDate) {
    const std::string tail = " Correct the file, or delete it to start again from a total of 0.";
    const struct {
        const char* bytes;
        std::string expected;
    } cases[] = {
        {" 2147483648 \r\n",
         "6 The time log file \"p\" holds \"2147483648\", which is outside the range of a total "
         "(-2147483648 to 2147483647 seconds)." +
             tail},
        {"abc\r\n",
         "13 The time log file \"p\" holds \"abc\" where a number of seconds is "
         "expected." +
             tail},
        {"   \r\n",
         "13 The time log file \"p\" holds \"\" where a number of seconds is expected." + tail},
        {" 5 \r\nsoon\r\n",
         "13 The time log file \"p\" holds \"soon\" on line 2, where the date of "
         "the last scheduled clearing (such as 2026-12-06) is expected." +
             tail},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf([&] { ParseLog(c.bytes, "p"); }), c.expected);
    for (const char* date : {"2026-13-01", "2026-00-10", "2026-12-32", "2026-12-00", "2026-1-011",
                             "2026-12-011", "26-12-01"})
        EXPECT_NE(ErrorOf([&] { ParseLog(std::string(" 5 \r\n") + date, "p"); }), "") << date;
}

TEST_F(FilesTest, FirstStartCreatesBothFilesWithTheDefaults) {
    Write(paths.log, "");  // an empty file is treated as a missing one
    AppState state;
    state.totalSeconds = 5;
    LoadState(state, paths);
    EXPECT_EQ(Read(paths.settings), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(Read(paths.log), " 0 \r\n");
    EXPECT_EQ(state.options, Options{});
    EXPECT_EQ(state.totalSeconds, 0);
}

TEST_F(FilesTest, LoadsAndSavesEveryOption) {
    for (const bool flag : {true, false}) {
        Write(paths.settings,
              flag ? "0\r\nTrue\r\n0\r\n1\r\n2\r\n3\r\n" : "True\r\n0\r\n-1\r\n1\r\n2\r\n3\r\n");
        Write(paths.log, " 3600 \r\n2026-12-06\r\n");
        AppState state;
        LoadState(state, paths);
        EXPECT_EQ(state.options, (Options{!flag, flag, !flag, "1", "2", "3"}));
        EXPECT_EQ(state.alertLimitSeconds, 93780);
        EXPECT_EQ(LogRecordOf(state), (LogRecord{3600, CalendarDate{2026, 12, 6}}));
        state.totalSeconds = -42;
        state.options.alertHours = "";
        SaveState(state, paths);
        EXPECT_EQ(Read(paths.settings), flag ? "False\r\nTrue\r\nFalse\r\n1\r\n\r\n3\r\n"
                                             : "True\r\nFalse\r\nTrue\r\n1\r\n\r\n3\r\n");
        EXPECT_EQ(Read(paths.log), "-42 \r\n2026-12-06\r\n");
    }
}

TEST_F(FilesTest, FailedStartWritesNothing) {
    const struct {
        const char *settings, *log, *expected;
    } cases[] = {
        {nullptr, "abc", "holds \"abc\""},
        {"0\r\n0\r\n0\r\n24856\r\n0\r\n0\r\n", nullptr, "24855 days"},
    };
    for (const auto& c : cases) {
        fs::remove(paths.settings);
        fs::remove(paths.log);
        if (c.settings) Write(paths.settings, c.settings);
        if (c.log) Write(paths.log, c.log);
        AppState state;
        EXPECT_NE(ErrorOf([&] { LoadState(state, paths); }).find(c.expected), std::string::npos);
        EXPECT_EQ(fs::exists(paths.settings), c.settings != nullptr);
        EXPECT_EQ(fs::exists(paths.log), c.log != nullptr);
    }
    fs::create_directory(paths.log + "x");
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(paths.log + "x", "time log file"); }),
              "75 The time log file \"" + paths.log +
                  "x\" could not be read: a folder stands where the file should be. Check that "
                  "the file and its folder exist, are not read-only and are not in use, then try "
                  "again.");
}

// Each step of a save failing in turn: the file keeps its old bytes and no new file is left.
TEST_F(FilesTest, FailedWriteFlushOrReplaceKeepsTheOldFile) {
    struct FaultyOps : FileOps {
        int failing = 0;
        bool WriteAll(std::FILE* f, std::string_view bytes) override {
            return failing != 1 &&
                   FileOps::WriteAll(f, bytes.substr(0, failing == 4 ? 2 : bytes.size())) &&
                   failing != 4;
        }
        bool FlushToDisk(std::FILE* f) override { return failing != 2 && FileOps::FlushToDisk(f); }
        bool Replace(const std::string& s, const std::string& t, std::string& reason) override {
            if (failing != 3) return FileOps::Replace(s, t, reason);
            reason = "it is in use";
            return false;
        }
    } ops;
    Write(paths.log, " 1 \r\n");
    for (ops.failing = 1; ops.failing <= 4; ++ops.failing) {
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(paths.log, " 2 \r\n", "time log file", ops); }),
                  "75 The time log file \"" + paths.log + "\" could not be written: " +
                      (ops.failing == 3 ? "it is in use" : "the disk may be full") +
                      ". Check that the file and its folder exist, are not read-only and are not "
                      "in use, then try again.");
        EXPECT_EQ(Read(paths.log), " 1 \r\n") << ops.failing;
        EXPECT_FALSE(fs::exists(paths.log + ".new")) << ops.failing;
    }
    ops.failing = 0;
    WriteFileAtomically(paths.log, " 2 \r\n", "time log file", ops);
    EXPECT_EQ(Read(paths.log), " 2 \r\n");
    EXPECT_NE(ErrorOf([&] { WriteFileAtomically((dir / "no" / "f").string(), "", "x"); }), "");
}

TEST(DataPaths, FollowThePerUserCopiesLikeWindowsDoes) {
    struct FakeFs : FileSystemProbe {
        std::map<std::string, std::string> files;
        std::set<std::string> readOnly, folders;
        bool copyWorks = true;
        bool Exists(const std::string& p) override { return files.count(p) > 0; }
        bool CanWrite(const std::string& p) override { return readOnly.count(p) == 0; }
        void CreateFolderOf(const std::string& p) override { folders.insert(p); }
        bool Copy(const std::string& from, const std::string& to) override {
            if (copyWorks) files[to] = files[from];
            return copyWorks;
        }
    };
    const DataPaths fixed{"s", "l"}, user{"us", "ul"};
    auto resolve = [&](FakeFs& f) {
        const DataPaths p = ResolveDataPaths(fixed, user, f);
        return p.settings + " " + p.log;
    };
    FakeFs f;
    EXPECT_EQ(resolve(f), "s l");                              // writable: nothing changes
    EXPECT_EQ(ResolveDataPaths(fixed, {"", ""}, f).log, "l");  // no per-user folder known
    f.readOnly = {"s", "l"};
    EXPECT_EQ(resolve(f), "us ul");  // a standard user's first start: the folders are made
    EXPECT_EQ(f.folders, (std::set<std::string>{"us", "ul"}));
    f.files = {{"s", "S"}, {"l", "L"}};
    f.copyWorks = false;
    EXPECT_EQ(resolve(f), "s l");  // never start over from defaults
    f.copyWorks = true;
    EXPECT_EQ(resolve(f), "us ul");
    EXPECT_EQ(f.files["us"] + f.files["ul"], "SL");
    f.readOnly = {};
    EXPECT_EQ(resolve(f), "us ul");  // once there, the copies are used
    f.readOnly = {"s", "l"};
    f.files.erase("ul");  // the user deleted the bad total: it starts from 0, not from "L"
    EXPECT_EQ(resolve(f), "us ul");
    EXPECT_EQ(f.files.count("ul"), 0u);
}

TEST_F(FilesTest, HistoryIsAppendedAfterALineCutOffAndRecoversTheSessionInProgress) {
    const HistoryPaths history{(dir / "history.csv").string(), (dir / "session.csv").string()};
    const SessionRecord a{{{2026, 12, 7}, 10, 0, 0, 60}, {{2026, 12, 7}, 10, 0, 20, 60}, 20};
    AppendSession(history.history, a);
    EXPECT_EQ(Read(history.history), "start,end,seconds\r\n" + FormatSessionLine(a) + "\r\n");
    std::ofstream(history.history, std::ios::app | std::ios::binary) << "2026-12-07T1";
    SaveSessionInProgress(history.session, a);
    RecoverSessionInProgress(history);
    EXPECT_FALSE(fs::exists(history.session));
    RecoverSessionInProgress(history);  // nothing left to recover
    const HistoryRead read = LoadHistory(history.history);
    EXPECT_EQ(read.sessions, (std::vector{a, a}));
    EXPECT_EQ(read.skippedLines, 1);
    EXPECT_EQ(LoadHistory((dir / "none.csv").string()).sessions.size(), 0u);
}

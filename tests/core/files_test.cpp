#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/app_error.h"
#include "app/lifecycle.h"
#include "store/data_path.h"

namespace fs = std::filesystem;

namespace {

// The message of the AppError that f throws, or "" when it throws none.
template <class F>
std::string ErrorOf(F f) {
    try {
        f();
    } catch (const AppError& e) {
        return std::to_string(e.Number()) + " " + e.what();
    }
    return "";
}

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("timer-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

Settings S(bool a, bool b, bool c, const char* d, const char* h, const char* m) {
    return {a, b, c, d, h, m};
}

}  // namespace

TEST(SettingsFile, ParsesBothWritingsOfTheFlags) {
    const struct {
        const char* bytes;
        Settings settings;
    } cases[] = {
        {"0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", S(false, false, false, "0", "0", "0")},
        {"False\r\nTrue\r\nTrue\r\n1\r\n\r\n30\r\n", S(false, true, true, "1", "", "30")},
        {"-1\r\ntrue\r\nFALSE\r\n a \r\n2.5\r\nabc", S(true, true, false, " a ", "2.5", "abc")},
        {"5\r0\r1e3\r1\r2\r3\r", S(true, false, true, "1", "2", "3")},  // CR only
        {"0\r\n0\r\n0\r\n\xe9t\xe9\r\n\r\n0\r\n", S(false, false, false, "\xe9t\xe9", "", "0")},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSettings(c.bytes, "x"), c.settings) << c.bytes;
    // A NUL byte is kept as part of its line.
    const std::string withNul("0\r\n0\r\n0\r\n1\r\n\0x\r\n0\r\n", 20);
    EXPECT_EQ(ParseSettings(withNul, "x").AlertHours, std::string("\0x", 2));
}

TEST(SettingsFile, RejectsShortFilesAndBadFlagsWithTheLine) {
    const struct {
        const char* bytes;
        const char* expected;
    } cases[] = {
        {"0\r\n0\r\n0\r\n0\r\n0\r\n", "62 The settings file \"p\" ends after 5 of its 6 lines."},
        {"0\n0\n0\n0\n0\n0\n", "ends after 1 of its 6 lines"},
        {"0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n",
         "13 The settings file \"p\", line 2 (\"Clear every "
         "Sunday\"), holds \"yes\"; expected True, False or a "
         "number."},
        {"0\r\n0\r\n5abc\r\n0\r\n0\r\n0\r\n", "line 3 (\"Alert after:\"), holds \"5abc\""},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf([&] { ParseSettings(c.bytes, "p"); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
}

TEST(LogFile, ParsesTheNumberField) {
    const struct {
        const char* bytes;
        int32_t total;
    } cases[] = {
        {" 86400 \r\n", 86400},
        {"86400", 86400},
        {"\r\n  -42 \r\n", -42},
        {"5,7\r\n", 5},
        {" 2147483647 \r\n", 2147483647},
        {"-2147483648", INT32_MIN},
        {"12 junk\r\n", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseLog(c.bytes, "x").Total, c.total) << c.bytes;
    const auto dated = ParseLog(" 10 \r\n2026-12-06\r\n", "x");
    EXPECT_EQ(dated.LastScheduledClear, (CalendarDate{2026, 12, 6}));
    EXPECT_EQ(ParseLog(" 10 \r\n\r\n", "x").LastScheduledClear, std::nullopt);
}

TEST(LogFile, RejectsWhatIsNoTotal) {
    const struct {
        const char* bytes;
        const char* expected;
    } cases[] = {
        {" 2147483648 \r\n", "6 The time log file \"p\" holds \"2147483648\", which is outside"},
        {"abc\r\n", "13 The time log file \"p\" holds \"abc\" where a number of seconds"},
        {"   \r\n", "holds \"\" where a number"},
        {"12abc", "holds \"12abc\""},
        {" 5 \r\nsoon\r\n", "holds \"soon\" on line 2"},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf([&] { ParseLog(c.bytes, "p"); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
}

TEST(LogFile, WritesTheSignPositionAndTrailer) {
    EXPECT_EQ(FormatLog({0, {}}), " 0 \r\n");
    EXPECT_EQ(FormatLog({3600, {}}), " 3600 \r\n");
    EXPECT_EQ(FormatLog({-42, {}}), "-42 \r\n");
    EXPECT_EQ(FormatLog({5, CalendarDate{2026, 3, 1}}), " 5 \r\n2026-03-01\r\n");
    for (const LogRecord r :
         {LogRecord{INT32_MAX, {}}, LogRecord{INT32_MIN, CalendarDate{1, 2, 3}}})
        EXPECT_EQ(ParseLog(FormatLog(r), "x"), r);
}

TEST_F(TempFolder, FirstStartCreatesBothFilesWithTheDefaults) {
    Write(paths.Log, "");  // an empty file is treated as a missing one
    AppState state;
    LoadState(state, paths);
    EXPECT_EQ(Read(paths.Settings), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(Read(paths.Log), " 0 \r\n");
    EXPECT_EQ(SettingsOf(state), Settings{});
    EXPECT_EQ(state.TotalSeconds, 0);
    EXPECT_EQ(state.AlertLimitSeconds, 0);
}

TEST_F(TempFolder, LoadsAndSavesTheState) {
    Write(paths.Settings, "True\r\n0\r\n-1\r\n1\r\n2\r\n3\r\n");
    Write(paths.Log, " 3600 \r\n");
    AppState state;
    LoadState(state, paths);
    EXPECT_EQ(SettingsOf(state), S(true, false, true, "1", "2", "3"));
    EXPECT_EQ(state.TotalSeconds, 3600);
    EXPECT_EQ(state.AlertLimitSeconds, 93780);
    state.TotalSeconds = -42;
    state.AlertHours = "";
    SaveState(state, paths);
    EXPECT_EQ(Read(paths.Settings), "True\r\nFalse\r\nTrue\r\n1\r\n\r\n3\r\n");
    EXPECT_EQ(Read(paths.Log), "-42 \r\n");
    EXPECT_FALSE(fs::exists(paths.Log + ".new"));
}

TEST_F(TempFolder, FailedStartWritesNothing) {
    const struct {
        const char *settings, *log;
        const char* expected;
    } cases[] = {
        {nullptr, "abc", "holds \"abc\""},                              // settings not created
        {"0\r\n0\r\n0\r\n24856\r\n0\r\n0\r\n", nullptr, "24855 days"},  // log not created
    };
    for (const auto& c : cases) {
        fs::remove(paths.Settings);
        fs::remove(paths.Log);
        if (c.settings) Write(paths.Settings, c.settings);
        if (c.log) Write(paths.Log, c.log);
        AppState state;
        EXPECT_NE(ErrorOf([&] { LoadState(state, paths); }).find(c.expected), std::string::npos);
        EXPECT_EQ(fs::exists(paths.Settings), c.settings != nullptr);
        EXPECT_EQ(fs::exists(paths.Log), c.log != nullptr);
        if (c.log) {
            EXPECT_EQ(Read(paths.Log), c.log);
        }
    }
}

TEST(DataPath, FollowsThePerUserCopyLikeWindowsDoes) {
    struct FakeFs : FileSystemProbe {
        std::map<std::string, std::string> files;
        bool fixedWritable = true, copyWorks = true;
        bool Exists(const std::string& p) override { return files.count(p) > 0; }
        bool CanWrite(const std::string& p) override { return p != "fixed" || fixedWritable; }
        bool Copy(const std::string& from, const std::string& to) override {
            if (copyWorks) files[to] = files[from];
            return copyWorks;
        }
    };
    FakeFs f;
    EXPECT_EQ(ResolveDataPath("fixed", "user", f), "fixed");  // writable: nothing changes
    f.fixedWritable = false;
    EXPECT_EQ(ResolveDataPath("fixed", "user", f), "user");  // nothing to copy
    f.files["fixed"] = "old";
    f.copyWorks = false;
    EXPECT_EQ(ResolveDataPath("fixed", "user", f), "fixed");  // never start over from defaults
    f.copyWorks = true;
    EXPECT_EQ(ResolveDataPath("fixed", "user", f), "user");
    EXPECT_EQ(f.files["user"], "old");
    f.fixedWritable = true;
    EXPECT_EQ(ResolveDataPath("fixed", "user", f), "user");  // once there, the copy is used
}

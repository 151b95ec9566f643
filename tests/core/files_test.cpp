#include <set>

#include <gtest/gtest.h>

#include "file_test_support.h"
#include "store/state_store.h"
#include "store/text_file.h"

using namespace std::string_literals;

// Each file read and written back as read, or refused with the whole reason (or "...", a part).
TEST(Files, ReadWhatTheyHoldOrSayWhatIsWrong) {
    using Cases = std::vector<std::pair<std::string, std::string>>;
    const auto expect = [](auto parse, auto format, const Cases& cases) {
        for (const auto& [bytes, expected] : cases) {
            std::string got;
            const std::string error = ErrorOf([&, &b = bytes] { got = format(parse(b, "p")); });
            const bool part = expected.starts_with("...") && error.find(&expected[3]) != error.npos;
            EXPECT_EQ(part ? expected : got + error, expected) << bytes;
        }
    };
    const std::string fix = " Correct the file, or delete it to start again",
                      ini = fix + " with the default options.", dat = fix + " from a total of 0.";
    expect(
        ParseSettings, FormatSettings,
        {{"-1\r\ntrue\r\nFALSE\r\n a \r\n2.5\r\nabc",
          "True\r\nTrue\r\nFalse\r\n a \r\n2.5\r\nabc\r\n"},
         {"5\r0\r1e3\r1\r2\r3\r", "True\r\nFalse\r\nTrue\r\n1\r\n2\r\n3\r\n"},  // CR only
         {"0\r\n0\r\n0\r\n\xe9\r\n\0x\r\n0\r\n"s,
          "False\r\nFalse\r\nFalse\r\n\xe9\r\n\0x\r\n0\r\n"s},
         {"0\r\n0\r\n0\r\n0\r\n0\r\n",
          "62 The settings file \"p\" ends after 5 of its 6 lines." + ini},
         {"0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n",
          "13 The settings file \"p\", line 2 (\"Clear every Sunday\"), "
          "holds \"yes\"; expected True, False or a number." +
              ini},
         {"0\r\n0\r\nmaybe\r\n0\r\n0\r\n0\r\n", "...line 3 (\"Alert after:\"), holds \"maybe\""}});
    expect(
        ParseLog, FormatLog,
        {{" 86400 \r\n", " 86400 \r\n"},       // nothing after its line end
         {"-2147483648", "-2147483648 \r\n"},  // no line end
         {" 10 \r\n  \r\n", " 10 \r\n"},
         {" 10 \r\n2026-12-01\r\n", " 10 \r\n2026-12-01\r\n"},
         {" 10 \n\n2026-01-31", " 10 \r\n2026-01-31\r\n"},
         {" 2147483648 \r\n",
          "6 The time log file \"p\" holds \"2147483648\", which is outside the "
          "range of a total (-2147483648 to 2147483647 seconds)." +
              dat},
         {"abc\r\n",
          "13 The time log file \"p\" holds \"abc\" where a number of seconds is expected." + dat},
         {"   \r\n", "...\"\" where a number of seconds is expected."},
         {" 5 \r\nsoon\r\n",
          "...13 The time log file \"p\" holds \"soon\" on line 2, where the date of the last "
          "scheduled clearing (such as 2026-12-06) is expected."}});
    for (const std::string date : {"2026-13-01", "2026-00-10", "2026-12-32", "2026-12-00"})
        expect(ParseLog, FormatLog, {{" 5 \r\n" + date, "...\"" + date + "\" on line 2"}});
}

// Every option and both lines of the log loaded and saved; a start that fails writes nothing.
TEST_F(FilesTest, StartCreatesMissingFilesLoadsEveryOptionAndWritesNothingWhenItFails) {
    AppState state{{}, 0, 0, 5, {}};
    const auto openFiles = OpenFiles();
    Write(paths.settings, ""), Write(paths.log, ""), LoadState(state, paths);  // empty = missing
    EXPECT_EQ(Read(paths.settings) + Read(paths.log) + std::to_string(state.totalSeconds),
              "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n 0 \r\n0");
    Write(paths.settings, "0\r\nTrue\r\n-1\r\n1\r\n2\r\n3\r\n");
    Write(paths.log, " 3600 \r\n2026-12-06\r\n"), LoadState(state, paths);
    EXPECT_EQ(std::tuple(state.totalSeconds, state.alertLimitSeconds, OpenFiles()),
              std::tuple(3600, 93780, openFiles));
    state.totalSeconds = -1, SaveState(state, paths);  // the options and the date as loaded
    EXPECT_EQ(Read(paths.settings) + Read(paths.log),
              "False\r\nTrue\r\nTrue\r\n1\r\n2\r\n3\r\n-1 \r\n2026-12-06\r\n");
    Write(paths.settings, ""), Write(paths.log, "x");  // one empty, as if missing
    EXPECT_THROW(LoadState(state, paths), AppError);
    EXPECT_EQ(Read(paths.settings) + Read(paths.log), "x");
}

TEST_F(FilesTest, FailedWriteFlushOrReplaceKeepsTheOldFile) {
    FaultyOps ops;
    const auto error = [](auto f, const std::string& p) {
        EXPECT_PRED_FORMAT2(testing::IsSubstring, p, ErrorOf(f));
    };
    Write(paths.log, " 1 \r\n");
    for (int step = 1; step <= 3; ++step) {  // a short write, the flush, the replace
        ops.cut = step == 1 ? 2 : 0, ops.flushFails = step == 2, ops.inUse = step == 3;
        error([&] { WriteFileAtomically(paths.log, " 2 \r\n", "time log file", ops); },
              "75 The time log file \"" + paths.log + "\" could not be written: " +
                  (step == 3 ? "it is in use" : "the disk may be full") + kAdvice);
        EXPECT_EQ(Read(paths.log) + std::to_string(fs::exists(paths.log + ".new")), " 1 \r\n0");
        const std::string history = (step < 3 ? dir / "h" : dir).string();  // 3: a folder
        error([&] { AppendSession(history, {}, ops); }, "The history file");
    }
    ops.notAFile = true;  // it cannot be opened or read
    error([&] { ReadWholeFile(paths.settings, "x", ops); }, "could not be opened");
    error([&] { ReadWholeFile(dir.string(), "x", ops); }, "the read failed");
    error([&] { WriteFileAtomically((dir / "no" / "f").string(), "", "x"); }, "No such file");
    // The system's calls failing: a rename over a folder, syncing a pipe, cutting a missing file.
    fs::create_directory(dir / "d");
    error([&] { WriteFileAtomically((dir / "d").string(), "", "x"); }, "Is a directory");
    int ends[2];
    std::FILE* pipeEnd = pipe(ends) == 0 ? fdopen(ends[1], "w") : nullptr;
    EXPECT_FALSE(pipeEnd && SystemFileOps().FlushToDisk(pipeEnd));
    std::fclose(pipeEnd), close(ends[0]);
    std::string reason;
    EXPECT_FALSE(SystemFileOps().Truncate((dir / "none").string(), 0, reason));
    EXPECT_EQ(reason, "No such file or directory");
    ReadOnlyFileOps reader;  // beside the running program: reads, and writes nothing
    const std::string refused = ErrorOf([&] { WriteFileAtomically(paths.log, "", "x", reader); });
    EXPECT_EQ(
        std::pair(ReadWholeFile(paths.log, "x", reader), refused.substr(refused.find(':'))),
        std::pair(std::optional<std::string>(" 1 \r\n"), ": files are only read here" + kAdvice));
}

// A file the user may not write is used from a per-user copy, seeded on first use only.
TEST(DataPaths, FollowThePerUserCopiesLikeWindowsDoes) {
    using Files = std::set<std::string>;
    struct FakeFs : FileSystemProbe {
        Files files, readOnly;
        bool copyWorks = true;
        std::string folders;  // made, in turn
        bool Exists(const std::string& p) override { return files.count(p) > 0; }
        bool CanWrite(const std::string& p) override { return readOnly.count(p) == 0; }
        void CreateFolderOf(const std::string& p) override { folders += " " + p; }
        bool Copy(const std::string&, const std::string& to) override {
            return copyWorks && files.insert(to).second;
        }
    };
    // Files there, read-only ones, copies work; the paths in use | files after | folders made.
    const std::tuple<Files, Files, bool, const char*> cases[] = {
        {{"s", "l"}, {"s", "l"}, true, "us ul | l s ul us | us ul"},   // old files seed the copies
        {{"s", "l"}, {"s", "l"}, false, "s l | l s | us ul"},          // or stay in use: not from 0
        {{"s", "l", "ul"}, {}, true, "s ul | l s ul |"},               // once there, a copy is used
        {{"s", "l", "us"}, {"s", "l"}, true, "us ul | l s us | ul"}};  // a deleted one: from 0
    for (const auto& [files, readOnly, copyWorks, expected] : cases) {
        FakeFs fs;
        fs.files = files, fs.readOnly = readOnly, fs.copyWorks = copyWorks;
        const DataPaths p = ResolveDataPaths({"s", "l"}, {"us", "ul"}, fs);
        std::string after = p.settings + " " + p.log + " |";
        for (const std::string& f : fs.files) after += " " + f;
        EXPECT_EQ(after + " |" + fs.folders, expected);
    }
}

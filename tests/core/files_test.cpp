#include <set>

#include "file_test_support.h"
#include "store/state_store.h"
#include "store/text_file.h"
// Each file read and written back as read, or refused with the whole reason (or "...", a part).
TEST(Files, ReadWhatTheyHoldOrSayWhatIsWrong) {
    // clang-format off
    const std::string ini = "The settings file \"p\"", dat = "The time log file \"p\" holds \"", line2 = "...on line 2",
        fix = " Correct the file, or delete it to start again", iniTail = fix + " with the default options.",
        datTail = fix + " from a total of 0.";
    const LogRecord bad;  // read as a log, which fails
    // The bytes, what they hold as settings or as a log, or the error.
    const std::tuple<std::string, std::optional<Options>, std::optional<LogRecord>, std::string> cases[] = {
        {"False\r\nTrue\r\nTrue\r\n1\r\n\r\n30\r\n", Options{false, true, true, "1", "", "30"}, {}, ""},
        {"-1\r\ntrue\r\nFALSE\r\n a \r\n2.5\r\nabc", Options{true, true, false, " a ", "2.5", "abc"}, {}, ""},
        {"5\r0\r1e3\r1\r2\r3\r", Options{true, false, true, "1", "2", "3"}, {}, ""},  // CR only
        {std::string("0\r\n0\r\n0\r\n\xe9\r\n\0x\r\n0\r\n", 19), Options{false, false, false, "\xe9", std::string("\0x", 2), "0"}, {}, ""},
        {"0\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "62 " + ini + " ends after 5 of its 6 lines." + iniTail},
        {"", {}, {}, "...ends after 0 of its 6 lines."}, {"0\n0\n0\n0\n0\n0\n", {}, {}, "...ends after 1 of its 6 lines."},
        {"0\r\nyes\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "13 " + ini + ", line 2 (\"Clear every Sunday\"), holds \"yes\"; expected True, False or a number." + iniTail},
        {"nope\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "...line 1 (\"Clear Log first of Month\"), holds \"nope\""},
        {"0\r\n0\r\nmaybe\r\n0\r\n0\r\n0\r\n", {}, {}, "...line 3 (\"Alert after:\"), holds \"maybe\""},
        {"0\r\ntru3\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "...\"tru3\""}, {"0\r\nfals[\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "...\"fals[\""},
        {"0\r\n@RUE\r\n0\r\n0\r\n0\r\n0\r\n", {}, {}, "...\"@RUE\""}, {" 86400 \r\n", {}, LogRecord{86400, {}}, ""},
        {"\r\n  -42 \r\n", {}, LogRecord{-42, {}}, ""}, {"5,7\r\n", {}, LogRecord{5, {}}, ""}, {"12 junk\r\n", {}, LogRecord{12, {}}, ""},
        {"-2147483648", {}, LogRecord{INT32_MIN, {}}, ""}, {" 10 \r\n  \r\n", {}, LogRecord{10, {}}, ""},
        {" 10 \r\n2026-12-01\r\n", {}, LogRecord{10, CalendarDate{2026, 12, 1}}, ""}, {" 5 \r\n2026-1-011", {}, bad, line2},
        {" 10 \n\n2026-01-31", {}, LogRecord{10, CalendarDate{2026, 1, 31}}, ""}, {" 5 \r\n26-12-01", {}, bad, line2},
        {" 2147483648 \r\n", {}, bad, "6 " + dat + "2147483648\", which is outside the range of a total (-2147483648 to 2147483647 seconds)." + datTail},
        {"abc\r\n", {}, bad, "13 " + dat + "abc\" where a number of seconds is expected." + datTail},
        {"   \r\n", {}, bad, "...\"\" where a number of seconds is expected."}, {" 5 \r\n2026-13-01", {}, bad, line2},
        {" 5 \r\nsoon\r\n", {}, bad, "13 " + dat + "soon\" on line 2, where the date of the last scheduled clearing (such as 2026-12-06) is expected." + datTail},
        {" 5 \r\n2026-00-10", {}, bad, line2}, {" 5 \r\n2026-12-32", {}, bad, line2}, {" 5 \r\n2026-12-00", {}, bad, line2}};
    // clang-format on
    for (const auto& [bytes, options, record, expected] : cases) {
        const std::string error = ErrorOf([&b = bytes, &o = options, &r = record] {
            if (r) {
                EXPECT_EQ(ParseLog(b, "p"), *r) << b;
                EXPECT_EQ(ParseLog(FormatLog(*r), "p"), *r);
            } else {
                EXPECT_EQ(ParseSettings(b, "p"), o);
                EXPECT_EQ(ParseSettings(FormatSettings(*o), "p"), o);
            }
        });
        const bool hasPart = expected.starts_with("...") && error.find(&expected[3]) != error.npos;
        EXPECT_EQ(hasPart ? expected : error, expected);  // the part found stands for the whole
    }
}

// Every option and both lines of the log loaded and saved; a start that fails writes nothing.
TEST_F(FilesTest, StartCreatesMissingFilesLoadsEveryOptionAndWritesNothingWhenItFails) {
    AppState state{{}, 0, 0, 5, {}};
    const auto openFiles = OpenFiles();
    Write(paths.settings, ""), Write(paths.log, ""), LoadState(state, paths);  // empty = missing
    EXPECT_EQ(Read(paths.settings) + Read(paths.log) + std::to_string(state.totalSeconds),
              "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n 0 \r\n0");
    for (const bool sunday : {true, false}) {
        Write(paths.settings,
              sunday ? "0\r\nTrue\r\n0\r\n1\r\n2\r\n3\r\n" : "True\r\n0\r\n-1\r\n1\r\n2\r\n3\r\n");
        Write(paths.log, " 3600 \r\n2026-12-06\r\n"), LoadState(state, paths);
        EXPECT_EQ(std::tuple(state.options, LogRecordOf(state), state.alertLimitSeconds),
                  std::tuple(Options{!sunday, sunday, !sunday, "1", "2", "3"},
                             LogRecord{3600, CalendarDate{2026, 12, 6}}, 93780));
        EXPECT_EQ(OpenFiles(), openFiles);
        state.totalSeconds = -1, SaveState(state, paths);
        EXPECT_EQ(Read(paths.settings) + Read(paths.log),
                  (sunday ? "False\r\nTrue\r\nFalse" : "True\r\nFalse\r\nTrue") +
                      std::string("\r\n1\r\n2\r\n3\r\n-1 \r\n2026-12-06\r\n"));
    }
    for (const auto& [settings, log, error] :
         {std::tuple{"", "x", "13 The time log file"},
          {"0\r\n0\r\n0\r\n24856\r\n0\r\n0\r\n", "", "6 The alert limit of \"24856\" days"}}) {
        Write(paths.settings, settings), Write(paths.log, log);  // one empty, as if missing
        EXPECT_EQ(ErrorOf([&] { LoadState(state, paths); }).substr(0, strlen(error)), error);
        EXPECT_EQ(Read(paths.settings) + Read(paths.log), std::string(settings) + log);
    }
}

// Each step of a save failing in turn: the file keeps its old bytes and no new file is left.
TEST_F(FilesTest, FailedWriteFlushOrReplaceKeepsTheOldFile) {
    struct FaultyOps : FileOps {
        int failing = 0;  // 1 a short write, 2 the flush, 3 the replace
        PathKind KindOf(const std::string& p) override {
            return failing == 4 ? PathKind::kFile : FileOps::KindOf(p);
        }
        bool WriteAll(std::FILE* f, std::string_view bytes) override {
            return FileOps::WriteAll(f, bytes.substr(0, failing == 1 ? 2 : 9)) && failing != 1;
        }
        bool FlushToDisk(std::FILE* f) override { return failing != 2 && FileOps::FlushToDisk(f); }
        bool Replace(const std::string& s, const std::string& t, std::string& reason) override {
            return failing == 3 ? (reason = "it is in use", false) : FileOps::Replace(s, t, reason);
        }
    } ops;

    const auto error = [&](auto f, const std::string& part) {
        EXPECT_NE(ErrorOf(f).find(part), std::string::npos) << part;
    };
    Write(paths.log, " 1 \r\n");
    for (ops.failing = 1; ops.failing <= 3; ++ops.failing) {
        error([&] { WriteFileAtomically(paths.log, " 2 \r\n", "time log file", ops); },
              "75 The time log file \"" + paths.log + "\" could not be written: " +
                  (ops.failing == 3 ? "it is in use" : "the disk may be full") + kAdvice);
        EXPECT_EQ(Read(paths.log) + std::to_string(fs::exists(paths.log + ".new")), " 1 \r\n0");
        const std::string history = (ops.failing < 3 ? dir / "h" : dir).string();  // 3: a folder
        error([&] { AppendSession(history, {}, ops); }, "The history file");
    }
    ops.failing = 4;  // a path that is no file, said to be one: it cannot be opened or read
    error([&] { ReadWholeFile(paths.settings, "x", ops); }, "could not be opened");
    error([&] { ReadWholeFile(dir.string(), "x", ops); }, "the read failed");
    error([&] { ReadWholeFile(dir.string(), "time log file"); },
          "75 The time log file \"" + dir.string() +
              "\" could not be read: a folder stands where the file should be" + kAdvice);
    error([&] { WriteFileAtomically((dir / "no" / "f").string(), "", "x"); }, "No such file");
    // The system's calls failing: a rename over a folder; a pipe, which cannot be synced.
    fs::create_directory(dir / "d");
    error([&] { WriteFileAtomically((dir / "d").string(), "", "x"); }, "Is a directory");
    int ends[2];
    std::FILE* pipeEnd = pipe(ends) == 0 ? fdopen(ends[1], "w") : nullptr;
    EXPECT_FALSE(pipeEnd && SystemFileOps().FlushToDisk(pipeEnd));
    std::fclose(pipeEnd), close(ends[0]);
}

// A file the user may not write is used from a per-user copy, seeded on first use only.
TEST(DataPaths, FollowThePerUserCopiesLikeWindowsDoes) {
    using Files = std::set<std::string>;
    struct FakeFs : FileSystemProbe {
        Files files, readOnly, folders;
        bool copyWorks = true;
        bool Exists(const std::string& p) override { return files.count(p) > 0; }
        bool CanWrite(const std::string& p) override { return readOnly.count(p) == 0; }
        void CreateFolderOf(const std::string& p) override { folders.insert(p); }
        bool Copy(const std::string&, const std::string& to) override {
            return copyWorks && files.insert(to).second;
        }
    };
    // Files there, read-only ones, copies work; the paths in use | files after | folders made.
    const std::tuple<Files, Files, bool, const char*> cases[] = {
        // clang-format off
        {{}, {}, true, "s l | |"}, {{"s", "l"}, {}, true, "s l | l s |"},  // writable: as they are
        {{}, {"s", "l"}, true, "us ul | | ul us"},  // a standard user's first start: folders made
        {{"s", "l"}, {"s", "l"}, true, "us ul | l s ul us | ul us"},  // old files seed the copies
        {{"s", "l"}, {"s", "l"}, false, "s l | l s | ul us"},  // or stay in use: no start from 0
        {{"s", "l", "ul"}, {}, true, "s ul | l s ul |"},  // once there, a copy is used
        {{"s", "l", "us"}, {"s", "l"}, true, "us ul | l s us | ul"}};  // a deleted one: from 0
    // clang-format on
    for (const auto& [files, readOnly, copyWorks, expected] : cases) {
        FakeFs fs;
        fs.files = files, fs.readOnly = readOnly, fs.copyWorks = copyWorks;
        const DataPaths p = ResolveDataPaths({"s", "l"}, {"us", "ul"}, fs);
        std::string after = p.settings + " " + p.log + " |";
        for (const std::string& f : fs.files) after += " " + f;
        after += " |";
        for (const std::string& f : fs.folders) after += " " + f;
        EXPECT_EQ(after, expected);
    }
}

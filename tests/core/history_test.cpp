#include <gtest/gtest.h>

#include "core/history.h"
#include "file_test_support.h"
#include "store/options_file.h"

// Any span reads (the clock or its zone may change in a session); a count the timer can hold.
TEST(HistoryFile, ReadsTheLinesItCanAndCountsTheOthers) {
    const std::string t = "2026-12-07T10:00:00+01:00,", v = t + "2026-12-07T10:20:00+01:00,",
                      u = v + "5,";
    const std::string good[] = {v + "1200",
                                "2026-12-07T14:00:00+01:00,2026-12-07T08:30:00-05:00,1800",
                                t + "2026-12-07T08:30:00+01:00,1800",
                                t + "2028-01-11T10:00:01+01:00,0",
                                v + "2147483647",
                                u + "Ethernet 2",
                                u + "\"Caf\xc3\xa9, \"\"free\"\"\"",
                                u + "\",\"",  // a connection's name is a CSV field
                                u + "Cell,1,2",
                                v + "5,,0,281474976710656",
                                u + "\"\"\"a,\"\"b\",3,4"};
    // The header older versions wrote, then lines that are no session.
    std::string bytes =
        "start,end,seconds\r\ngarbage\nstart,end,seconds\nstart,end,seconds,connection\n" + t +
        "2026-12-07T10:20:00,5\n";
    for (const std::string bad : {"-1", "2147483648", "", "5,\"open", "5,a\"b", "5,\"a\"b\"",
                                  "5,\"a\"\"", "5,a\rb", "5,Cell,1", "5,Cell,1,2,3", "5,Cell,-1,2",
                                  "5,Cell,1,281474976710657", "5,Cell,1,2x", "5,\"a\"x1,2"})
        bytes += v + bad + "\n";
    for (const std::string& line : good) bytes += line + "\r\n";
    const HistoryRead read = ParseHistory(bytes + good[0]);  // the last cut off while written
    ASSERT_EQ(std::pair(read.sessions.size(), read.skippedLines), std::pair(size_t{11}, 18));
    for (size_t i = 0; i < 11; ++i) EXPECT_EQ(FormatSessionLine(read.sessions[i]), good[i]);
    EXPECT_EQ(read.sessions[6].connection, "Caf\xc3\xa9, \"free\"");
    EXPECT_EQ(
        std::tuple(read.sessions[5].data, read.sessions[10].connection, read.sessions[10].data),
        std::tuple(std::optional<Traffic>(), "\"a,\"b", std::optional(Traffic{3, 4})));
    for (const char* header :
         {"start,end,seconds,connection\r\n", "start,end,seconds,connection,received,sent\n"})
        EXPECT_EQ(ParseHistory(header + good[0] + "\n").skippedLines, 0);
    EXPECT_EQ(FormatSessionLine(ParseHistory(good[5] + "\n").sessions.at(0)), good[5]);
    EXPECT_EQ(HistoryFileText("h", 0) + HistoryFileText("", 1) + HistoryFileText("", 2),
              "Kept in \"h\".Kept in \"\". 1 line of it could not be read and was left out.Kept "
              "in \"\". 2 lines of it could not be read and were left out.");
    const std::string split = FormatSessionLine({{}, {}, 1, "a\r\nb"});  // no line end
    EXPECT_EQ(split.substr(split.rfind(',') - 1), "1,a  b");
}

// Split at local midnight by the clock time passed, a session once a month, none of 0 s listed.
TEST(UsageTable, SplitsSessionsByLocalDayAndMonth) {
    UsageTable table;
    for (const char* line :
         {"2026-11-30T23:00:00+01:00,2026-12-01T02:00:00+01:00,10799,Cell,9000,900",
          "2026-12-01T20:00:00+01:00,2026-12-01T20:00:10+01:00,10",
          "2026-10-25T02:50:00+02:00,2026-10-25T02:10:00+01:00,1",  // summer time's end
          "2026-12-06T12:00:00+01:00,2026-12-06T12:00:00+01:00,0,Cell",
          "2026-10-31T23:00:00+01:00,2026-11-01T00:00:00+01:00,3600,Cell",  // to midnight
          "2026-12-31T23:59:59+01:00,2027-01-02T00:00:01+01:00,86402"})
        table.Add(ParseSessionLine(line).value());
    const auto rows = [](const std::vector<DatedUsage>& usage) {
        std::string text;
        for (const DatedUsage& u : usage)
            text += std::to_string(u.date.month) + "-" + std::to_string(u.date.day) + " " +
                    std::to_string(u.usage.seconds) + " " + std::to_string(u.usage.sessions) + "|";
        return text;
    };
    const auto connections = [&](const CalendarDate& first, const CalendarDate& last) {
        return ConnectionsText(table.ByConnection(first, last)) + "|";
    };
    EXPECT_EQ(rows(table.RecentDays(31)) + " " + rows(table.RecentMonths(24)),
              "1-2 1 1|1-1 86400 1|12-31 1 1|12-1 7209 2|11-30 3600 1|10-31 3600 1|10-25 1 1| "
              "1-1 86401 1|12-1 7210 4|11-1 3600 1|10-1 3601 2|");
    EXPECT_EQ(connections({2026, 10, 25}, {2026, 12, 5}) +
                  connections({2026, 10, 25}, {2026, 10, 25}) +
                  connections({2026, 12, 6}, {2026, 12, 6}),
              "Cell 3:59:59 (9.7 KB + unknown), dial-up 0:00:11|dial-up 0:00:01||");
    EXPECT_EQ(
        DaysAsCsv({{{2026, 12, 1}, {7209, 2, {5, 6}}}, {{2026, 1, 5}, {3599000, 1, {}, 1}}}, table),
        "date,online time,seconds,sessions,connections,received,sent\r\n2026-12-01,2:00:09,7209,2,"
        "\"Cell 1:59:59 (6.4 KB), dial-up 0:00:10\",5,6\r\n2026-01-05,999:43:20,3599000,1,,,\r\n");
    std::string scales;  // the data chart's: at least 1 KB, at most 1000 TB, five steps at most
    for (const int64_t most :
         std::vector<int64_t>{0, 7000, 11264, 256000, 1000 << 20, (1000 << 20) + 1, INT64_MAX}) {
        const ByteScale scale = ScaleOfBytes(most);
        scales += std::to_string(scale.step);
        for (const std::string& label : scale.labels) scales += "," + label;
        scales += " | ";
    }
    EXPECT_EQ(scales,
              "1024,0,1 KB | 2048,0,2 KB,4 KB,6 KB,8 KB | 5120,0,5 KB,10 KB,15 KB | 51200,0,50 "
              "KB,100 KB,150 KB,200 KB,250 KB | 209715200,0,200 MB,400 MB,600 MB,800 MB,1000 MB | "
              "1073741824,0,1 GB | 219902325555200,0,200 TB,400 TB,600 TB,800 TB,1000 TB | ");
}

// A session not appended waits, through a crash, to be appended once, and only once.
TEST_F(FilesTest, HistoryGetsEverySessionOnceWhateverHoldsItsFiles) {
    const HistoryPaths files{(dir / "history.csv").string(), (dir / "session.csv").string(), ""};
    FaultyOps ops;
    const auto at = [d = CalendarDate{2026, 12, 7}](int m, int s = 20) {
        return SessionRecord{{d, 10, m, 0, 60}, {d, 10, m, s, 60}, s, "Wi-Fi, \"5G\""};
    };
    HistoryRecorder recorder(files, ops);
    recorder.Recover(), recorder.Checkpoint(at(0, 0));
    recorder.Record(at(0, 0)), recorder.Record(at(0));  // in the same second
    const std::string before = std::to_string(Read(files.history).size());
    ops.cut = 60, recorder.Record(at(1)), ops.cut = 0;
    EXPECT_EQ(recorder.Problem().substr(0, 16), "1 session waits ");
    ops.held = true, recorder.Checkpoint(at(5)), recorder.Record(at(5));
    EXPECT_EQ(Read(files.session), FormatSessionLine(at(1)) + "\r\n" + FormatSessionLine(at(5)) +
                                       "\r\nhistory-bytes=" + before + "\r\n");
    const std::string waits = " sessions wait to be added to it: The history file \"" +
                              files.history +
                              "\" could not be written: another program has it open. The timer "
                              "adds them as soon as the file can be written.";
    ops.full = true, recorder.Checkpoint(at(9));
    EXPECT_EQ(recorder.Problem(), "2" + waits + " The history file \"" + files.session +
                                      "\" could not be written: the disk is full" + kAdvice);
    ops.full = false, recorder.Checkpoint(at(9));
    EXPECT_EQ(recorder.Problem(), "2" + waits);
    HistoryRecorder afterCrash(files, ops);
    afterCrash.Recover();
    ops.held = false, ops.removeFails = true;  // and its file stays, as at a crash
    afterCrash.Flush();
    EXPECT_EQ(afterCrash.Problem(), "");
    afterCrash.Checkpoint(at(20)), ops.full = true, afterCrash.Record(at(20, 50));
    HistoryRecorder(files).Recover();
    EXPECT_EQ(LoadHistory(files.history).sessions,
              std::vector({at(0, 0), at(0), at(1), at(5), at(9), at(20, 50)}));
    // As a crash leaves them: the one that waits and a later one in; one of the same start not.
    const std::string length = std::to_string(Read(files.history).size());
    std::ofstream(files.history, std::ios::app) << FormatSessionLine(at(30, 5)) << "\r\n"
                                                << FormatSessionLine(at(40)) << "\r\n";
    for (const SessionRecord& waiting : {at(30, 5), at(30)}) {
        Write(files.session, FormatSessionLine(waiting) + "\r\nhistory-bytes=" + length + "\r\n");
        HistoryRecorder(files).Recover();
    }
    const auto tail = LoadHistory(files.history).sessions;
    EXPECT_EQ(std::vector(tail.end() - 3, tail.end()), std::vector({at(30, 5), at(40), at(30)}));
    // Two of one start, the second in progress: the first goes in, then the second once let.
    Write(files.session, FormatSessionLine(at(50, 0)) + "\r\n" + FormatSessionLine(at(50)) +
                             "\r\nhistory-bytes=" + std::to_string(Read(files.history).size()) +
                             ",in-progress\r\n");
    HistoryRecorder twice(files, ops);
    ops.heldAfter = 1, twice.Recover(), ops.held = false, twice.Flush();
    const auto last = LoadHistory(files.history).sessions;
    EXPECT_EQ(std::vector(last.end() - 2, last.end()), std::vector({at(50, 0), at(50)}));
    // Read beside the running program: what waits and is not in the history, in progress apart.
    Write(files.history, FormatSessionLine(at(55)) + "\r\n");
    std::string seen;
    for (const char* kept : {"0,in-progress", "9999"}) {
        Write(files.session, FormatSessionLine(at(55)) + "\r\n" + FormatSessionLine(at(56)) +
                                 "\r\n" + FormatSessionLine(at(57)) + "\r\nhistory-bytes=" + kept);
        ReadOnlyFileOps reader;
        const HistorySnapshot s = ReadHistorySnapshot(files, reader);
        for (const SessionRecord& w : s.waiting) seen += std::to_string(w.start.minute) + " ";
        seen += (s.inProgress ? std::to_string(s.inProgress->start.minute) : "-") +
                std::to_string(s.history.sessions.size()) + "|";
    }
    EXPECT_EQ(seen, "56 571|55 56 57 -1|");
    const HistoryPaths folder{dir.string(), files.session, ""};
    HistoryRecorder unreadableHistory(folder);
    const bool flushed = unreadableHistory.Flush();  // and nothing waits: nothing to say
    EXPECT_EQ(std::to_string(flushed) + unreadableHistory.Problem(), "1");
    MoreOptions options;  // the options beside the history, saved and read back
    options.counted = {CountedKind::kChosen, ConnectionSource::kNetwork, "Home"};
    SaveMoreOptions(options, (dir / "options.ini").string());
    EXPECT_EQ(LoadMoreOptions((dir / "options.ini").string()), options);
    fs::remove(files.session), fs::create_directory(files.session);  // what waits cannot be read
    HistoryRecorder unreadable(files);
    unreadable.Recover();
    EXPECT_EQ(unreadable.Problem().substr(unreadable.Problem().find("could not")),
              "could not be read: a folder stands where the file should be" + kAdvice);
}

#include <gtest/gtest.h>

#include "core/history.h"

namespace {

SessionRecord Session(const char* start, const char* end, int64_t seconds) {
    return {ParseLocalTime(start).value(), ParseLocalTime(end).value(), seconds};
}

}  // namespace

TEST(LocalTime, IsoTextWithTheOffsetBothWays) {
    for (const int offset : {-840, -270, -1, 0, 59, 840})
        EXPECT_EQ(ParseLocalTime(FormatLocalTime({{2024, 2, 29}, 4, 5, 6, offset})),
                  (LocalTime{{2024, 2, 29}, 4, 5, 6, offset}));
    EXPECT_EQ(FormatLocalTime({{2026, 3, 9}, 4, 5, 6, -270}) + FormatLocalTime({{1, 1, 1}}),
              "2026-03-09T04:05:06-04:300001-01-01T00:00:00+00:00");
    for (const char* bad :
         {"2026-02-29T00:00:00+01:00", "2026-13-01T00:00:00+01:00", "2026-12-00T00:00:00+01:00",
          "2026-12-07T24:00:00+01:00", "2026-12-07T12:60:00+01:00", "2026-12-07T12:00:60+01:00",
          "2026-12-07T12:00:00+14:01", "2026-12-07T12:00:00-14:01", "2026-12-07 12:00:00+01:00",
          "2026-12-07T12:00:00+0100", "2026-12-07T12:00:0x+01:00", "2026-12-07T12:00:00*01:00",
          "X026-12-07T12:00:00+01:00", "2026-12-07T12:00:/0+01:00"})
        EXPECT_EQ(ParseLocalTime(bad), std::nullopt) << bad;
}

// A session may end up to an hour before it began (summer time ended) and last up to 400 days.
TEST(HistoryFile, ReadsTheLinesItCanAndCountsTheOthers) {
    const char* t = "2026-12-07T10:00:00+01:00,";
    const std::string good[] = {std::string(t) + "2026-12-07T10:20:00+01:00,1200",
                                "2026-10-25T02:50:00+02:00,2026-10-25T01:50:00+01:00,34560000",
                                std::string(t) + "2028-01-11T10:00:00+01:00,1"};
    const std::string bad[] = {std::string(t) + "2026-12-07T10:20:00+01:00,-5",
                               "garbage",
                               "2026-10-25T02:50:00+02:00,2026-10-25T01:49:59+01:00,1",
                               std::string(t) + "2028-01-11T10:00:01+01:00,1",
                               std::string(t) + "2026-12-07T10:20:00+01:00,34560001",
                               std::string(t) + "2026-12-07T10:20:00+01:00,",
                               std::string(t) + "2026-12-07T10:20:00,5",
                               "start,end,seconds"};
    std::string bytes = good[0] + "\r\n";  // no header: a line like any other
    for (const std::string& line : bad) bytes += line + "\n";
    for (const std::string& line : good) bytes += line + "\r\n";
    const HistoryRead read = ParseHistory(bytes + good[0]);  // the last cut off while written
    ASSERT_EQ(read.sessions.size(), 4u);
    EXPECT_TRUE(read.skippedLines == 8 && read.sessions[2].seconds == 34560000);
    EXPECT_EQ(FormatSessionLine(read.sessions[0]), good[0]);
    EXPECT_EQ(ParseHistory("start,end,seconds\n").skippedLines, 0);
}

TEST(UsageTable, SplitsSessionsByLocalDayAndMonth) {
    UsageTable table;
    // 23:00 to 02:00 over a month's end, with half an hour asleep: 3:1 by clock time.
    table.Add(Session("2026-11-30T23:00:00+01:00", "2026-12-01T02:00:00+01:00", 9000));
    table.Add(Session("2026-12-01T08:00:00+01:00", "2026-12-01T08:00:10+01:00", 10));
    table.Add(Session("2026-10-25T02:50:00+02:00", "2026-10-25T02:10:00+01:00", 1));
    table.Add(Session("2026-12-05T19:00:00+01:00", "2026-12-05T23:00:00+01:00", 14400));
    table.Add(Session("2026-12-06T12:00:00+01:00", "2026-12-06T12:00:00+01:00", 0));
    using D = DatedUsage;
    EXPECT_EQ(table.RecentDays(31),
              (std::vector{D{{2026, 12, 5}, {14400, 1}}, D{{2026, 12, 1}, {6010, 2}},
                           D{{2026, 11, 30}, {3000, 1}}, D{{2026, 10, 25}, {1, 1}}}));
    EXPECT_EQ(table.RecentDays(1).size(), 1u);
    EXPECT_EQ(table.RecentMonths(24),
              (std::vector{D{{2026, 12, 1}, {20410, 4}}, D{{2026, 11, 1}, {3000, 1}},
                           D{{2026, 10, 1}, {1, 1}}}));
    EXPECT_EQ(table.DailySeconds({2026, 12, 2}, 4), (std::vector<int64_t>{0, 3000, 6010, 0}));
    table.Add(Session("2026-12-31T23:59:59+01:00", "2027-01-02T00:00:01+01:00", 86402));
    EXPECT_EQ(table.DailySeconds({2027, 1, 2}, 3), (std::vector<int64_t>{1, 86400, 1}));
    EXPECT_EQ(table.RecentMonths(1)[0], (D{{2027, 1, 1}, {86401, 1}}));
    EXPECT_EQ(DaysAsCsv({{{2026, 12, 7}, {3600000, 3}}, {{2026, 1, 5}, {3599000, 1}}}),
              "date,online time,seconds,sessions\r\n2026-12-07,1000:00:00,3600000,3\r\n"
              "2026-01-05,999:43:20,3599000,1\r\n");
}

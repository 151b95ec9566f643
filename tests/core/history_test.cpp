#include <gtest/gtest.h>

#include "core/history.h"

namespace {

LocalTime At(const char* text) {
    return ParseLocalTime(text).value();
}

SessionRecord Session(const char* start, const char* end, int64_t seconds) {
    return {At(start), At(end), seconds};
}

}  // namespace

TEST(LocalTime, IsoTextWithTheOffsetBothWays) {
    const LocalTime t{{2026, 3, 9}, 4, 5, 6, -270};
    EXPECT_EQ(FormatLocalTime(t), "2026-03-09T04:05:06-04:30");
    EXPECT_EQ(ParseLocalTime("2026-03-09T04:05:06-04:30"), t);
    EXPECT_EQ(At("2024-02-29T23:59:59+14:00").utcOffsetMinutes, 840);
    for (const char* bad :
         {"2026-02-29T00:00:00+01:00", "2026-13-01T00:00:00+01:00", "2026-12-00T00:00:00+01:00",
          "2026-12-07T24:00:00+01:00", "2026-12-07T12:60:00+01:00", "2026-12-07T12:00:60+01:00",
          "2026-12-07T12:00:00+14:01", "2026-12-07T12:00:00-14:01", "2026-12-07 12:00:00+01:00",
          "2026-12-07T12:00:00+0100", "2026-12-07T12:00:0x+01:00", "2026-12-07T12:00:00*01:00"})
        EXPECT_EQ(ParseLocalTime(bad), std::nullopt) << bad;
}

TEST(HistoryFile, ReadsTheLinesItCanAndCountsTheOthers) {
    const std::string bytes =
        "start,end,seconds\r\n"
        "2026-12-07T10:00:00+01:00,2026-12-07T10:20:00+01:00,1200\r\n"
        "2026-12-07T10:00:00+01:00,2026-12-07T10:20:00+01:00,-5\r\n"
        "garbage\n"
        "2026-10-25T02:50:00+02:00,2026-10-25T02:10:00+01:00,1200\n"  // summer time ended
        "2026-10-25T04:00:00+01:00,2026-10-25T02:59:59+01:00,1\r\n"
        "2026-01-01T00:00:00+01:00,2027-03-01T00:00:00+01:00,60\r\n"
        "2026-12-07T10:00:00+01:00,2026-12-07T10:20:00+01:00,12345678901\r\n"
        "2026-12-07T11:00:00+01:00,2026-12-07T11:00:09+01:00,9";  // cut off while written
    const HistoryRead read = ParseHistory(bytes);
    EXPECT_EQ(
        read.sessions,
        (std::vector{Session("2026-12-07T10:00:00+01:00", "2026-12-07T10:20:00+01:00", 1200),
                     Session("2026-10-25T02:50:00+02:00", "2026-10-25T02:10:00+01:00", 1200)}));
    EXPECT_EQ(read.skippedLines, 5);
    EXPECT_EQ(ParseHistory("start,end,seconds\n").skippedLines, 0);
}

TEST(UsageTable, SplitsSessionsByLocalDayAndMonth) {
    UsageTable table;
    // 23:00 to 02:00 over a month's end, with half an hour asleep: 3:1 by clock time.
    table.Add(Session("2026-11-30T23:00:00+01:00", "2026-12-01T02:00:00+01:00", 9000));
    table.Add(Session("2026-12-01T08:00:00+01:00", "2026-12-01T08:00:10+01:00", 10));
    table.Add(Session("2026-10-25T02:50:00+02:00", "2026-10-25T02:10:00+01:00", 1200));
    table.Add(Session("2026-12-03T12:00:00+01:00", "2026-12-03T12:00:00+01:00", 0));
    using D = DatedUsage;
    EXPECT_EQ(table.RecentDays(31),
              (std::vector{D{{2026, 12, 1}, {6010, 2}}, D{{2026, 11, 30}, {3000, 1}},
                           D{{2026, 10, 25}, {1200, 1}}}));
    EXPECT_EQ(table.RecentDays(1).size(), 1u);
    EXPECT_EQ(table.RecentMonths(24),
              (std::vector{D{{2026, 12, 1}, {6010, 3}}, D{{2026, 11, 1}, {3000, 1}},
                           D{{2026, 10, 1}, {1200, 1}}}));
    EXPECT_EQ(table.DailySeconds({2026, 12, 2}, 4), (std::vector<int64_t>{0, 3000, 6010, 0}));
    table.Add(Session("2026-12-31T23:59:59+01:00", "2027-01-02T00:00:01+01:00", 86402));
    EXPECT_EQ(table.DailySeconds({2027, 1, 2}, 3), (std::vector<int64_t>{1, 86400, 1}));
    EXPECT_EQ(table.RecentMonths(1)[0], (D{{2027, 1, 1}, {86401, 1}}));
}

TEST(UsageTable, DayTableAsCsv) {
    EXPECT_EQ(DaysAsCsv({{{2026, 12, 7}, {90061, 3}}, {{2026, 1, 5}, {59, 1}}}),
              "date,online time,seconds,sessions\r\n2026-12-07,25:01:01,90061,3\r\n"
              "2026-01-05,0:00:59,59,1\r\n");
}

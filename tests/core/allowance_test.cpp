#include <gtest/gtest.h>

#include <map>

#include "core/allowance.h"
#include "store/options_file.h"

using enum AllowancePeriod;

// A start day past a month's end stands for its last day; the days used count up to today.
TEST(Allowance, PeriodsStartOnTheirDayOrAShortMonthsLastAndCountTheirDaysUpToToday) {
    // The period, its start day (also the weekday), today; the first day and the next period's.
    const std::tuple<AllowancePeriod, int, CalendarDate, CalendarDate, CalendarDate> cases[] = {
        // clang-format off
        {kMonth, 31, {2024, 3, 1}, {2024, 2, 29}, {2024, 3, 31}}, {kMonth, 31, {2023, 3, 30}, {2023, 2, 28}, {2023, 3, 31}},
        {kMonth, 31, {2026, 5, 1}, {2026, 4, 30}, {2026, 5, 31}}, {kMonth, 30, {2026, 2, 28}, {2026, 2, 28}, {2026, 3, 30}},
        {kMonth, 15, {2026, 12, 20}, {2026, 12, 15}, {2027, 1, 15}}, {kMonth, 15, {2027, 1, 14}, {2026, 12, 15}, {2027, 1, 15}},
        {kWeek, 2, {2027, 1, 1}, {2026, 12, 28}, {2027, 1, 4}}, {kWeek, 2, {2026, 12, 28}, {2026, 12, 28}, {2027, 1, 4}},
        {kWeek, 1, {2026, 1, 10}, {2026, 1, 4}, {2026, 1, 11}}, {kDay, 1, {2024, 12, 31}, {2024, 12, 31}, {2025, 1, 1}}};
    for (const auto& [period, start, today, first, next] : cases)
        EXPECT_EQ(PeriodOf({period, 3600, start, start, 80}, today), (Period{first, next})) << start << " " << today.month << "/" << today.day;
    UsageTable table;  // over midnight into the month's first day, a day after today, a 25-hour day
    for (const auto& [from, to, seconds] : {std::tuple{"2026-12-14T23:00:00+01:00", "2026-12-15T01:00:00+01:00", 7200},
         {"2026-12-20T10:00:00+01:00", "2026-12-20T10:10:00+01:00", 600}, {"2026-12-21T10:00:00+01:00", "2026-12-21T10:10:00+01:00", 900},
         {"2026-10-25T00:00:00+02:00", "2026-10-25T23:59:00+01:00", 89940}})
        table.Add({*ParseLocalTime(from), *ParseLocalTime(to), seconds, ""});
    const Period month{{2026, 12, 15}, {2027, 1, 15}}, week{{2026, 10, 19}, {2026, 10, 26}};
    EXPECT_EQ(std::tuple(UsedIn(table, month, {2026, 12, 15}), UsedIn(table, month, {2026, 12, 20}), UsedIn(table, week, {2026, 10, 25})),
              std::tuple(3600, 4200, 89940));  // clang-format on
}

// Each share once a period, across restarts; raised, it re-arms what it no longer reaches.
TEST(Allowance, WarnsOncePerPeriodOfEachShareReached) {
    const Period p{{2026, 12, 14}, {2026, 12, 21}}, next{{2026, 12, 21}, {2026, 12, 28}};
    // The allowance (warning at 80 %), the seconds used, the period; the share warned of.
    const std::tuple<Allowance, int64_t, Period, std::optional<int>> steps[] = {
        // clang-format off
        {{kWeek, 36000}, 28799, p, {}}, {{kWeek, 36000}, 28800, p, 80}, {{kWeek, 36000}, 28800, p, {}}, {{kWeek, 36000}, 35999, p, {}},
        {{kWeek, 36000}, 36000, p, 100}, {{kWeek, 36000}, 40000, p, {}}, {{kWeek, 72000}, 40000, p, {}}, {{kWeek, 72000}, 57600, p, 80},
        {{kMonth, 36000}, 57600, p, 100}, {{kWeek, 36000, 2, 1, 1}, 360, next, 1}, {{kWeek, 36000}, 0, next, {}}, {{kWeek, 36000}, 20000, next, {}}, {{kWeek, 18000}, 20000, next, 100},
        {{kWeek, 18000}, 20000, next, {}}, {{kWeek, 0}, 99, p, {}}, {{kWeek, 1}, 1, p, 100}, {{kOff, 1}, 1, next, {}}, {{kDay, 1}, 1, next, 100}, {{kDay, 72000}, 1, next, {}}};
    // clang-format on
    std::optional<AllowanceWarning> last;
    for (const auto& [allowance, used, period, due] : steps) {
        last = ParseMoreOptions(FormatMoreOptions({{}, last, {}, ""})).lastWarning;
        EXPECT_EQ(WarningDue(allowance, used, period, last), due) << used;
    }
    EXPECT_EQ(last->percent, 0);  // nothing reached is recorded as such
}

TEST(Allowance, LineAndForecastFromThePaceSoFar) {
    // clang-format off
    EXPECT_EQ(AllowanceLine({kDay, 7200}, 4980, 0) + AllowanceLine({kOff, 60}, 0, 0) + "|" + AllowanceLine({kWeek, 0}, 300, 7199) + "|" +
              AllowanceLine({kMonth, 144000}, 43500, 4980), "Today: 1:23 of 2:00 (69 %)|This week: 0:05 of 0:00 (30000 %) - today 1:59|"
              "This month: 12:05 of 40:00 (30 %) - today 1:23");
    // The allowance (weeks from Monday), the seconds used, today and the seconds into it.
    const std::tuple<Allowance, int64_t, CalendarDate, int, const char*> cases[] = {
        {{kDay, 7200}, 7200, {2026, 12, 14}, 0, "the allowance is used up"}, {{kDay, 7200}, 1800, {2026, 12, 14}, 0, "1:30 left today"},
        {{kWeek, 36000}, 3000, {2026, 12, 14}, 3599, "1:18 a day left"}, {{kWeek, 36000}, 3000, {2026, 12, 14}, 3600, "at this pace 140:00 by 20 December"},
        {{kWeek, 36000}, 6000, {2026, 12, 15}, 14400, "1:23 a day left"}, {{kWeek, 504000}, 3000, {2026, 12, 14}, 3600, "19:52 a day left"},
        {{kMonth, 129600, 2, 15}, 44323, {2026, 12, 25}, 0, "at this pace 38:10 by 14 January"}, {{kWeek, 144000}, 90000, {2026, 10, 25}, 89000, "15:00 a day left"}};  // clang-format on
    for (const auto& [a, used, today, into, text] : cases)
        EXPECT_EQ(AllowanceForecast(a, used, PeriodOf(a, today), today, into), text) << used;
}

TEST(Allowance, InputReadOrRefusedSayingWhichBoxIsWrong) {
    // clang-format off
    const std::string hours = "The hours must be a whole number of 0 or more, such as 40.", day = "The day a month starts on must be from 1 to 31.",
        minutes = "The minutes must be a whole number of 0 or more, such as 30.", share = "The warning share must be from 1 to 99 %.",
        zero = "An allowance of 0 hours and 0 minutes leaves no time: type at least 1 minute, or choose no allowance.", most = "An allowance per ";
    // The period and the boxes: hours, minutes, the month's start day, the share.
    const std::tuple<AllowancePeriod, const char*, const char*, const char*, const char*, std::variant<Allowance, std::string>> cases[] = {
        {kWeek, " 40 ", "\t0", "", "80", Allowance{kWeek, 144000, 3, 1, 80}}, {kDay, "24", "0", "x", "99", Allowance{kDay, 86400, 3, 1, 99}},
        {kMonth, "744", "0", "31", "1", Allowance{kMonth, 2678400, 3, 31, 1}}, {kMonth, "0", "90", "1", "80", Allowance{kMonth, 5400, 3, 1, 80}},
        {kDay, "24", "1", "", "80", most + "day can hold at most 24 hours."}, {kWeek, "168", "1", "", "80", most + "week can hold at most 168 hours."},
        {kMonth, "99999999999999999999", "0", "1", "80", most + "month can hold at most 744 hours."}, {kWeek, "", "30", "", "80", hours},
        {kWeek, "4x", "", "", "80", hours}, {kWeek, "-1", "0", "", "80", hours}, {kWeek, "1", " ", "", "80", minutes}, {kWeek, "1", "1.5", "", "80", minutes},
        {kWeek, "0", " 0 ", "", "80", zero}, {kMonth, "1", "0", "0", "80", day}, {kMonth, "1", "0", "32", "80", day}, {kWeek, "1", "0", "", "0", share},
        {kWeek, "1", "0", "", "100", share}, {kOff, "", "x", "0", "100", Allowance{kOff, 0, 3, 1, 80}}, {kOff, "2", "30", "15", "90", Allowance{kOff, 9000, 3, 15, 90}}};
    // clang-format on
    for (const auto& [period, h, m, start, warn, expected] : cases)
        EXPECT_EQ(AllowanceFromInput(period, 3, h, m, start, warn), expected) << h << "/" << m;
}

// Read, and read again as written; the ends of each range read, one past them does not.
TEST(Allowance, OptionsFileKeepsUnknownLinesAndDefaultsWhatDoesNotRead) {
    std::string lows, highs;
    // clang-format off
    for (const auto& [key, below, low, high, above] : {std::tuple{"allowance-seconds=", "-1", "0", "2678400", "2678401"},
         {"week-starts=", "0", "1", "7", "8"}, {"month-starts=", "0", "1", "31", "32"}, {"warn-percent=", "0", "1", "99", "100"},
         {"last-warning=2026-01-05,", "-1", "0", "100", "101"}}) {  // clang-format on
        lows += std::string(key) + high + "\n" + key + low + "\n" + key + below + "\n";
        highs += std::string(key) + low + "\n" + key + high + "\n" + key + above + "\n";
    }
    // The bytes; the options they hold, as written.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {lows + "count=only\ncount-id={G}\ncount-source=adapter\ncount-name=Caf\xc3\xa9, \"5G\"\n", "allowance=off\r\nallowance-seconds=0\r\nweek-starts=1\r\nmonth-starts=1\r\n"
         "warn-percent=1\r\ncount=only\r\ncount-source=adapter\r\ncount-name=Caf\xc3\xa9, \"5G\"\r\ncount-id={G}\r\nlast-warning=2026-01-05,0\r\n"},
        {highs + "count=metered\ncount-name=x\n", "allowance=off\r\nallowance-seconds=2678400\r\nweek-starts=7\r\nmonth-starts=31\r\nwarn-percent=99\r\ncount=metered\r\nlast-warning=2026-01-05,100\r\n"},
        {"allowance=week\r\nallowance-seconds=144000\r\nfoo=bar\r\n; x\nweek-starts=1\nlast-warning=2026-12-14,80\r\nbare\ncount=internet",
         "allowance=week\r\nallowance-seconds=144000\r\nweek-starts=1\r\nmonth-starts=1\r\nwarn-percent=80\r\ncount=internet\r\nlast-warning=2026-12-14,80\r\nfoo=bar\r\n; x\r\nbare\r\n"},
        {"allowance=weekly\r\nweek-starts=3x\r\nmonth-starts= 3\r\nlast-warning=2026-02-29,80\r\nlast-warning=2026-01-05\r\ncount=only\r\ncount-source=ras",
         "allowance=off\r\nallowance-seconds=0\r\nweek-starts=2\r\nmonth-starts=1\r\nwarn-percent=80\r\ncount=dial-up\r\n"},
        {"count=only\ncount-source=network\ncount-name=Home\ncount-id={G}\ncount=Only", "allowance=off\r\nallowance-seconds=0\r\nweek-starts=2\r\nmonth-starts=1\r\n"
         "warn-percent=80\r\ncount=only\r\ncount-source=network\r\ncount-name=Home\r\n"}};  // clang-format on
    const auto again = [](const std::string& b) { return FormatMoreOptions(ParseMoreOptions(b)); };
    for (const auto& [bytes, written] : cases)
        EXPECT_EQ(std::pair(again(bytes), again(written)), std::pair(written, written)) << bytes;
    EXPECT_EQ(ParseMoreOptions("count=metered\ncount-name=x").counted.name,
              "");  // checked in the menu
}

// What the icon, its tip and the History window show: the history with the session in progress
// (its part of today only), a warning once a share is reached, saying the share really used.
TEST(Allowance, ViewOfTheHistoryAndTheSessionInProgress) {
    UsageTable history;
    history.Add({*ParseLocalTime("2026-12-06T10:00:00+01:00"),
                 *ParseLocalTime("2026-12-06T11:00:00+01:00"), 3600, ""});
    const SessionRecord current{*ParseLocalTime("2026-12-06T23:00:00+01:00"), {}, 7200, "Cell"};
    const LocalTime now = *ParseLocalTime("2026-12-07T01:00:00+01:00");
    const std::optional<AllowanceWarning> warned = AllowanceWarning{{2026, 12, 7}, 80};
    const auto Text = [](const std::optional<AllowanceWarning>& w) {
        const std::string line = FormatMoreOptions({{}, w, {}, ""});
        return line.substr(line.find("last-warning=") + 13, line.size() - line.find("last-") - 15);
    };
    // The allowance, the session in progress, the last warning; what is shown.
    const std::tuple<Allowance, std::optional<SessionRecord>, std::optional<AllowanceWarning>,
                     std::string>
        cases[] = {
            {{kDay, 3600},
             current,
             {},
             "100 Today: 1:00 of 1:00 (100 %) 3600 The allowance is used up.|2026-12-07,100"},
            {{kDay, 4000},
             current,
             {},
             "90 Today: 1:00 of 1:06 (90 %) 4000 You have used 90 % of the "
             "allowance.|2026-12-07,80"},
            {{kDay, 4000}, current, warned, "90 Today: 1:00 of 1:06 (90 %) 4000 |2026-12-07,80"},
            {{kWeek, 36000, 1},
             {},
             {},
             "10 This week: 1:00 of 10:00 (10 %) - today 0:00 0 |2026-12-06,0"},
            {{kOff, 36000}, current, warned, "-1  0 |2026-12-07,80"}};
    for (const auto& [allowance, session, last, shown] : cases) {
        const AllowanceView v = ViewAllowance(allowance, history, session, now, last);
        const std::string warning = v.warning.substr(0, v.warning.find('\n'));
        EXPECT_EQ(std::to_string(v.percent) + " " + v.line + " " + std::to_string(v.dailyLimit) +
                      " " + warning + "|" + Text(v.lastWarning),
                  shown);
    }
    const AllowanceView week = ViewAllowance({kWeek, 36000, 1}, history, {}, now, {});
    EXPECT_EQ(week.details, week.line + "; 1:30 a day left");
    EXPECT_EQ(StatusLines("RAS", week.line) + "|" + StatusLines("RAS", "") + "|" +
                  StatusLines("", week.line),
              "Not counting: Windows is not answering (RAS)\n" + week.line +
                  "|Not counting: Windows is not answering (RAS)|" + week.line);
}

// A bar over the icon's foot (a quarter, four rows at least, all of a smaller one), outlined,
// filled by share and range; nothing drawn outside the icon.
TEST(Allowance, ShareBarDrawnOverTheIconsFoot) {
    const std::map<uint32_t, char> names = {{7, '.'},          {0xFF000000, 'K'},
                                            {0xFFFFFFFF, 'W'}, {0xFF0078D7, 'B'},
                                            {0xFFFFAA00, 'A'}, {0xFFDC0000, 'R'}};
    const auto name = [&](uint32_t pixel) { return names.contains(pixel) ? names.at(pixel) : '?'; };
    for (const auto& [height, top, percent, row] : {std::tuple{8, 4, -5, "KWWWWWWWWK"},
                                                    {16, 12, 79, "KBBBBBBWWK"},
                                                    {40, 30, 80, "KAAAAAAWWK"},
                                                    {40, 30, 99, "KAAAAAAAWK"},
                                                    {16, 12, 100, "KRRRRRRRRK"},
                                                    {16, 12, 150, "KRRRRRRRRK"},
                                                    {3, 0, 0, "KWWWWWWWWK"}}) {
        std::vector<uint32_t> icon(static_cast<size_t>(10 * height + 20),
                                   7);  // and a row either side
        DrawShareBar(icon.data() + 10, 10, height, percent, 80);
        std::string seen;
        for (int y : {top - 1, top, top + 1, height - 1, height})
            for (int x = 0; x < 10; ++x) seen += name(icon[static_cast<size_t>((y + 1) * 10 + x)]);
        EXPECT_EQ(seen, ".........." + std::string(10, 'K') + row + "KKKKKKKKKK..........")
            << height << " " << percent;
    }
}

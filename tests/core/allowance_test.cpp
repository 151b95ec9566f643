#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/allowance.h"
#include "store/options_file.h"

using enum AllowancePeriod;
using enum DataUnit;

static CalendarDate Day(const std::string& text) {  // "2026-12-07"
    return ParseLocalTime(text + "T00:00:00+00:00").value().date;
}

static std::string Lines(std::string text) {  // "a|b|" as the file's "a\r\nb\r\n"
    for (size_t at = 0; (at = text.find('|', at)) != text.npos;) text.replace(at, 1, "\r\n");
    return text;
}

// The week from Monday, the month from the 1st, warned at 80 %.
static Allowance Data(AllowancePeriod period, int64_t seconds, int64_t bytes, DataUnit unit = kGB,
                      bool hangUp = false) {
    return {period, seconds, 2, 1, 80, bytes, unit, hangUp};
}

TEST(Allowance, PeriodsStartOnTheirDayOrAShortMonthsLast) {
    // The period, the day it starts on (of the month or week), today; the first and the next's.
    const std::tuple<AllowancePeriod, int, const char*, const char*, const char*> cases[] = {
        {kMonth, 31, "2024-03-01", "2024-02-29", "2024-03-31"},
        {kMonth, 30, "2026-02-28", "2026-02-28", "2026-03-30"},
        {kMonth, 15, "2026-12-20", "2026-12-15", "2027-01-15"},
        {kMonth, 15, "2027-01-14", "2026-12-15", "2027-01-15"},
        {kWeek, 2, "2027-01-01", "2026-12-28", "2027-01-04"},
        {kDay, 1, "2024-12-31", "2024-12-31", "2025-01-01"}};
    for (const auto& [period, start, today, first, next] : cases)
        EXPECT_EQ(PeriodOf({period, 3600, start, start, 80}, Day(today)),
                  (Period{Day(first), Day(next)}))
            << today;
}

// Each share once a period, across restarts; a new period arms them again.
TEST(Allowance, WarnsOncePerPeriodOfEachShareReached) {
    const Period p{Day("2026-12-14"), Day("2026-12-21")}, next{p.next, Day("2026-12-28")};
    std::optional<AllowanceWarning> last;
    std::string got;
    // The seconds used of 10 hours, the period, the share to warn at.
    const std::tuple<int, Period, int> steps[] = {{28799, p, 80}, {28800, p, 80}, {28800, p, 80},
                                                  {35999, p, 80}, {36000, p, 80}, {40000, p, 80},
                                                  {360, next, 1}};
    for (const auto& [used, period, share] : steps) {
        MoreOptions kept;  // through the file, as a restart reads it
        kept.lastWarnings.time = last;
        last = ParseMoreOptions(FormatMoreOptions(kept)).lastWarnings.time;
        const auto due =
            WarningDue({kWeek, 36000, 2, 1, share}, used, period, last, AllowanceKind::kTime);
        got += (due ? std::to_string(*due) : "-") + " ";
    }
    EXPECT_EQ(got, "- 80 - - 100 - 1 ");
}

TEST(Allowance, LineAndForecastFromThePaceSoFar) {
    EXPECT_EQ(AllowanceLine({kDay, 7200}, 4980, 0) + AllowanceLine({kOff, 60}, 0, 0) + "|" +
                  AllowanceLine({kWeek, 0}, 300, 7199) + "|" +
                  AllowanceLine({kMonth, 144000}, 43500, 7199) + "|" +
                  AllowanceLine(Data(kMonth, 144000, int64_t{10} << 30), 43500, 4980, 3489660928) +
                  "|" + AllowanceLine(Data(kDay, 0, 5 << 19, kMB), 0, 0, 3 << 19) + "|" +
                  AllowanceLine(Data(kWeek, 0, 1), 0, 0, 1) + AllowanceLine({kDay, 1}, 1, 0),
              "Today: 1:23 of 2:00 (69 %)||This month: 12:05 of 40:00 (30 %) - today 1:59|"
              "This month: 12:05 of 40:00 (30 %), 3.2 of 10 GB (32 %)|Today: 1.5 of 2.5 MB (60 %)|"
              "This week: 0.0 of 0.0 GB (100 %)Today: 0:00 of 0:00 (100 %)");
    // The allowance, the seconds used (and as many bytes), today and the seconds into it.
    const int64_t tb = int64_t{1} << 40;
    const std::tuple<Allowance, int64_t, const char*, int, const char*> cases[] = {
        {{kDay, 7200}, 7200, "2026-12-14", 0, "the allowance is used up"},
        {{kDay, 7200}, 1800, "2026-12-14", 0, "1:30 left today"},
        {{kWeek, 36000}, 3000, "2026-12-14", 3599, "1:18 a day left"},
        {{kWeek, 36000}, 3000, "2026-12-14", 3600, "at this pace 140:00 by 20 December"},
        {{kWeek, 36000}, 6000, "2026-12-15", 14400, "1:23 a day left"},
        {{kWeek, 504000}, 3000, "2026-12-14", 3600, "19:52 a day left"},
        {{kMonth, 129600, 2, 15}, 44323, "2026-12-25", 0, "at this pace 38:10 by 14 January"},
        {{kWeek, 144000}, 90000, "2026-10-25", 89000, "15:00 a day left"},
        {Data(kDay, 0, 1 << 30), 3 << 28, "2026-12-14", 0, "0.2 GB left today"},
        {Data(kDay, 1, 1), 1, "2026-12-14", 0, "the time is used up, the data is used up"},
        {Data(kWeek, 0, 1), 1, "2026-12-14", 0, "the allowance is used up"},
        {Data(kWeek, 36000, tb), 3000, "2026-12-14", 3599, "1:18 a day left, 146.2 GB a day left"},
        {Data(kMonth, 0, kMostDataBytes), 5 * tb, "2026-12-01", 3600,
         "at this pace 3809280.0 GB by 31 December"}};
    for (const auto& [a, used, today, into, text] : cases)
        EXPECT_EQ(AllowanceForecast(a, used, PeriodOf(a, Day(today)), Day(today), into, used), text)
            << used;
}

TEST(Allowance, InputReadOrRefusedSayingWhichBoxIsWrong) {
    const std::string hours = "The hours must be a whole number of 0 or more, such as 40.",
                      minutes = "The minutes must be a whole number of 0 or more, such as 30.",
                      day = "The day a month starts on must be from 1 to 31.",
                      share = "The warning share must be from 1 to 99 %.",
                      data = "The data must be a whole number from 0 to 99999, such as 10.",
                      most = "An allowance per ";
    const auto in = [](AllowancePeriod p, int64_t seconds, int start, int warn, int64_t mb = 0) {
        return Allowance{p, seconds, 3, start, warn, mb << 20, kMB, true};
    };
    // The period and the boxes: hours, minutes, the month's start day, the share, the data.
    const std::tuple<AllowancePeriod, const char*, const char*, const char*, const char*,
                     const char*, std::variant<Allowance, std::string>>
        cases[] = {{kWeek, " 40 ", "\t0", "", "80", "0", in(kWeek, 144000, 1, 80)},
                   {kDay, "24", "0", "x", "99", " 0", in(kDay, 86400, 1, 99)},
                   {kMonth, "744", "0", "31", "1", "0", in(kMonth, 2678400, 31, 1)},
                   {kMonth, "0", "90", "1", "80", "0", in(kMonth, 5400, 1, 80)},
                   {kWeek, "0", "0", "", "80", "99999", in(kWeek, 0, 1, 80, 99999)},
                   {kDay, "24", "1", "", "80", "0", most + "day can hold at most 24 hours."},
                   {kWeek, "168", "1", "", "80", "0", most + "week can hold at most 168 hours."},
                   {kMonth, "99999999999999999999", "0", "1", "80", "0",
                    most + "month can hold at most 744 hours."},
                   {kWeek, "", "30", "", "80", "0", hours},
                   {kWeek, "4x", "", "", "80", "0", hours},
                   {kWeek, "1", " ", "", "80", "0", minutes},
                   {kWeek, "1", "1.5", "", "80", "0", minutes},
                   {kWeek, "1", "0", "", "80", "", data},
                   {kWeek, "1", "0", "", "80", "100000", data},
                   {kWeek, "0", " 0 ", "", "80", "0",
                    "An allowance of 0 hours, 0 minutes and 0 MB allows nothing: type at least 1 "
                    "minute or 1 MB, or choose no allowance."},
                   {kMonth, "1", "0", "0", "80", "0", day},
                   {kMonth, "1", "0", "32", "80", "0", day},
                   {kWeek, "1", "0", "", "0", "0", share},
                   {kWeek, "1", "0", "", "100", "0", share},
                   {kOff, "", "x", "0", "100", "x", in(kOff, 0, 1, 80)},
                   {kOff, "2", "30", "15", "90", "7", in(kOff, 9000, 15, 90, 7)}};
    for (const auto& [period, h, m, start, warn, mb, expected] : cases)
        EXPECT_EQ(AllowanceFromInput(period, 3, h, m, start, warn, mb, kMB, true), expected)
            << h << "/" << m << "/" << mb;
}

// Read, and read again as written; the ends of each range read, one past them does not.
TEST(Allowance, OptionsFileKeepsUnknownLinesAndDefaultsWhatDoesNotRead) {
    std::string lows, highs;
    for (const auto& [key, below, low, high, above] :
         {std::tuple{"allowance-seconds=", "-1", "0", "2678400", "2678401"},
          {"week-starts=", "0", "1", "7", "8"},
          {"month-starts=", "0", "1", "31", "32"},
          {"warn-percent=", "0", "1", "99", "100"},
          {"allowance-bytes=", "-1", "0", "107373108658176", "107373108658177"},
          {"last-warning=2026-01-05,", "-1", "0", "100", "101"},
          {"last-data-warning=2026-01-06,", "-1", "0", "100", "101"}}) {
        lows += std::string(key) + high + "\n" + key + low + "\n" + key + below + "\n";
        highs += std::string(key) + low + "\n" + key + high + "\n" + key + above + "\n";
    }
    const std::string off = "allowance=off|allowance-seconds=0|week-starts=2|month-starts=1|",
                      none = "allowance-bytes=0|data-unit=GB|hang-up=no|";
    // The bytes; the options they hold, as written.
    const std::pair<std::string, std::string> cases[] = {
        {lows + "count=only\ncount-id={G}\ncount-source=adapter\ncount-name=Caf\xc3\xa9, \"5G\"\n"
                "data-unit=MB\nhang-up=yes",
         "allowance=off|allowance-seconds=0|week-starts=1|month-starts=1|warn-percent=1|"
         "allowance-bytes=0|data-unit=MB|hang-up=yes|count=only|count-source=adapter|"
         "count-name=Caf\xc3\xa9, \"5G\"|count-id={G}|last-warning=2026-01-05,0|"
         "last-data-warning=2026-01-06,0|"},
        {highs + "count=metered\ncount-name=x\nhang-up=yes\nhang-up=no\n",
         "allowance=off|allowance-seconds=2678400|week-starts=7|month-starts=31|warn-percent=99|"
         "allowance-bytes=107373108658176|data-unit=GB|hang-up=no|count=metered|"
         "last-warning=2026-01-05,100|last-data-warning=2026-01-06,100|"},
        {"allowance=week\r\nallowance-seconds=144000\r\nfoo=bar\r\n; x\nweek-starts=1\n"
         "last-warning=2026-12-14,80\r\nbare\ncount=internet",
         "allowance=week|allowance-seconds=144000|week-starts=1|month-starts=1|warn-percent=80|" +
             none + "count=internet|last-warning=2026-12-14,80|foo=bar|; x|bare|"},
        {"allowance=weekly\nweek-starts=3x\nmonth-starts= 3\nlast-warning=2026-02-29,80\n"
         "last-warning=2026-01-05\ncount=only\ncount-source=ras\ndata-unit=mb\nhang-up=1",
         off + "warn-percent=80|" + none + "count=dial-up|"},
        {"count=only\ncount-source=network\ncount-name=Home\ncount-id={G}\ncount=Only",
         off + "warn-percent=80|" + none + "count=only|count-source=network|count-name=Home|"}};
    const auto again = [](const std::string& b) { return FormatMoreOptions(ParseMoreOptions(b)); };
    for (const auto& [bytes, written] : cases)
        EXPECT_EQ(std::pair(again(bytes), again(Lines(written))),
                  std::pair(Lines(written), Lines(written)))
            << bytes;
    // A name only for one connection chosen, whatever the file says.
    EXPECT_EQ(ParseMoreOptions("count=metered\ncount-name=x").counted,
              CountChoice{CountedKind::kMetered});
}

// The history with today's part of the session in progress; a warning saying the share used.
TEST(Allowance, ViewOfTheHistoryAndTheSessionInProgress) {
    UsageTable history;
    history.Add(
        ParseHistory("2026-12-06T10:00:00+01:00,2026-12-06T11:00:00+01:00,3600\n").sessions.at(0));
    const auto at = [](const char* text) { return *ParseLocalTime(text); };
    const Traffic moved{600 << 20, 300 << 20};  // 600 MB today
    const SessionRecord on{at("2026-12-06T23:30:00+01:00"), {}, 5400, "Cell", moved};
    const LocalTime now = at("2026-12-07T01:00:00+01:00");
    const AllowanceWarning warned{Day("2026-12-07"), 80};
    // The allowance, the session, the last warning; the share, the daily limit, the warning, kept.
    using Case =
        std::tuple<Allowance, std::optional<SessionRecord>, AllowanceWarnings, const char*>;
    const Case cases[] = {
        {{kDay, 3600}, on, {}, "100 3600 The allowance is used up. 7,100 -"},
        {{kDay, 4000}, on, {}, "90 4000 You have used 90 % of the allowance. 7,80 -"},
        {{kDay, 4000}, on, {warned}, "90 4000  7,80 -"},
        {{kWeek, 36000, 1}, {}, {}, "10 0  6,0 -"},
        {{kOff, 36000}, on, {warned}, "-1 0  7,80 -"},
        {{kWeek, 0}, on, {warned}, "-1 0  7,80 -"},
        {{kDay, 1}, on, {warned}, "100 1 The allowance is used up. 7,100 -"},
        {{kDay, 3610}, on, {}, "99 3610 You have used 99 % of the allowance. 7,80 -"},
        {Data(kDay, 0, 600 << 20, kMB), on, {}, "100 0 The data allowance is used up. - 7,100"},
        {Data(kDay, 36000, 1000 << 20, kMB), on, {}, "60 36000  7,0 7,0"},
        {Data(kDay, 3600, 1), on, {}, "100 3600 The time allowance is used up. 7,100 7,100"},
        {{kWeek, 36000}, {}, {}, "0 0  7,0 -"}};
    const auto kept = [](const std::optional<AllowanceWarning>& w) {
        return w ? std::to_string(w->period.day) + "," + std::to_string(w->percent) : "-";
    };
    for (const auto& [allowance, session, last, shown] : cases) {
        const AllowanceView v = ViewAllowance(allowance, history, session, now, last);
        EXPECT_EQ(std::to_string(v.percent) + " " + std::to_string(v.dailyLimit) + " " +
                      v.warning.substr(0, v.warning.find('\n')) + " " + kept(v.lastWarnings.time) +
                      " " + kept(v.lastWarnings.data),
                  shown);
    }
    EXPECT_EQ(ViewAllowance(Data(kDay, 4000, 750 << 20, kMB), history, on, now, {}).warning,
              "You have used 90 % of the time allowance.\nYou have used 80 % of the data "
              "allowance.\nToday: 1:00 of 1:06 (90 %), 600.0 of 750 MB (80 %)");
    // Today's part of the session in progress; the pace from the seconds into today.
    const AllowanceView pace =
        ViewAllowance({kWeek, 36000, 1}, history, on, at("2026-12-07T13:30:00+01:00"), {});
    EXPECT_EQ(std::tuple(pace.details, pace.usedSeconds, pace.usedBytes),
              std::tuple("This week: 2:30 of 10:00 (25 %) - today 1:00; "
                         "at this pace 11:12 by 12 December",
                         9000, 900 << 20));
    const AllowanceView week = ViewAllowance({kWeek, 36000, 1}, history, {}, now, {});
    const std::string stop = "Not counting: Windows is not answering (RAS)";
    EXPECT_EQ(
        std::tuple(week.details, StatusLines("RAS", week.line), StatusLines("RAS", ""),
                   StatusLines("", week.line)),
        std::tuple(week.line + "; 1:30 a day left", stop + "\n" + week.line, stop, week.line));
}

// At the limit, or a minute before at the session's pace, when asked and RAS counts; noticed once.
TEST(Allowance, HangsUpTheCountedRasConnectionAtTheLimitAfterANotice) {
    const CountChoice dialUp, vpn{CountedKind::kChosen, ConnectionSource::kRas, "VPN"},
        wifi{CountedKind::kChosen, ConnectionSource::kNetwork, "VPN"}, any{CountedKind::kInternet};
    const Allowance both = Data(kDay, 3600, 6000, kGB, true), unasked{kDay, 3600},
                    time = Data(kDay, 3600, 0, kGB, true), data = Data(kDay, 0, 6000, kGB, true),
                    second = Data(kDay, 1, 0, kGB, true), byte = Data(kDay, 0, 1, kGB, true),
                    off = Data(kOff, 3600, 0, kGB, true);
    // The allowance, what counts, the amounts used, the session's (-1: none); two ticks' steps.
    const std::tuple<Allowance, CountChoice, int64_t, int64_t, int64_t, int64_t, const char*>
        cases[] = {
            {both, dialUp, 3539, 0, 100, 0, "--"},    {both, vpn, 3540, 0, 100, 0, "N-"},
            {both, vpn, 3600, 0, 100, 0, "HH"},       {both, dialUp, 0, 5999, 0, 0, "--"},
            {both, dialUp, 0, 4999, 100, 1666, "--"}, {both, dialUp, 0, 5000, 100, 1667, "N-"},
            {both, dialUp, 0, 6000, 0, 0, "HH"},      {both, dialUp, 0, 5940, 1, -1, "--"},
            {both, dialUp, 0, 5940, 1, 1, "N-"},      {second, dialUp, 1, 0, 100, 0, "HH"},
            {byte, dialUp, 0, 1, 100, 0, "HH"},       {both, dialUp, 3600, 6000, -1, 0, "--"},
            {time, dialUp, 0, 6000, 100, 6000, "--"}, {data, dialUp, 3600, 0, 100, 0, "--"},
            {off, dialUp, 3600, 0, 100, 0, "--"},     {unasked, dialUp, 3600, 0, 100, 0, "--"},
            {both, any, 3600, 0, 100, 0, "--"}};
    for (const auto& [allowance, counted, seconds, bytes, session, moved, steps] : cases) {
        AllowanceView view;
        view.usedSeconds = seconds, view.usedBytes = bytes;
        std::optional<SessionRecord> current;
        if (session >= 0)  // moved -1: not known
            current = SessionRecord{{}, {}, session, "VPN"};
        if (moved >= 0 && current) current->data = Traffic{moved, 0};
        std::optional<LocalTime> noticed;
        std::string got;
        for (int tick = 0; tick < 2; ++tick)
            got += "-NH"[static_cast<int>(HangUpDue(allowance, counted, view, current, noticed))];
        EXPECT_EQ(got, steps) << seconds << " " << bytes;
    }
    EXPECT_EQ(std::tuple(HangsUp(dialUp, "Any"), HangsUp(vpn, "VPN"), HangsUp(vpn, "X"),
                         HangsUp(wifi, "VPN"), HangsUp(any, "")),
              std::tuple(true, true, false, false, false));
}

// A quarter of the icon, four rows at least, outlined, filled by share; nothing drawn outside.
TEST(Allowance, ShareBarDrawnOverTheIconsFoot) {
    const std::map<uint32_t, char> names = {{7, '.'},          {0xFF000000, 'K'},
                                            {0xFFFFFFFF, 'W'}, {0xFF0078D7, 'B'},
                                            {0xFFFFAA00, 'A'}, {0xFFDC0000, 'R'}};
    const auto name = [&](uint32_t pixel) { return names.contains(pixel) ? names.at(pixel) : '?'; };
    // The icon's height, the bar's top, the share; its middle row.
    for (const auto& [height, top, percent, row] : {std::tuple{8, 4, -5, "KWWWWWWWWK"},
                                                    {16, 12, 79, "KBBBBBBWWK"},
                                                    {40, 30, 80, "KAAAAAAWWK"},
                                                    {40, 30, 99, "KAAAAAAAWK"},
                                                    {16, 12, 100, "KRRRRRRRRK"},
                                                    {16, 12, 150, "KRRRRRRRRK"},
                                                    {3, 0, 0, "KWWWWWWWWK"}}) {
        std::vector<uint32_t> icon(static_cast<size_t>(10 * height + 20), 7);  // a row either side
        DrawShareBar(icon.data() + 10, 10, height, percent, 80);
        std::string seen;
        for (int y : {top - 1, top, top + 1, height - 1, height})
            for (int x = 0; x < 10; ++x) seen += name(icon[static_cast<size_t>((y + 1) * 10 + x)]);
        EXPECT_EQ(seen, ".........." + std::string(10, 'K') + row + "KKKKKKKKKK..........")
            << height << " " << percent;
    }
    std::vector<uint32_t> wide(102 * 8, 7);  // wide enough for 1 % to fill a pixel
    DrawShareBar(wide.data(), 102, 8, 0, 80);
    EXPECT_EQ(std::count(wide.begin(), wide.end(), 0xFF0078D7u), 0);
}

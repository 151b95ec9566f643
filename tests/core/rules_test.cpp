#include <gtest/gtest.h>

#include <cmath>

#include "core/adjust_total.h"
#include "core/alert.h"
#include "core/calendar.h"
#include "core/duration_text.h"
#include "core/tray_click.h"

TEST(FormatDuration, DaysHoursMinutesSecondsAndNegativeParts) {
    // clang-format off
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00:00:00"}, {59, "00:00:00:59"}, {3661, "00:01:01:01"}, {86399, "00:23:59:59"},
        {86400, "01:00:00:00"}, {8640000, "100:00:00:00"}, {INT32_MAX, "24855:03:14:07"},
        {-1, "00:00:00:-1"}, {-65, "00:00:-1:-5"}, {-3725, "00:-1:-62:-5"},
        {INT32_MIN, "-24855:-596523:-35791394:-8"}};
    // clang-format on
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

// The limit is put in force with the options, or refused with nothing changed; the message
// repeats the amounts in plain digits.
TEST(Alert, LimitInForceAndMessageInPlainDigits) {
    const struct {
        const char *days, *hours, *minutes;
        std::optional<int32_t> limit;
        const char* amounts;
    } cases[] = {
        // clang-format off
        {"1", "2", "30", 95400, "1 days, 2 hours, and 30"}, {"-0", "-1", "", -3600, "0 days,-1 hours, and 0"},
        {"07", "abc", "2.5", 604950, "7 days, 0 hours, and 2.5"}, {"0", "0", "0.375", 22, "0 days, 0 hours, and 0.375"},
        {"0.0000001", "123456.75", "0.1", 444444306, "0.0000001 days, 123456.75 hours, and 0.1"},
        {"0", "1.23456789012345678", "-0.5", 4414, "0 days, 1.23456789012346 hours, and-0.5"},
        {"24855", "", "", 2147472000, "24855 days, 0 hours, and 0"},
        {"1e15", "-2.4e16", "", 0, "1000000000000000 days,-24000000000000000 hours, and 0"},
        {"24856", "", "", {}, ""}, {"", "596524", "", {}, ""}, {"", "", "35791395", {}, ""},
        {"1e400", "", "", {}, ""}, {"-24856", "", "", {}, ""}};  // clang-format on
    for (const auto& c : cases) {
        const Options options{false, false, true, c.days, c.hours, c.minutes};
        AppState state;
        EXPECT_EQ(ApplyOptions(state, options).has_value(), !c.limit) << c.days << c.hours;
        EXPECT_EQ(state.options == options, c.limit.has_value());
        EXPECT_EQ(state.alertLimitSeconds, c.limit.value_or(0));
        const std::string message =
            "An Alert limit of " + std::string(c.amounts) + " minutes has been reached.";
        EXPECT_EQ(c.limit ? AlertMessage(options) : "", c.limit ? message : "");
    }
    AppState state;
    EXPECT_EQ(ApplyOptions(state, {false, false, false, "24856", "0", "x"}),
              "The alert limit of \"24856\" days, \"0\" hours and \"x\" minutes is too large. The "
              "largest limit is 2147483647 seconds, for example 24855 days.");
    EXPECT_EQ(SignedNumberText(-INFINITY), "-inf");  // never in a limit in force: no crash
    for (unsigned c : {48u, 57u, 8u}) EXPECT_TRUE(DaysKeyPasses(c)) << c;  // 0 9 Backspace
    for (unsigned c : {47u, 58u, 97u, 45u, 46u, 7u, 9u}) EXPECT_FALSE(DaysKeyPasses(c)) << c;
}

TEST(AdjustedTotal, AddRoundsEachAmountSubtractRoundsTheResultOrSaysWhatIsTooLarge) {
    using enum AdjustDirection;
    const std::string big = " is too large. At most ", at = " can be added or subtracted at once.",
                      range = " seconds, which the log cannot hold. Enter a smaller amount.",
                      larger = "The adjusted total would be larger than 2147483647" + range,
                      smaller = "The adjusted total would be smaller than -2147483648" + range;
    const struct {
        int32_t total;
        const char *days, *hours, *minutes;
        AdjustDirection direction;
        std::variant<int32_t, std::string> expected;
    } cases[] = {
        // clang-format off
        {100, "", "", "", Subtract, 100}, {100, "1", "2", "3", Add, 93880}, {-5, "", "", "", Add, -5},
        {0, "24855", "", "", Add, 2147472000}, {0, "-24855", "", "", Add, -2147472000},
        {0, "", "2.5", "", Add, 7200}, {0, "", "3.5", "", Add, 14400}, {0, "1.5", "", "", Subtract, -129600},
        {100, "", "", "0.25", Subtract, 85}, {0, "12abc", "", "abc", Add, 1036800},
        {INT32_MIN, "", "", "-0.4", Subtract, INT32_MIN + 24}, {INT32_MAX - 60, "", "", "1", Add, INT32_MAX},
        {INT32_MIN + 60, "", "", "-1", Add, INT32_MIN},
        {0, "24856", "", "", Add, "The days amount \"24856\"" + big + "24855 days" + at},
        {0, "-24856", "", "", Add, "The days amount \"-24856\"" + big + "24855 days" + at},
        {0, "", "596524", "", Add, "The hours amount \"596524\"" + big + "596523 hours" + at},
        {0, "", "", "1e12", Add, "The minutes amount \"1e12\"" + big + "35791394 minutes" + at},
        {INT32_MAX - 59, "", "", "1", Add, larger}, {INT32_MIN + 59, "", "", "-1", Add, smaller},
        {-2147483000, "", "", "11", Subtract, smaller}, {0, "-1e400", "", "", Subtract, larger}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(AdjustedTotal(c.total, c.days, c.hours, c.minutes, c.direction), c.expected)
            << c.total << " " << c.days << "/" << c.hours << "/" << c.minutes;
}

TEST(TrayClicks, DoubleClickTogglesRightClickOpensTheMenuOneAtATime) {
    std::vector<TrayAction> acted;
    TrayClicks clicks;
    auto record = [&](TrayAction a) { acted.push_back(a); };
    for (unsigned message = 512; message <= 518; ++message) clicks.OnTrayMouse(message, record);
    // A message that arrives while the menu of another is open is dropped.
    clicks.OnTrayMouse(517, [&](TrayAction) { clicks.OnTrayMouse(515, record); });
    clicks.OnTrayMouse(515, record);
    using enum TrayAction;
    EXPECT_EQ(acted,
              (std::vector{None, None, None, ToggleStats, None, OpenMenu, None, ToggleStats}));
    AppState state;
    EXPECT_TRUE(::ToggleStats(state, false) && state.statsShown);
    EXPECT_FALSE(::ToggleStats(state, true) || state.statsShown);
}

TEST(Calendar, DayNumbersOverWholeErasBothWays) {
    // clang-format off
    const std::pair<CalendarDate, int64_t> cases[] = {
        {{1970, 1, 1}, 0}, {{1969, 12, 31}, -1}, {{2000, 2, 29}, 11016}, {{2000, 3, 1}, 11017},
        {{2026, 12, 6}, 20793}, {{2100, 3, 1}, 47541}, {{1600, 2, 29}, -135081},
        {{0, 3, 1}, -719468}, {{-1, 12, 31}, -719529}, {{-400, 3, 1}, -865565}};
    // clang-format on
    for (const auto& [date, day] : cases)
        EXPECT_TRUE(DayNumber(date) == day && DateOfDay(day) == date) << day;
    CalendarDate last = DateOfDay(-900000);
    for (int64_t day = -899999; day < 300000; ++day) {  // every day follows the one before
        const CalendarDate d = DateOfDay(day);
        const bool nextDay = d.day == last.day + 1 && d.month == last.month && d.year == last.year;
        const bool nextMonth = d.day == 1 && (d.month == last.month % 12 + 1) &&
                               d.year == last.year + (d.month == 1 ? 1 : 0);
        ASSERT_TRUE((nextDay || nextMonth) && DayNumber(d) == day) << day;
        last = d;
    }
}

#include <gtest/gtest.h>

#include "core/adjust_total.h"
#include "core/alert.h"
#include "core/app_error.h"
#include "core/calendar.h"
#include "core/duration_text.h"
#include "core/tray_click.h"

TEST(FormatDuration, DaysHoursMinutesSecondsAndNegativeParts) {
    const struct {
        int32_t seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00:00"},
        {59, "00:00:00:59"},
        {60, "00:00:01:00"},
        {3599, "00:00:59:59"},
        {3661, "00:01:01:01"},
        {86399, "00:23:59:59"},
        {86400, "01:00:00:00"},
        {8640000, "100:00:00:00"},
        {2147483647, "24855:03:14:07"},
        {-65, "00:00:-1:-5"},
        {-3725, "00:-1:-62:-5"},
        {-2147483647 - 1, "-24855:-596523:-35791394:-8"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(AlertLimit, FromTheThreeTextsWithinTheRange) {
    const struct {
        const char *days, *hours, *minutes;
        std::optional<int32_t> seconds;
    } cases[] = {
        {"1", "2", "30", 95400},
        {"2", "", "abc", 172800},
        {"0", "1.5", "0", 5400},
        {"0", "0", "0.125", 8},
        {"0", "0", "0.375", 22},
        {"", "", "-30", -1800},
        {" 1 2", "", "", 1036800},
        {"24855", "0", "0", 2147472000},
        {"24856", "0", "0", std::nullopt},
        {"", "596524", "", std::nullopt},
        {"", "", "35791395", std::nullopt},
        {"1e400", "", "", std::nullopt},
        {"-24856", "", "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AlertLimit(c.days, c.hours, c.minutes), c.seconds)
            << c.days << "/" << c.hours << "/" << c.minutes;
}

TEST(Options, ApplyPutsTheLimitInForceOrChangesNothing) {
    AppState state;
    EXPECT_EQ(ApplyOptions(state, {true, false, true, "1", "2", "30"}), std::nullopt);
    EXPECT_EQ(state.options, (Options{true, false, true, "1", "2", "30"}));
    EXPECT_EQ(state.alertLimitSeconds, 95400);
    EXPECT_EQ(ApplyOptions(state, {false, true, false, "", "", "-30"}), std::nullopt);
    EXPECT_EQ(state.alertLimitSeconds, -1800);  // computed while the alert is off too

    const AppState before = state;
    const auto error = ApplyOptions(state, {true, true, true, "24856", "", ""});
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("24855 days"), std::string::npos) << *error;
    EXPECT_EQ(state.options, before.options);
    EXPECT_EQ(state.alertLimitSeconds, -1800);

    for (unsigned c : {48u, 57u, 8u}) EXPECT_TRUE(DaysKeyPasses(c)) << c;  // 0 9 Backspace
    for (unsigned c : {47u, 58u, 97u, 45u, 46u, 32u, 13u, 22u}) EXPECT_FALSE(DaysKeyPasses(c)) << c;
}

TEST(AlertMessage, RepeatsTheAmountsInPlainDigits) {
    const struct {
        const char *days, *hours, *minutes, *message;
    } cases[] = {
        {"1", "2", "30", "An Alert limit of 1 days, 2 hours, and 30 minutes has been reached."},
        {"07", "abc", "2.5",
         "An Alert limit of 7 days, 0 hours, and 2.5 minutes has been reached."},
        {"-0", "-1", "", "An Alert limit of 0 days,-1 hours, and 0 minutes has been reached."},
        {"0.0000001", "123456.75", "1e20",
         "An Alert limit of 0.0000001 days, 123456.75 hours, and 100000000000000000000 minutes "
         "has been reached."},
        {"0.1", "1.23456789012345678", "-0.5",
         "An Alert limit of 0.1 days, 1.23456789012346 hours, and-0.5 minutes has been reached."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AlertMessage({false, false, true, c.days, c.hours, c.minutes}), c.message);
}

TEST(AdjustedTotal, AddRoundsEachAmountSubtractRoundsTheResult) {
    using enum AdjustDirection;
    const struct {
        int32_t total;
        const char *days, *hours, *minutes;
        AdjustDirection direction;
        std::variant<int32_t, std::string> expected;
    } cases[] = {
        {100, "", "", "", Subtract, 100},
        {100, "1", "2", "3", Add, 93880},
        {0, "24855", "", "", Add, 2147472000},
        {0, "", "2.5", "", Add, 7200},
        {0, "", "3.5", "", Add, 14400},
        {0, "1.5", "", "", Subtract, -129600},
        {100, "", "", "0.25", Subtract, 85},
        {0, "12abc", "", "abc", Add, 1036800},
        {INT32_MIN, "", "", "-0.4", Subtract, INT32_MIN + 24},
        {0, "24856", "", "", Add,
         "The days amount \"24856\" is too large. At most 24855 days can be added or subtracted "
         "at once."},
        {0, "", "596524", "", Add,
         "The hours amount \"596524\" is too large. At most 596523 hours can be added or "
         "subtracted at once."},
        {0, "", "", "1e12", Add,
         "The minutes amount \"1e12\" is too large. At most 35791394 minutes can be added or "
         "subtracted at once."},
        {2147483000, "", "", "11", Add,
         "The adjusted total would be larger than 2147483647 seconds, which the log cannot hold. "
         "Enter a smaller amount."},
        {-2147483000, "", "", "-11", Add,
         "The adjusted total would be smaller than -2147483648 "
         "seconds, which the log cannot hold. Enter a smaller "
         "amount."},
        {-2147483000, "", "", "11", Subtract,
         "The adjusted total would be smaller than -2147483648 seconds, which the log cannot hold. "
         "Enter a smaller amount."},
        {0, "1e400", "", "", Subtract,
         "The adjusted total would be smaller than -2147483648 seconds, which the log cannot hold. "
         "Enter a smaller amount."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustedTotal(c.total, c.days, c.hours, c.minutes, c.direction), c.expected)
            << c.total << " " << c.days << "/" << c.hours << "/" << c.minutes;
}

TEST(TrayClicks, DoubleClickTogglesRightClickOpensTheMenuOneAtATime) {
    std::vector<TrayAction> acted;
    TrayClicks clicks;
    for (unsigned message : {512u, 513u, 514u, 515u, 516u, 517u, 518u})
        clicks.OnTrayMouse(message, [&](TrayAction a) { acted.push_back(a); });
    using enum TrayAction;
    EXPECT_EQ(acted, (std::vector{None, None, None, ToggleStats, None, OpenMenu, None}));
    // A message that arrives while the menu of another is open is dropped.
    clicks.OnTrayMouse(517, [&](TrayAction) {
        clicks.OnTrayMouse(515, [&](TrayAction a) { acted.push_back(a); });
    });
    EXPECT_EQ(acted.size(), 7u);
    clicks.OnTrayMouse(515, [&](TrayAction a) { acted.push_back(a); });
    EXPECT_EQ(acted.size(), 8u);

    AppState state;
    EXPECT_TRUE(::ToggleStats(state, false));
    EXPECT_TRUE(state.statsShown);
    EXPECT_FALSE(::ToggleStats(state, true));
    EXPECT_FALSE(state.statsShown);
}

TEST(Calendar, DayNumbersAcrossMonthsLeapYearsAndEras) {
    const struct {
        CalendarDate date;
        int64_t day;
    } cases[] = {
        {{1970, 1, 1}, 0},        {{1969, 12, 31}, -1},    {{2000, 2, 29}, 11016},
        {{2000, 3, 1}, 11017},    {{2026, 12, 6}, 20793},  {{2100, 3, 1}, 47541},
        {{1600, 2, 29}, -135081}, {{-1, 12, 31}, -719529},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DayNumber(c.date), c.day) << c.date.year << "-" << c.date.month;
        EXPECT_EQ(DateOfDay(c.day), c.date) << c.day;
    }
    for (int64_t day = -800000; day < 800000; day += 997) EXPECT_EQ(DayNumber(DateOfDay(day)), day);
}

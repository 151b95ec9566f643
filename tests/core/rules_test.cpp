#include <gtest/gtest.h>

#include "core/adjust_total.h"
#include "core/alert.h"
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
        {3661, "00:01:01:01"},
        {86399, "00:23:59:59"},
        {86400, "01:00:00:00"},
        {8640000, "100:00:00:00"},
        {INT32_MAX, "24855:03:14:07"},
        {-1, "00:00:00:-1"},
        {-65, "00:00:-1:-5"},
        {-3725, "00:-1:-62:-5"},
        {INT32_MIN, "-24855:-596523:-35791394:-8"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(Alert, LimitInForceAndMessageInPlainDigits) {
    const struct {
        const char *days, *hours, *minutes;
        std::optional<int32_t> limit;
        const char* amounts;  // as the message states them
    } cases[] = {
        {"1", "2", "30", 95400, "1 days, 2 hours, and 30"},
        {"07", "abc", "2.5", 604950, "7 days, 0 hours, and 2.5"},
        {"-0", "-1", "", -3600, "0 days,-1 hours, and 0"},
        {"0", "0", "0.375", 22, "0 days, 0 hours, and 0.375"},
        {"0.0000001", "123456.75", "0.1", 444444306, "0.0000001 days, 123456.75 hours, and 0.1"},
        {"0", "1.23456789012345678", "-0.5", 4414, "0 days, 1.23456789012346 hours, and-0.5"},
        {"24855", "", "", 2147472000, "24855 days, 0 hours, and 0"},
        {"1e15", "-2.4e16", "", 0, "1000000000000000 days,-24000000000000000 hours, and 0"},
        {"24856", "", "", std::nullopt, nullptr},
        {"", "596524", "", std::nullopt, nullptr},
        {"", "", "35791395", std::nullopt, nullptr},
        {"1e400", "", "", std::nullopt, nullptr},
        {"-24856", "", "", std::nullopt, nullptr},
    };
    for (const auto& c : cases) {
        const Options options{false, false, true, c.days, c.hours, c.minutes};
        AppState state;
        const auto refused = ApplyOptions(state, options);
        EXPECT_EQ(refused.has_value(), !c.limit) << c.days << "/" << c.hours << "/" << c.minutes;
        EXPECT_EQ(state.options == options, c.limit.has_value());
        EXPECT_EQ(state.alertLimitSeconds, c.limit.value_or(0));
        if (c.amounts) {
            EXPECT_EQ(AlertMessage(options),
                      "An Alert limit of " + std::string(c.amounts) + " minutes has been reached.");
        }
    }
    AppState state;
    EXPECT_EQ(ApplyOptions(state, {false, false, false, "24856", "0", "x"}),
              "The alert limit of \"24856\" days, \"0\" hours and \"x\" minutes is too large. The "
              "largest limit is 2147483647 seconds, for example 24855 days.");
    for (unsigned c : {48u, 57u, 8u}) EXPECT_TRUE(DaysKeyPasses(c)) << c;  // 0 9 Backspace
    for (unsigned c : {47u, 58u, 97u, 45u, 46u, 7u, 9u}) EXPECT_FALSE(DaysKeyPasses(c)) << c;
}

TEST(AdjustedTotal, AddRoundsEachAmountSubtractRoundsTheResultOrSaysWhatIsTooLarge) {
    using enum AdjustDirection;
    const std::string tooLarge = " is too large. At most ", range =
                                                                " seconds, which the log cannot "
                                                                "hold. Enter a smaller amount.";
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
        {-5, "", "", "", Add, -5},
        {INT32_MAX - 60, "", "", "1", Add, INT32_MAX},
        {INT32_MIN + 60, "", "", "-1", Add, INT32_MIN},
        {0, "-24855", "", "", Add, -2147472000},
        {0, "24856", "", "", Add,
         "The days amount \"24856\"" + tooLarge + "24855 days can be added or subtracted at once."},
        {0, "-24856", "", "", Add,
         "The days amount \"-24856\"" + tooLarge +
             "24855 days can be added or subtracted at once."},
        {0, "", "596524", "", Add,
         "The hours amount \"596524\"" + tooLarge +
             "596523 hours can be added or subtracted at once."},
        {0, "", "", "1e12", Add,
         "The minutes amount \"1e12\"" + tooLarge +
             "35791394 minutes can be added or subtracted at once."},
        {INT32_MAX - 59, "", "", "1", Add,
         "The adjusted total would be larger than 2147483647" + range},
        {INT32_MIN + 59, "", "", "-1", Add,
         "The adjusted total would be smaller than -2147483648" + range},
        {-2147483000, "", "", "11", Subtract,
         "The adjusted total would be smaller than -2147483648" + range},
        {0, "-1e400", "", "", Subtract,
         "The adjusted total would be larger than 2147483647" + range},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustedTotal(c.total, c.days, c.hours, c.minutes, c.direction), c.expected)
            << c.total << " " << c.days << "/" << c.hours << "/" << c.minutes;
}

TEST(TrayClicks, DoubleClickTogglesRightClickOpensTheMenuOneAtATime) {
    std::vector<TrayAction> acted;
    TrayClicks clicks;
    auto record = [&](TrayAction a) { acted.push_back(a); };
    for (unsigned message : {512u, 513u, 514u, 515u, 516u, 517u, 518u})
        clicks.OnTrayMouse(message, record);
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
    const struct {
        CalendarDate date;
        int64_t day;
    } cases[] = {
        {{1970, 1, 1}, 0},        {{1969, 12, 31}, -1},   {{2000, 2, 29}, 11016},
        {{2000, 3, 1}, 11017},    {{2026, 12, 6}, 20793}, {{2100, 3, 1}, 47541},
        {{1600, 2, 29}, -135081}, {{0, 3, 1}, -719468},   {{-1, 12, 31}, -719529},
        {{-400, 3, 1}, -865565},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DayNumber(c.date), c.day) << c.date.year << "-" << c.date.month;
        EXPECT_EQ(DateOfDay(c.day), c.date) << c.day;
    }
    CalendarDate previous = DateOfDay(-900000);
    for (int64_t day = -899999; day < 300000; ++day) {  // every day, one after the other
        const CalendarDate d = DateOfDay(day);
        const bool nextDay = d.day == previous.day + 1 && d.month == previous.month;
        const bool nextMonth =
            d.day == 1 && (d.month == previous.month + 1 ||
                           (d.month == 1 && previous.month == 12 && d.year == previous.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << day;
        ASSERT_EQ(DayNumber(d), day);
        previous = d;
    }
}

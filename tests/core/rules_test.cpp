#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/adjust_total.h"
#include "core/alert.h"
#include "core/calendar.h"
#include "core/dialup_probe.h"
#include "core/duration_text.h"
#include "core/number_value.h"
#include "core/tray_click.h"

TEST(NumberValue, LeadingNumberOfTextWholeNumberAndRounding) {
    // The text, its leading number and the length of the blank-free text taken.
    const std::tuple<const char*, double, size_t> cases[] = {
        // clang-format off
        {"30min", 30, 2}, {"1 2", 12, 2}, {"\t1\n5", 15, 2}, {"abc", 0, 0}, {"", 0, 0},
        {"-1", -1, 2}, {"+7", 7, 2}, {"1E3", 1000, 3}, {"2d2", 200, 3}, {"2D-1", 0.2, 4},
        {"1.5e-1", .15, 6}, {"1e", 1, 1}, {"1e+x", 1, 1}, {"5.e2", 500, 4}, {"-.5E+1", -5, 6},
        {"&H10", 16, 4}, {"&hff", 255, 4}, {"&HAF", 175, 4}, {"&HaFg", 175, 4}, {"&O17", 15, 4},
        {"&o78", 7, 3}, {"&H", 0, 0}, {"&", 0, 0}, {"&x0", 0, 0}, {"&Hzz", 0, 0}, {"2.5", 2.5, 3},
        {".5", 0.5, 2}, {"5.", 5, 2}, {"5.x", 5, 2}, {".", 0, 0}, {"-.25x", -.25, 4}, {"07", 7, 2},
        {"--1", 0, 0}, {"1,5", 1, 1}, {"-", 0, 0}, {"1.2.3", 1.2, 3}, {"9e999", INFINITY, 5},
        {"1e-999", 0, 6},
    };
    // clang-format on
    for (const auto& [text, value, length] : cases) {
        const LeadingNumber n = ParseLeadingNumber(text);
        EXPECT_TRUE(n.value == value && n.length == length) << text;
    }
    EXPECT_EQ(WholeNumber(" -1 "), -1);
    EXPECT_EQ(WholeNumber("&H1f"), 31);
    for (const char* text : {"5abc", "yes", "", "   ", "1e", "&H"})
        EXPECT_EQ(WholeNumber(text), std::nullopt) << text;
    // Rounded half to even, within the 32-bit range.
    const std::optional<int32_t> none;
    EXPECT_EQ(RoundToInt32(2147483647.4), INT32_MAX);
    EXPECT_EQ(RoundToInt32(-2147483648.5), INT32_MIN);
    for (const double out : {2147483647.5, -2147483649.0, double(NAN), double(INFINITY)})
        EXPECT_EQ(RoundToInt32(out), none) << out;
}

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
    // Days, hours and minutes; the limit, and the amounts as the message gives them.
    const std::tuple<const char*, const char*, const char*, std::optional<int32_t>, const char*>
        cases[] = {
            // clang-format off
        {"1", "2", "30", 95400, "1 days, 2 hours, and 30"}, {"-0", "-1", "", -3600, "0 days,-1 hours, and 0"},
        {"07", "abc", "2.5", 604950, "7 days, 0 hours, and 2.5"}, {"0", "0", "0.375", 22, "0 days, 0 hours, and 0.375"},
        {"0.0000001", "123456.75", "0.1", 444444306, "0.0000001 days, 123456.75 hours, and 0.1"},
        {"0", "1.23456789012345678", "-0.5", 4414, "0 days, 1.23456789012346 hours, and-0.5"},
        {"24855", "", "", 2147472000, "24855 days, 0 hours, and 0"},
        {"1e15", "-2.4e16", "", 0, "1000000000000000 days,-24000000000000000 hours, and 0"},
        {"24856", "", "", {}, ""}, {"", "596524", "", {}, ""}, {"", "", "35791395", {}, ""},
        {"1e400", "", "", {}, ""}, {"-24856", "", "", {}, ""}};  // clang-format on
    for (const auto& [days, hours, minutes, limit, amounts] : cases) {
        const Options options{false, false, true, days, hours, minutes};
        AppState state;
        EXPECT_EQ(ApplyOptions(state, options).has_value(), !limit) << days << hours;
        EXPECT_TRUE((state.options == options) == limit.has_value() &&
                    state.alertLimitSeconds == limit.value_or(0));
        const std::string message =
            "An Alert limit of " + std::string(amounts) + " minutes has been reached.";
        EXPECT_EQ(limit ? AlertMessage(options) : "", limit ? message : "");
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
    // The total, the amounts and the direction; the new total or the message.
    const std::tuple<int32_t, const char*, const char*, const char*, AdjustDirection,
                     std::variant<int32_t, std::string>>
        cases[] = {
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
    for (const auto& [total, days, hours, minutes, direction, expected] : cases)
        EXPECT_EQ(AdjustedTotal(total, days, hours, minutes, direction), expected)
            << total << " " << days << "/" << hours << "/" << minutes;
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

// Days counted from 1970-01-01 over leap centuries, and each of 3,200 years' days after the last.
TEST(Calendar, DayNumbersOverWholeErasBothWays) {
    for (const auto& [date, day] : {std::pair{CalendarDate{1970, 1, 1}, 0},
                                    {{2000, 2, 29}, 11016},
                                    {{2100, 3, 1}, 47541},
                                    {{1600, 2, 29}, -135081},
                                    {{-1, 12, 31}, -719529}})
        EXPECT_TRUE(DayNumber(date) == day && DateOfDay(day) == date) << day;
    CalendarDate last = DateOfDay(-900000);
    for (int64_t day = -899999; day < 300000; ++day) {
        const CalendarDate d = DateOfDay(day);
        const bool nextDay = d.day == last.day + 1 && d.month == last.month && d.year == last.year;
        const bool nextMonth = d.day == 1 && (d.month == last.month % 12 + 1) &&
                               d.year == last.year + (d.month == 1 ? 1 : 0);
        ASSERT_TRUE((nextDay || nextMonth) && DayNumber(d) == day) << day;
        last = d;
    }
}

// The registry value decides where it can be read in four bytes; without the key or the value
// the dial-up connections are asked. Every opened key is closed.
TEST(DialUpProbe, RegistryValueOrElseTheConnections) {
    struct FakeRegistry : RegistryApi {
        long openStatus = kStatusSuccess;
        std::optional<std::vector<uint8_t>> value;
        int open = 0;
        long OpenKey(const char* subkey, void** key) override {
            EXPECT_STREQ(subkey, "System\\CurrentControlSet\\Services\\RemoteAccess");
            open += openStatus == kStatusSuccess;
            return *key = this, openStatus;
        }
        long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) override {
            EXPECT_TRUE(key == this && std::strcmp(name, "Remote Connection") == 0 && *size == 4);
            if (!value) return kStatusNotFound;
            if (value->size() > *size) return std::fill_n(buffer, 4, 1), 234;  // ERROR_MORE_DATA
            *size = static_cast<uint32_t>(std::copy(value->begin(), value->end(), buffer) - buffer);
            return kStatusSuccess;
        }
        void CloseKey(void* key) override { open -= key == this; }
    };
    using Bytes = std::optional<std::vector<uint8_t>>;
    // The status of opening the key, the value, what the connections say, what the probe says.
    const std::tuple<long, Bytes, bool, bool> cases[] = {
        // clang-format off
        {0, Bytes{{1, 0, 0, 0}}, false, true}, {0, Bytes{{0, 0, 0, 0}}, true, false},
        {0, Bytes{{0, 0, 0, 1}}, false, true}, {0, Bytes{{7}}, false, true},
        {0, Bytes{{0}}, true, false}, {0, Bytes{{1, 0, 0, 0, 0}}, true, false},
        {0, Bytes{std::vector<uint8_t>{}}, true, false}, {0, std::nullopt, true, true},
        {0, std::nullopt, false, false}, {2, Bytes{{0}}, true, true},
        {5, Bytes{{1, 0, 0, 0}}, true, false},
    };
    // clang-format on
    for (const auto& [openStatus, value, connections, connected] : cases) {
        FakeRegistry registry;
        registry.openStatus = openStatus, registry.value = value;
        EXPECT_EQ(IsDialUpConnected(registry, [c = connections] { return c; }), connected)
            << openStatus << " " << (value ? value->size() : 0);
        EXPECT_EQ(registry.open, 0);
    }
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/adjust_total.h"
#include "core/alert.h"
#include "core/calendar.h"
#include "core/dialup_probe.h"
#include "core/duration_text.h"
#include "core/history.h"
#include "core/number_value.h"
#include "core/tray_click.h"
#include "core/utf16.h"

using namespace std::string_literals;

TEST(NumberValue, LeadingNumberOfTextWholeNumberAndRounding) {
    // The text, its leading number and the length of the blank-free text taken.
    const std::tuple<const char*, double, size_t> cases[] = {
        // clang-format off
        {"30min", 30, 2}, {"1 2", 12, 2}, {"\t1\n5", 15, 2}, {"abc", 0, 0}, {"", 0, 0}, {"-1", -1, 2}, {"+7", 7, 2},
        {"1E3", 1000, 3}, {"2d2", 200, 3}, {"2D-1", 0.2, 4}, {"1.5e-1", .15, 6}, {"1e", 1, 1}, {"1e+x", 1, 1}, {"5.e2", 500, 4},
        {"-.5E+1", -5, 6}, {"&H10", 16, 4}, {"&hff", 255, 4}, {"&HAF", 175, 4}, {"&HaFg", 175, 4}, {"&O17", 15, 4},
        {"&o78", 7, 3}, {"&H", 0, 0}, {"&", 0, 0}, {"&x0", 0, 0}, {"&Hzz", 0, 0}, {"2.5", 2.5, 3}, {".5", 0.5, 2}, {"5.", 5, 2},
        {"5.x", 5, 2}, {".", 0, 0}, {"-.25x", -.25, 4}, {"07", 7, 2}, {"--1", 0, 0}, {"1,5", 1, 1}, {"-", 0, 0},
        {"1.2.3", 1.2, 3}, {"9e999", INFINITY, 5}, {"1e-999", 0, 6}, {"1h5", 1, 1}, {"7O7", 7, 1}, {"1e5x", 1e5, 3}};
    // clang-format on
    for (const auto& [text, value, length] : cases) {
        const LeadingNumber n = ParseLeadingNumber(text);
        EXPECT_EQ(std::pair(n.value, n.length), std::pair(value, length)) << text;
    }
    EXPECT_TRUE(WholeNumber(" -1 ") == -1 && WholeNumber("&H1f") == 31);
    for (const char* text : {"5abc", "yes", "", "   ", "1e", "&H"}) EXPECT_FALSE(WholeNumber(text));
    // Rounded half to even, within the 32-bit range.
    EXPECT_TRUE(RoundToInt32(2147483647.4) == INT32_MAX &&
                RoundToInt32(-2147483648.5) == INT32_MIN);
    for (const double out : {2147483647.5, -2147483649.0, double(NAN), double(INFINITY)})
        EXPECT_FALSE(RoundToInt32(out)) << out;
}

TEST(FormatDuration, DaysHoursMinutesSecondsAndNegativeParts) {
    // clang-format off
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00:00:00"}, {59, "00:00:00:59"}, {3661, "00:01:01:01"}, {86399, "00:23:59:59"}, {86400, "01:00:00:00"},
        {8640000, "100:00:00:00"}, {INT32_MAX, "24855:03:14:07"}, {-1, "00:00:00:-1"}, {-65, "00:00:-1:-5"},
        {-3725, "00:-1:-62:-5"}, {INT32_MIN, "-24855:-596523:-35791394:-8"}};  // clang-format on
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

// The limit is set with the options or refused, changing nothing; the message gives plain digits.
TEST(Alert, LimitInForceAndMessageInPlainDigits) {
    // clang-format off
    // Days, hours and minutes; the limit, and the amounts as the message gives them.
    const std::tuple<const char*, const char*, const char*, std::optional<int32_t>, const char*> cases[] = {
        {"1", "2", "30", 95400, "1 days, 2 hours, and 30"}, {"-0", "-1", "", -3600, "0 days,-1 hours, and 0"},
        {"07", "abc", "2.5", 604950, "7 days, 0 hours, and 2.5"}, {"0", "0", "0.375", 22, "0 days, 0 hours, and 0.375"},
        {"0.0000001", "123456.75", "0.1", 444444306, "0.0000001 days, 123456.75 hours, and 0.1"},
        {"0", "1.23456789012345678", "-0.5", 4414, "0 days, 1.23456789012346 hours, and-0.5"},
        {"24855", "", "", 2147472000, "24855 days, 0 hours, and 0"}, {"1e400", "", "", {}, ""}, {"-24856", "", "", {}, ""},
        {"1e15", "-2.4e16", "", 0, "1000000000000000 days,-24000000000000000 hours, and 0"}, {"24856", "", "", {}, ""},
        {"", "596524", "", {}, ""}, {"", "", "35791395", {}, ""}};  // clang-format on
    for (const auto& [days, hours, minutes, limit, amounts] : cases) {
        const Options options{false, false, true, days, hours, minutes};
        AppState state;
        EXPECT_EQ(ApplyOptions(state, options).has_value(), !limit) << days << hours;
        EXPECT_EQ(std::pair(state.options == options, state.alertLimitSeconds),
                  std::pair(limit.has_value(), limit.value_or(0)));
        const std::string message = "An Alert limit of "s + amounts + " minutes has been reached.";
        EXPECT_EQ(limit ? AlertMessage(options) : "", limit ? message : "");
    }
    AppState state;
    EXPECT_EQ(ApplyOptions(state, {false, false, false, "24856", "0", "x"}),
              "The alert limit of \"24856\" days, \"0\" hours and \"x\" minutes is too large. The "
              "largest limit is 2147483647 seconds, for example 24855 days.");
    EXPECT_EQ(SignedNumberText(-INFINITY), "-inf");  // never in a limit in force: no crash
    for (unsigned c : {48u, 57u, 8u, 47u, 58u, 97u, 45u, 46u, 7u, 9u})  // 0 9 Backspace pass
        EXPECT_EQ(DaysKeyPasses(c), c == 48 || c == 57 || c == 8) << c;
}

TEST(AdjustedTotal, AddRoundsEachAmountSubtractRoundsTheResultOrSaysWhatIsTooLarge) {
    using enum AdjustDirection;
    // clang-format off
    const std::string big = " is too large. At most ", would = "The adjusted total would be ",
        at = " can be added or subtracted at once.", range = " seconds, which the log cannot hold. Enter a smaller amount.",
        larger = would + "larger than 2147483647" + range, smaller = would + "smaller than -2147483648" + range;
    // The total, the amounts and the direction; the new total or the message.
    const std::tuple<int32_t, const char*, const char*, const char*, AdjustDirection, std::variant<int32_t, std::string>> cases[] = {
        {100, "", "", "", Subtract, 100}, {100, "1", "2", "3", Add, 93880}, {-5, "", "", "", Add, -5},
        {0, "24855", "", "", Add, 2147472000}, {0, "-24855", "", "", Add, -2147472000}, {0, "", "2.5", "", Add, 7200},
        {0, "", "3.5", "", Add, 14400}, {0, "1.5", "", "", Subtract, -129600}, {100, "", "", "0.25", Subtract, 85},
        {0, "12abc", "", "abc", Add, 1036800}, {INT32_MIN + 60, "", "", "-1", Add, INT32_MIN},
        {INT32_MIN, "", "", "-0.4", Subtract, INT32_MIN + 24}, {INT32_MAX - 60, "", "", "1", Add, INT32_MAX},
        {0, "24856", "", "", Add, "The days amount \"24856\"" + big + "24855 days" + at},
        {0, "-24856", "", "", Add, "The days amount \"-24856\"" + big + "24855 days" + at},
        {0, "", "596524", "", Add, "The hours amount \"596524\"" + big + "596523 hours" + at},
        {0, "", "", "1e12", Add, "The minutes amount \"1e12\"" + big + "35791394 minutes" + at},
        {INT32_MAX - 59, "", "", "1", Add, larger}, {INT32_MIN + 59, "", "", "-1", Add, smaller},
        {-2147483000, "", "", "11", Subtract, smaller}, {0, "-1e400", "", "", Subtract, larger}};  // clang-format on
    for (const auto& [total, days, hours, minutes, direction, expected] : cases)
        EXPECT_EQ(AdjustedTotal(total, days, hours, minutes, direction), expected)
            << total << " " << days << "/" << hours << "/" << minutes;
}

TEST(TrayClicks, DoubleClickTogglesRightClickOpensTheMenuOneAtATime) {
    AppState app;  // the window shown when hidden and hidden when shown
    EXPECT_EQ(std::pair(ToggleStats(app, false), ToggleStats(app, true)), std::pair(true, false));
    std::vector<TrayAction> got;
    TrayClicks clicks;
    auto record = [&](TrayAction a) { got.push_back(a); };
    for (unsigned message = 512; message <= 518; ++message) clicks.OnTrayMouse(message, record);
    // A message that arrives while the menu of another is open is dropped.
    clicks.OnTrayMouse(517, [&](TrayAction) { clicks.OnTrayMouse(515, record); });
    clicks.OnTrayMouse(515, record);
    using enum TrayAction;
    EXPECT_EQ(got, (std::vector{None, None, None, ToggleStats, None, OpenMenu, None, ToggleStats}));
}

// Days counted from 1970-01-01 over leap centuries, and each of 3,200 years' days after the last.
TEST(Calendar, DayNumbersOverWholeErasBothWays) {
    // clang-format off
    for (const auto& [date, day] : {std::pair{CalendarDate{1970, 1, 1}, 0}, {{2000, 2, 29}, 11016},
         {{2100, 3, 1}, 47541}, {{1600, 2, 29}, -135081}, {{-1, 12, 31}, -719529}})  // clang-format on
        EXPECT_EQ(std::tuple(DayNumber(date), DateOfDay(day)), std::tuple(day, date));
    for (int64_t day = -899999; day < 300000; ++day) {
        const CalendarDate d = DateOfDay(day), last = DateOfDay(day - 1);
        const bool next = d == CalendarDate{last.year, last.month, last.day + 1} ||
                          d == CalendarDate{last.year + last.month / 12, last.month % 12 + 1, 1};
        ASSERT_TRUE(next && DayNumber(d) == day) << day;
    }
}

// The registry value decides if it fits four bytes, else the connections are asked; keys closed.
TEST(DialUpProbe, RegistryValueOrElseTheConnections) {
    struct FakeRegistry : RegistryApi {
        long openStatus = kStatusSuccess;
        std::optional<std::string> value;  // its bytes
        int open = 0;
        long OpenKey(const char*, void** key) override {
            return *key = this, open += openStatus == kStatusSuccess, openStatus;
        }
        long QueryValue(void* key, const char*, uint8_t* buffer, uint32_t* size) override {
            EXPECT_TRUE(key == this && *size == 4);
            if (!value) return kStatusNotFound;
            if (value->size() > *size) return std::fill_n(buffer, 4, 1), 234;  // ERROR_MORE_DATA
            *size = static_cast<uint32_t>(value->copy(reinterpret_cast<char*>(buffer), 4));
            return kStatusSuccess;
        }
        void CloseKey(void* key) override { open -= key == this; }
    };
    // The status of opening the key, the value, what the registry says.
    const std::tuple<long, std::optional<std::string>, std::optional<bool>> cases[] = {
        // clang-format off
        {0, "\1\0\0\0"s, true}, {0, "\0\0\0\0"s, false}, {0, "\0\0\0\1"s, true}, {0, "\7"s, true}, {0, "\0"s, false},
        {0, "\1\0\0\0\0"s, false}, {0, ""s, false}, {0, std::nullopt, std::nullopt}, {2, "\0"s, std::nullopt}, {5, "\1\0\0\0"s, false}};
    // clang-format on
    for (const auto& [openStatus, value, says] : cases) {
        FakeRegistry registry;
        registry.openStatus = openStatus, registry.value = value;
        EXPECT_EQ(RegistrySaysConnected(registry), says)
            << openStatus << " " << (value ? value->size() : 0);
        EXPECT_EQ(registry.open, 0);
    }
}


TEST(LocalTime, IsoTextWithTheOffsetBothWays) {
    for (const int offset : {-840, -270, -1, 0, 59, 840})
        EXPECT_EQ(ParseLocalTime(FormatLocalTime({{2024, 2, 29}, 4, 5, 6, offset})),
                  (LocalTime{{2024, 2, 29}, 4, 5, 6, offset}));
    EXPECT_EQ(FormatLocalTime({{2026, 3, 9}, 4, 5, 6, -270}) + FormatLocalTime({{1, 1, 1}}),
              "2026-03-09T04:05:06-04:300001-01-01T00:00:00+00:00");
    // clang-format off
    for (const char* bad : {"2026-02-29T00:00:00+01:00", "2026-13-01T00:00:00+01:00", "2026-12-00T00:00:00+01:00",
         "2026-12-07T24:00:00+01:00", "2026-12-07T12:60:00+01:00", "2026-12-07T12:00:60+01:00", "2026-12-07T12:00:00+14:01",
         "2026-12-07T12:00:00-14:01", "2026-12-07 12:00:00+01:00", "2026-12-07T12:00:00+0100", "2026-12-07T12:00:0x+01:00",
         "2026-12-07T12:00:00*01:00", "X026-12-07T12:00:00+01:00", "2026-12-07T12:00:/0+01:00"})  // clang-format on
        EXPECT_EQ(ParseLocalTime(bad), std::nullopt) << bad;
}


// Valid text both ways; each invalid byte or unit replaced alone; long form past 247 characters.
TEST(Utf16, ConvertsBothWaysAndReplacesWhatIsNotValid) {
    // UTF-8, UTF-16, which way: 1 from UTF-8, 2 to it, 3 both.
    const std::tuple<std::string, std::u16string, int> cases[] = {
        // clang-format off
        {"", u"", 3}, {"C:\\users\\Дмитрий", u"C:\\users\\Дмитрий", 3}, {"\x7f\xc2\x80", u"\x7f\x80", 3},
        {"\xef\xbf\xbf\xe2\x82\xac", u"\xffff€", 3}, {"\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", u"\U0001F600\U0010FFFF", 3},
        {"\xe9t\xe9", u"\xfffdt\xfffd", 1}, {"\xc0\x80", u"\xfffd\xfffd", 1},  // not UTF-8; overlong
        {"\xed\xa0\x80", u"\xfffd\xfffd\xfffd", 1}, {"\xf4\x90\x80\x80", u"\xfffd\xfffd\xfffd\xfffd", 1},
        {"\xe2\x82", u"\xfffd\xfffd", 1}, {"\xe2(\xa1", u"\xfffd(\xfffd", 1}, {"\xf8\x88\x80\x80", u"\xfffd\xfffd\xfffd\xfffd", 1},
        {"\xe0\xa0\x80\xf0\x90\x80\x80", u"\x800\U00010000", 3}, {"\xed\xbf\xbf", u"\xfffd\xfffd\xfffd", 1},  // the bounds
        {"a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xee\x80\x80\xef\xbf\xbd", u"a\xdc00\xdfff\xd800\xe000\xd83d", 2}};  // lone surrogates
    // clang-format on
    for (const auto& [utf8, utf16, ways] : cases) {
        EXPECT_EQ(ways & 1 ? Utf16FromUtf8(utf8) : utf16, utf16) << utf8 << ", to UTF-16";
        EXPECT_EQ(ways & 2 ? Utf8FromUtf16(utf16) : utf8, utf8) << utf8 << ", from UTF-16";
    }
    EXPECT_EQ(Utf16FromUtf8("\xe9t", [](unsigned char c) { return char16_t(c); }), u"ét");
    const std::u16string name(244, u'a'), shortest = u"C:\\" + name, longer = shortest + u"a";
    // clang-format off
    for (const auto& [path, extended] : {std::pair{shortest, shortest}, {longer, u"\\\\?\\" + longer},
         {u"\\\\s\\" + name, u"\\\\?\\UNC\\s\\" + name}, {u"\\\\?\\" + longer, u"\\\\?\\" + longer}, {u"a" + longer, u"a" + longer}})  // clang-format on
        EXPECT_EQ(Utf8FromUtf16(ExtendedLengthPath(path)), Utf8FromUtf16(extended));
}

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "core/adjust_total.h"
#include "core/alert.h"
#include "core/calendar.h"
#include "core/dialup_probe.h"
#include "core/duration_text.h"
#include "core/local_time.h"
#include "core/number_value.h"
#include "core/traffic.h"
#include "core/tray_click.h"
#include "core/utf16.h"

using namespace std::string_literals;

// The shortest text that reads back as the same double: a value off in its last bit shows.
static std::string Text(double v) {
    char s[32];
    return {s, std::to_chars(s, std::end(s), v).ptr};
}

// Each case is "input=expected": what f makes of the input.
static void ExpectEach(std::initializer_list<std::string_view> cases, auto f) {
    for (const std::string_view c : cases)
        EXPECT_EQ(f(std::string(c.substr(0, c.rfind('=')))), c.substr(c.rfind('=') + 1)) << c;
}

// The leading number of the text and the characters it took; rounding half to even in 32 bits.
TEST(NumberValue, LeadingNumberOfTextWholeNumberAndRounding) {
    ExpectEach(
        {"30min=30/2", "\t1\n5=15/2", "+7=7/2",      "-=0/0",      "1E3=1000/3",    "2d2=200/3",
         "2D-1=0.2/4", "1e+x=1/1",    "9e999=inf/5", "1e-999=0/6", "1e5x=1e+05/3",  "&H10=16/4",
         "&hff=255/4", "&HAF=175/4",  "&HaFg=175/4", "&O17=15/4",  "&o78=7/3",      "&H=0/0",
         "&x0=0/0",    "&Hzz=0/0",    "5.=5/2",      "5.x=5/2",    "-.25x=-0.25/4", "7O7=7/1",
         "5.e2=500/4", "1,5=1/1"},
        [](const std::string& t) {
            return Text(ParseLeadingNumber(t).value) + "/" +
                   std::to_string(ParseLeadingNumber(t).length);
        });
    ExpectEach({" -1 =-1", "&H1f=31", "5abc=-", "&H=-"},
               [](const std::string& t) { return WholeNumber(t) ? Text(*WholeNumber(t)) : "-"; });
    EXPECT_EQ(std::tuple(RoundToInt32(2147483647.4), RoundToInt32(-2147483648.5),
                         RoundToInt32(2147483647.5), RoundToInt32(NAN)),
              std::tuple(INT32_MAX, INT32_MIN, std::optional<int32_t>(), std::optional<int32_t>()));
}

// A negative part is left as it is, as a loop of subtractions would leave it.
TEST(FormatDuration, DaysHoursMinutesSecondsAndNegativeParts) {
    ExpectEach({"86399=00:23:59:59", "86400=01:00:00:00", "8640000=100:00:00:00",
                "2147483647=24855:03:14:07", "-65=00:00:-1:-5", "-3725=00:-1:-62:-5"},
               [](const std::string& seconds) { return FormatDuration(std::stoi(seconds)); });
}

// The limit is set with the options or refused, changing nothing; the message gives plain digits.
TEST(Alert, LimitInForceAndMessageInPlainDigits) {
    // Days, hours and minutes, and the limit they make.
    const std::tuple<const char*, const char*, const char*, std::optional<int32_t>> cases[] = {
        {"1", "2", "30", 95400},       {"-0", "-1", "", -3600}, {"0", "0", "0.375", 22},
        {"24855", "", "", 2147472000}, {"24856", "", "", {}},   {"1e15", "-2.4e16", "", 0}};
    for (const auto& [days, hours, minutes, limit] : cases) {
        AppState state;
        const Options options{false, false, true, days, hours, minutes};
        const bool refused = ApplyOptions(state, options).has_value();
        EXPECT_EQ(std::tuple(refused, state.options == options, state.alertLimitSeconds),
                  std::tuple(!limit, limit.has_value(), limit.value_or(0)));
    }
    AppState state;
    EXPECT_EQ(ApplyOptions(state, {false, false, false, "24856", "0", "x"}),
              "The alert limit of \"24856\" days, \"0\" hours and \"x\" minutes is too large. The "
              "largest limit is 2147483647 seconds, for example 24855 days.");
    EXPECT_EQ(AlertMessage({false, false, true, "07", "abc", "-.5"}),
              "An Alert limit of 7 days, 0 hours, and-0.5 minutes has been reached.");
    ExpectEach({"1= 1", "30= 30", "-1=-1", "-0= 0", "0.375= 0.375", "1e-7= 0.0000001",
                "123456.75= 123456.75", "1.23456789012345678= 1.23456789012346",
                "1e15= 1000000000000000", "-inf=-inf"},
               [](const std::string& value) { return SignedNumberText(std::stod(value)); });
    std::string passing;  // the days box takes digits and backspace
    for (unsigned c = 0; c < 256; ++c) passing += DaysKeyPasses(c) ? std::string(1, char(c)) : "";
    EXPECT_EQ(passing, "\b0123456789");
}

TEST(AdjustedTotal, AddRoundsEachAmountSubtractRoundsTheResultOrSaysWhatIsTooLarge) {
    using enum AdjustDirection;
    const std::string range = " seconds, which the log cannot hold. Enter a smaller amount.",
                      larger = "The adjusted total would be larger than 2147483647" + range,
                      smaller = "The adjusted total would be smaller than -2147483648" + range;
    // The total, the amounts and the direction; the new total or the message.
    const std::tuple<int32_t, const char*, const char*, const char*, AdjustDirection,
                     std::variant<int32_t, std::string>>
        cases[] = {{100, "", "", "", Subtract, 100},
                   {100, "1", "2", "3", Add, 93880},
                   {0, "", "2.5", "3.5", Add, 7440},
                   {100, "", "", "0.24", Subtract, 86},
                   {INT32_MIN + 60, "", "", "-1", Add, INT32_MIN},
                   {INT32_MAX - 60, "", "", "1", Add, INT32_MAX},
                   {0, "", "596524", "", Add,
                    "The hours amount \"596524\" is too large. At most 596523 hours can be added "
                    "or subtracted at once."},
                   {INT32_MAX - 59, "", "", "1", Add, larger},
                   {-2147483000, "", "", "11", Subtract, smaller},
                   {0, "-1e400", "", "", Subtract, larger}};
    for (const auto& [total, days, hours, minutes, direction, expected] : cases)
        EXPECT_EQ(AdjustedTotal(total, days, hours, minutes, direction), expected) << total;
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
    EXPECT_EQ(std::tuple(DayNumber({2000, 2, 29}), DayNumber({2100, 3, 1})),
              std::tuple(11016, 47541));
    for (int64_t day = -899999; day < 300000; ++day) {
        const CalendarDate d = DateOfDay(day), last = DateOfDay(day - 1);
        const bool next = d == CalendarDate{last.year, last.month, last.day + 1} ||
                          d == CalendarDate{last.year + last.month / 12, last.month % 12 + 1, 1};
        ASSERT_EQ(std::pair(next, DayNumber(d)), std::pair(true, day));
    }
}

// The registry value decides if it fits four bytes, else the connections are asked; keys closed.
TEST(DialUpProbe, RegistryValueOrElseTheConnections) {
    struct FakeRegistry : RegistryApi {
        long openStatus = 0, queryStatus = 0;
        std::string value;  // what the query writes
        int open = 0;
        long OpenKey(const char*, void** key) override {
            return *key = this, open += openStatus == kStatusSuccess, openStatus;
        }
        long QueryValue(void* key, const char*, uint8_t* buffer, uint32_t* size) override {
            EXPECT_EQ(std::pair(key, *size), std::pair(static_cast<void*>(this), 4u));
            return *size = uint32_t(value.copy(reinterpret_cast<char*>(buffer), 4)), queryStatus;
        }
        void CloseKey(void* key) override { open -= key == this; }
    };
    // The statuses of opening the key and of reading the value (234: over 4 bytes); what it says.
    const std::tuple<long, long, std::string, std::optional<bool>> cases[] = {
        {0, 0, "\0\0\0\1"s, true}, {0, 0, "\7"s, true}, {0, 234, "\1\1\1\1"s, false},
        {0, 0, ""s, false},        {0, 2, ""s, {}},     {2, 0, "\1"s, {}},
        {5, 0, "\1\0\0\0"s, false}};
    for (const auto& [openStatus, queryStatus, value, says] : cases) {
        FakeRegistry fake;
        fake.openStatus = openStatus, fake.queryStatus = queryStatus, fake.value = value;
        const std::optional<bool> got = RegistrySaysConnected(fake);
        EXPECT_EQ(std::pair(got, fake.open), std::pair(says, 0)) << openStatus << queryStatus;
    }
}

// Each field at its bounds; a field out of range or a character out of place is refused.
TEST(LocalTime, IsoTextWithTheOffsetBothWays) {
    for (const int offset : {-840, -1, 59, 840})
        EXPECT_EQ(ParseLocalTime(FormatLocalTime({{2024, 2, 29}, 4, 5, 6, offset})),
                  (LocalTime{{2024, 2, 29}, 4, 5, 6, offset}));
    EXPECT_EQ(FormatLocalTime({{2026, 3, 9}, 4, 5, 6, -270}) + FormatLocalTime({{1, 1, 1}}),
              "2026-03-09T04:05:06-04:300001-01-01T00:00:00+00:00");
    for (const char* bad :
         {"2026-02-29T12:00:00+01:00", "2026-12-07T24:00:00+01:00", "2026-12-07T12:60:00+01:00",
          "2026-12-07T12:00:60+01:00", "2026-12-07T12:00:00+14:01", "2026-12-07T12:00:00-14:01",
          "2026-12-07 12:00:00+01:00", "X026-12-07T12:00:00+01:00", "2026-12-07T12:00:/0+01:00",
          "2026-12-07T12:00:00*01:00"})
        EXPECT_EQ(ParseLocalTime(bad), std::nullopt) << bad;
}

// Valid text both ways; each invalid byte or unit replaced alone; long form past 247 characters.
TEST(Utf16, ConvertsBothWaysAndReplacesWhatIsNotValid) {
    // Sequences of each length, at their bounds.
    const std::string utf8 =
        "C:\\users\\Дмитрий \x7f\xc2\x80\xef\xbf\xbf\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"
        "\xe0\xa0\x80\xf0\x90\x80\x80";
    const std::u16string utf16 =
        u"C:\\users\\Дмитрий \x7f\x80\xffff€\U0001F600\U0010FFFF\x800\U00010000";
    EXPECT_EQ(std::pair(Utf16FromUtf8(utf8), Utf8FromUtf16(utf16)), std::pair(utf16, utf8));
    // Not UTF-8; overlong; surrogates; past U+10FFFF; five bytes; cut short by a byte or the end.
    EXPECT_EQ(Utf16FromUtf8("\xe9t\xe9|\xc0\x80|\xed\xa0\x80|\xed\xbf\xbf|\xf4\x90\x80\x80|"
                            "\xf8\x88\x80\x80|\xe2(\xa1|\xe2\x82"),
              u"\xfffdt\xfffd|\xfffd\xfffd|\xfffd\xfffd\xfffd|\xfffd\xfffd\xfffd|\xfffd\xfffd\xfffd"
              u"\xfffd|\xfffd\xfffd\xfffd\xfffd|\xfffd(\xfffd|\xfffd\xfffd");
    EXPECT_EQ(Utf16FromUtf8("\xe9t", [](unsigned char c) { return char16_t(c); }), u"ét");
    EXPECT_EQ(Utf8FromUtf16(u"a\xdc00\xdfff\xd800\xe000\xd83d"),  // lone surrogates
              "a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xee\x80\x80\xef\xbf\xbd");
    const std::u16string name(244, u'a'), shortest = u"C:\\" + name, longer = shortest + u"a";
    for (const std::u16string& path : {shortest, u"\\\\?\\" + longer})  // short, or long already
        EXPECT_EQ(ExtendedLengthPath(path), path);
    EXPECT_EQ(ExtendedLengthPath(longer) + u"|" + ExtendedLengthPath(u"\\\\s\\" + name),
              u"\\\\?\\" + longer + u"|\\\\?\\UNC\\s\\" + name);
}

// Sizes as Windows shows them: units of 1024, one decimal.
TEST(Traffic, SizesInUnitsOf1024) {
    std::string sizes;
    for (const int64_t bytes :
         std::vector<int64_t>{1, 1023, 1024, 1048524, 1048525, 2043668, 2045661, INT64_MAX})
        sizes += FormatBytes(bytes) + "|";
    EXPECT_EQ(sizes, "1 byte|1023 bytes|1.0 KB|1023.9 KB|1.0 MB|1.9 MB|2.0 MB|8.0 EB|");
}

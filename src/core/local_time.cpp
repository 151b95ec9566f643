#include "core/local_time.h"

#include <cstdio>

#include "core/calendar.h"

int64_t LocalSeconds(const LocalTime& t) {
    return DayNumber(t.date) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string FormatLocalTime(const LocalTime& t) {
    const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.date.year,
                  t.date.month, t.date.day, t.hour, t.minute, t.second,
                  t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::optional<LocalTime> ParseLocalTime(std::string_view text) {
    // Every field has its fixed width: "2026-12-07T14:03:12+01:00".
    constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd+dd:dd";
    if (text.size() != kShape.size()) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const char want = kShape[i], c = text[i];
        const bool ok = want == 'd'   ? c >= '0' && c <= '9'
                        : want == '+' ? c == '+' || c == '-'
                                      : c == want;
        if (!ok) return std::nullopt;
    }
    auto number = [&](size_t at, size_t digits) {
        int value = 0;
        for (size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    LocalTime t{{number(0, 4), number(5, 2), number(8, 2)},
                number(11, 2),
                number(14, 2),
                number(17, 2),
                number(20, 2) * 60 + number(23, 2)};
    if (text[19] == '-') t.utcOffsetMinutes = -t.utcOffsetMinutes;
    // A month or day out of range comes back from the day number as another date.
    const bool valid = DateOfDay(DayNumber(t.date)) == t.date && t.hour < 24 && t.minute < 60 &&
                       t.second < 60 && t.utcOffsetMinutes <= 14 * 60 &&
                       t.utcOffsetMinutes >= -14 * 60;
    if (!valid) return std::nullopt;
    return t;
}

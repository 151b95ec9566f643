#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"

// A moment as the local clock showed it, with that clock's distance from UTC.
struct LocalTime {
    CalendarDate date;
    int hour = 0, minute = 0, second = 0;
    int utcOffsetMinutes = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// Seconds since 1970-01-01 00:00 on the local clock (not UTC): what splits a time by local days.
int64_t LocalSeconds(const LocalTime& t);

// ISO 8601 with the offset, as spreadsheets read it: "2026-12-07T14:03:12+01:00".
std::string FormatLocalTime(const LocalTime& t);
std::optional<LocalTime> ParseLocalTime(std::string_view text);

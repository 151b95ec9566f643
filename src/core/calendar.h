#pragma once
#include <cstdint>

#include "core/app_state.h"

// Days since 1970-01-01 in the proleptic Gregorian calendar, and back.
int64_t DayNumber(const CalendarDate& date);
CalendarDate DateOfDay(int64_t dayNumber);

#pragma once
#include <cstdint>
#include <string>

// "days:hours:minutes:seconds", each part at least two characters; defined for every value.
std::string FormatDuration(int32_t seconds);

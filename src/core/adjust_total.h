#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

enum class AdjustDirection { Add, Subtract };

// The adjust dialog's OK: the new total, or the message to show when it would leave the 32-bit
// range. Adding rounds each amount before multiplying; subtracting keeps fractions and rounds the
// result.
std::variant<int32_t, std::string> AdjustedTotal(int32_t total, std::string_view days,
                                                 std::string_view hours, std::string_view minutes,
                                                 AdjustDirection direction);

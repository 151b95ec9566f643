#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct LeadingNumber {
    double value = 0;
    size_t length = 0;  // characters of the blank-free text that the number took; 0 when none
};

// The leading number of a text after every blank, tab and line feed is removed; the point is the
// decimal separator in every locale.
LeadingNumber ParseLeadingNumber(std::string_view text);
double NumberValue(std::string_view text);
// The value when the whole text, blanks aside, is one number.
std::optional<double> WholeNumber(std::string_view text);

// Nearest integer, ties to even; nullopt outside the 32-bit signed range.
std::optional<int32_t> RoundToInt32(double value);

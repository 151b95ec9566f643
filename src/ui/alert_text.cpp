#include "ui/alert_text.h"

#include <charconv>
#include <cmath>

#include "app/number_value.h"

std::string SignedNumberText(double value) {
    if (value == 0) value = 0;  // no "-0"
    char digits[64];
    // Plain digits while they stay readable; an exponent beyond that.
    const auto format =
        std::fabs(value) < 1e15 ? std::chars_format::fixed : std::chars_format::general;
    const auto end = std::to_chars(digits, digits + sizeof digits, value, format).ptr;
    std::string text(digits, end);
    return value < 0 ? text : " " + text;
}

std::string AlertMessage(const AppState& state) {
    return "An Alert limit of" + SignedNumberText(NumberValue(state.AlertDays)) + " days," +
           SignedNumberText(NumberValue(state.AlertHours)) + " hours, and" +
           SignedNumberText(NumberValue(state.AlertMinutes)) + " minutes has been reached.";
}

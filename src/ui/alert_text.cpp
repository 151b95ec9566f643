#include "ui/alert_text.h"

#include <cstdio>

#include "app/number_value.h"

std::string SignedNumberText(double value) {
    if (value == 0) value = 0;  // no "-0"
    // Fifteen significant digits, as much as a double holds exactly. The program keeps the "C"
    // locale, so the separator is always a point.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.15g", value);
    std::string text(digits);
    return value < 0 ? text : " " + text;
}

std::string AlertMessage(const AppState& state) {
    return "An Alert limit of" + SignedNumberText(NumberValue(state.AlertDays)) + " days," +
           SignedNumberText(NumberValue(state.AlertHours)) + " hours, and" +
           SignedNumberText(NumberValue(state.AlertMinutes)) + " minutes has been reached.";
}

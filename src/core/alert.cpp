#include "core/alert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/app_error.h"
#include "core/number_value.h"

std::optional<int32_t> AlertLimit(std::string_view days, std::string_view hours,
                                  std::string_view minutes) {
    double sum = NumberValue(days) * 86400.0;
    sum += NumberValue(hours) * 3600.0;
    sum += NumberValue(minutes) * 60.0;
    if (!std::isfinite(sum)) return std::nullopt;
    return RoundToInt32(sum);
}

int32_t AlertLimitOrThrow(const Options& o) {
    if (const auto limit = AlertLimit(o.alertDays, o.alertHours, o.alertMinutes)) return *limit;
    throw AppError(kErrOverflow,
                   "The alert limit of " + ShownInMessage(o.alertDays) + " days, " +
                       ShownInMessage(o.alertHours) + " hours and " +
                       ShownInMessage(o.alertMinutes) +
                       " minutes is too large. The largest limit is 2147483647 seconds, for "
                       "example " +
                       std::to_string(kMaxWholeDays) + " days.");
}

namespace {

// Fifteen significant digits, as much as a double holds exactly, written out without an exponent.
std::string PlainDigits(double magnitude) {
    char scientific[32];
    if (!std::isfinite(magnitude)) return "inf";
    std::snprintf(scientific, sizeof scientific, "%.14e", magnitude);
    std::string digits = scientific[0] + std::string(scientific + 2, 14);
    const int point = std::atoi(std::strchr(scientific, 'e') + 1) + 1;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const auto count = static_cast<int>(digits.size());
    if (point <= 0) return "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    if (point >= count) return digits + std::string(static_cast<size_t>(point - count), '0');
    return digits.substr(0, static_cast<size_t>(point)) + "." +
           digits.substr(static_cast<size_t>(point));
}

}  // namespace

std::string SignedNumberText(double value) {
    if (value == 0) return " 0";  // no "-0"
    // The program keeps the "C" locale, so the separator is always a point.
    return (value < 0 ? "-" : " ") + PlainDigits(std::fabs(value));
}

std::string AlertMessage(const Options& o) {
    return "An Alert limit of" + SignedNumberText(NumberValue(o.alertDays)) + " days," +
           SignedNumberText(NumberValue(o.alertHours)) + " hours, and" +
           SignedNumberText(NumberValue(o.alertMinutes)) + " minutes has been reached.";
}

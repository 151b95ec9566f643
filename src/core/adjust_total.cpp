#include "core/adjust_total.h"

#include <array>
#include <cmath>

#include "core/app_error.h"
#include "core/number_value.h"

namespace {

struct Unit {
    const char* name;
    int32_t seconds;
};
// Arrays that check their index in the tests' builds.
constexpr std::array<Unit, 3> kUnits = {{{"days", 86400}, {"hours", 3600}, {"minutes", 60}}};

std::string TooLarge(const Unit& unit, std::string_view text) {
    return "The " + std::string(unit.name) + " amount " + ShownInMessage(text) +
           " is too large. At most " + std::to_string(2147483647 / unit.seconds) + " " + unit.name +
           " can be added or subtracted at once.";
}

std::string OutOfRange(double total) {
    return std::string("The adjusted total would be ") +
           (total > 0 ? "larger than 2147483647" : "smaller than -2147483648") +
           " seconds, which the log cannot hold. Enter a smaller amount.";
}

}  // namespace

std::variant<int32_t, std::string> AdjustedTotal(int32_t total, std::string_view days,
                                                 std::string_view hours, std::string_view minutes,
                                                 AdjustDirection direction) {
    const std::array<std::string_view, 3> texts = {days, hours, minutes};
    if (direction == AdjustDirection::Subtract) {
        double result = total;
        for (size_t i = 0; i < 3; ++i) result -= NumberValue(texts[i]) * kUnits[i].seconds;
        if (const auto rounded = std::isfinite(result) ? RoundToInt32(result) : std::nullopt)
            return *rounded;
        return OutOfRange(result);
    }
    int64_t sum = total;
    for (size_t i = 0; i < 3; ++i) {
        const auto amount = RoundToInt32(NumberValue(texts[i]));
        const int64_t product = amount ? int64_t{*amount} * kUnits[i].seconds : 0;
        if (!amount || product > INT32_MAX || product < INT32_MIN)
            return TooLarge(kUnits[i], texts[i]);
        sum += product;
        if (sum > INT32_MAX || sum < INT32_MIN) return OutOfRange(static_cast<double>(sum));
    }
    return static_cast<int32_t>(sum);
}

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/options.h"

// days x 86400 + hours x 3600 + minutes x 60, rounded; nullopt outside the 32-bit range.
std::optional<int32_t> AlertLimit(std::string_view days, std::string_view hours,
                                  std::string_view minutes);
// The limit, or an AppError that says which amounts are too large.
int32_t AlertLimitOrThrow(const Options& options);

// Largest whole number of days a limit or an adjustment can hold, for messages.
inline constexpr int32_t kMaxWholeDays = 24855;

// " 3", " 0", " 1.5", " 0.0000001", "-2": plain decimal digits, a blank where a minus would be.
std::string SignedNumberText(double value);

// "An Alert limit of 1 days, 2 hours, and 30 minutes has been reached."
std::string AlertMessage(const Options& options);

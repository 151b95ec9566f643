#pragma once
#include <optional>
#include <string>

// The user's six options, in the settings file's line order. The amounts are kept as typed: the
// alert message repeats them and the file stores them back unchanged.
struct Options {
    bool clearOnFirstOfMonth = false;
    bool clearEverySunday = false;
    bool alertEnabled = false;
    std::string alertDays = "0";
    std::string alertHours = "0";
    std::string alertMinutes = "0";
    friend bool operator==(const Options&, const Options&) = default;
};

struct AppState;

// Puts new options and their alert limit in force; when the limit would be too large it returns
// the message to show and changes nothing.
std::optional<std::string> ApplyOptions(AppState& state, const Options& options);

// The days box takes only digits and backspace.
bool DaysKeyPasses(unsigned code);

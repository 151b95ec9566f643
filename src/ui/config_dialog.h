#pragma once
#include <optional>
#include <string>

#include "app/app_state.h"

// What frmConfig's controls hold, named after them.
struct ConfigInput {
    bool Check1 = false;  // "Clear Log first of Month"
    bool Check2 = false;  // "Clear every Sunday"
    bool Check3 = false;  // "Alert after:"
    std::string Text1;    // days
    std::string Text5;    // hours
    std::string Text4;    // minutes
};

ConfigInput ConfigFromState(const AppState& state);

// "OK": stores the options and the limit. When the limit would be too large it returns the
// message to show and changes nothing.
std::optional<std::string> ApplyConfig(AppState& state, const ConfigInput& input);

// The days box takes only digits and backspace.
bool DaysKeyPasses(unsigned code);

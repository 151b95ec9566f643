#pragma once
#include <string>

#include "app/app_state.h"

// " 3", " 0", " 1.5", "-2": a blank stands where a minus sign would.
std::string SignedNumberText(double value);

// "An Alert limit of 1 days, 2 hours, and 30 minutes has been reached."
std::string AlertMessage(const AppState& state);

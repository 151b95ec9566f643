#pragma once
#include <windows.h>

#include "core/app_error.h"

inline constexpr const char* kProgramTitle = "Velmora Online Timer";

// A message box with the error's number and text.
void ReportError(const AppError& error, HWND owner = nullptr);

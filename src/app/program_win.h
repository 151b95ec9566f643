#pragma once
#include <windows.h>

#include <string>

#include "app/app_error.h"
#include "app/lifecycle.h"
#include "tracking/tick_engine.h"

inline constexpr const char* kProgramTitle = "Velmora Online Timer";

namespace modMain {
// Where the two files are used in this run, decided once at start-up.
extern DataPaths dataPaths;
// Null until start-up has loaded the state.
extern TickEngine* tickEngine;
}  // namespace modMain

// The fixed paths, or their per-user copies where Windows would redirect them.
DataPaths ResolveDataPaths();
// Where Windows keeps a user's copy of a file under its own folder.
std::string PerUserCopy(const std::string& fixedPath);

// A message box with the error's number and text.
void ReportError(const AppError& error, HWND owner = nullptr);

// Writes the time log file now and lets the tick engine know.
void SaveLogNow(const LogRecord& record);

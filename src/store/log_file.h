#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "store/file_ops.h"

inline constexpr const char* kLogPath = "c:\\windows\\tavo.dat";
inline constexpr const char* kLogWhat = "time log file";

// Line 1: the total as " 3600 " or "-42 " with CR LF; an optional line 2 holds the date of the
// last scheduled clearing as "2026-12-06".
LogRecord ParseLog(std::string_view bytes, const std::string& path);
std::string FormatLog(const LogRecord& record);

// nullopt when the file is missing or empty: the caller then writes the line for 0.
std::optional<LogRecord> LoadLogTotal(const std::string& path = kLogPath,
                                      FileOps& ops = SystemFileOps());
void SaveLogTotal(const LogRecord& record, const std::string& path = kLogPath);

#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/options.h"

inline constexpr const char* kSettingsPath = "c:\\windows\\tavo.ini";
inline constexpr const char* kSettingsWhat = "settings file";

// Six lines, each ended by CR LF; a reader takes a line up to CR and drops one LF after it.
Options ParseSettings(std::string_view bytes, const std::string& path);
std::string FormatSettings(const Options& options);

// nullopt when the file is missing or empty: the caller then writes the defaults. Throws AppError
// for a file that cannot be read or does not hold six valid lines.
std::optional<Options> LoadSettings(const std::string& path = kSettingsPath);
// A new file: "0" on all six lines.
void CreateDefaultSettings(const std::string& path = kSettingsPath);
void SaveSettings(const Options& options, const std::string& path = kSettingsPath);

#include "store/settings_file.h"

#include <algorithm>
#include <optional>

#include "core/app_error.h"
#include "core/number_value.h"
#include "store/text_file.h"

namespace {

constexpr int kLines = 6;
constexpr const char* kLineNames[kLines] = {"\"Clear Log first of Month\"",
                                            "\"Clear every Sunday\"",
                                            "\"Alert after:\"",
                                            "alert days",
                                            "alert hours",
                                            "alert minutes"};

// b is a word of lowercase letters: only a letter's two cases match it once bit 5 is set.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return (x | 0x20) == y; });
}

std::optional<bool> ParseBoolean(std::string_view text) {
    if (EqualsIgnoringCase(text, "true")) return true;
    if (EqualsIgnoringCase(text, "false")) return false;
    if (const auto number = WholeNumber(text)) return *number != 0;
    return std::nullopt;
}

std::string Where(const std::string& path, int line) {
    return "The settings file \"" + path + "\", line " + std::to_string(line) + " (" +
           kLineNames[line - 1] + "), ";
}

constexpr const char* kWhatToDo =
    " Correct the file, or delete it to start again with the default options.";

}  // namespace

Options ParseSettings(std::string_view bytes, const std::string& path) {
    std::string_view lines[kLines];
    size_t pos = 0;
    for (int i = 0; i < kLines; ++i) {
        if (pos >= bytes.size())
            throw AppError(kErrInputPastEnd, "The settings file \"" + path + "\" ends after " +
                                                 std::to_string(i) + " of its 6 lines." +
                                                 kWhatToDo);
        const size_t cr = std::min(bytes.find('\r', pos), bytes.size());
        lines[i] = bytes.substr(pos, cr - pos);
        pos = cr + 1;
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    bool flags[3];
    for (int i = 0; i < 3; ++i) {
        const auto flag = ParseBoolean(lines[i]);
        if (!flag)
            throw AppError(kErrBadContent, Where(path, i + 1) + "holds " +
                                               ShownInMessage(lines[i]) +
                                               "; expected True, False or a number." + kWhatToDo);
        flags[i] = *flag;
    }
    return {flags[0],
            flags[1],
            flags[2],
            std::string(lines[3]),
            std::string(lines[4]),
            std::string(lines[5])};
}

std::string FormatSettings(const Options& o) {
    auto word = [](bool b) { return b ? "True\r\n" : "False\r\n"; };
    return std::string(word(o.clearOnFirstOfMonth)) + word(o.clearEverySunday) +
           word(o.alertEnabled) + o.alertDays + "\r\n" + o.alertHours + "\r\n" + o.alertMinutes +
           "\r\n";
}

void CreateDefaultSettings(const std::string& path) {
    std::string bytes;
    for (int i = 0; i < kLines; ++i) bytes += "0\r\n";
    WriteFileAtomically(path, bytes, kSettingsWhat);
}

std::optional<Options> LoadSettings(const std::string& path) {
    const auto bytes = ReadWholeFile(path, kSettingsWhat);
    if (!bytes || bytes->empty()) return std::nullopt;
    return ParseSettings(*bytes, path);
}

void SaveSettings(const Options& options, const std::string& path) {
    WriteFileAtomically(path, FormatSettings(options), kSettingsWhat);
}

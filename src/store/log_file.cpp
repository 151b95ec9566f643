#include "store/log_file.h"

#include <cstdio>

#include "core/app_error.h"
#include "core/number_value.h"
#include "store/text_file.h"

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

AppError BadContent(int number, const std::string& path, const std::string& problem) {
    return AppError(number, "The time log file \"" + path + "\" " + problem +
                                " Correct the file, or delete it to start again from a total of "
                                "0.");
}

std::optional<CalendarDate> ParseIsoDate(std::string_view text) {
    int y, m, d;
    char tail;
    const std::string s(text);
    if (s.size() != 10 || std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return std::nullopt;
    if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    return CalendarDate{y, m, d};
}

}  // namespace

LogRecord ParseLog(std::string_view bytes, const std::string& path) {
    size_t pos = bytes.find_first_not_of(" \r\n");
    if (pos == std::string_view::npos) pos = bytes.size();
    const size_t end = std::min(bytes.find_first_of(" ,\r\n", pos), bytes.size());
    const std::string_view field = bytes.substr(pos, end - pos);
    const auto number = WholeNumber(field);
    if (!number)
        throw BadContent(
            kErrBadContent, path,
            "holds " + ShownInMessage(field) + " where a number of seconds is expected.");
    const auto total = RoundToInt32(*number);
    if (!total)
        throw BadContent(kErrOverflow, path,
                         "holds " + ShownInMessage(field) +
                             ", which is outside the range of a total (-2147483648 to "
                             "2147483647 seconds).");
    LogRecord record{*total, std::nullopt};

    // The optional second line; the rest of the first line is not looked at.
    size_t next = bytes.find_first_of("\r\n", end);
    while (next < bytes.size() && IsLineEnd(bytes[next])) ++next;
    if (next >= bytes.size()) return record;
    const size_t lineEnd = std::min(bytes.find_first_of("\r\n", next), bytes.size());
    const std::string_view line = bytes.substr(next, lineEnd - next);
    if (line.find_first_not_of(' ') == std::string_view::npos) return record;
    record.lastScheduledClear = ParseIsoDate(line);
    if (!record.lastScheduledClear)
        throw BadContent(kErrBadContent, path,
                         "holds " + ShownInMessage(line) +
                             " on line 2, where the date of the last scheduled clearing "
                             "(such as 2026-12-06) is expected.");
    return record;
}

std::string FormatLog(const LogRecord& record) {
    std::string bytes = record.total >= 0 ? " " : "";
    bytes += std::to_string(record.total);
    bytes += " \r\n";
    if (const auto& d = record.lastScheduledClear) {
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d\r\n", d->year, d->month, d->day);
        bytes += date;
    }
    return bytes;
}

std::optional<LogRecord> LoadLogTotal(const std::string& path, FileOps& ops) {
    const auto bytes = ReadWholeFile(path, kLogWhat, ops);
    if (!bytes || bytes->empty()) return std::nullopt;
    return ParseLog(*bytes, path);
}

void SaveLogTotal(const LogRecord& record, const std::string& path) {
    WriteFileAtomically(path, FormatLog(record), kLogWhat);
}

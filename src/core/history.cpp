#include "core/history.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/calendar.h"

namespace {

// More than the timer can count: a damaged line.
constexpr int64_t kLongestSession = 2147483647;

std::vector<DatedUsage> Recent(const std::map<int64_t, Usage>& table, size_t count,
                               CalendarDate (*dateOf)(int64_t)) {
    std::vector<DatedUsage> rows;
    for (auto it = table.rbegin(); it != table.rend() && rows.size() < count; ++it)
        if (it->second.seconds > 0) rows.push_back({dateOf(it->first), it->second});
    return rows;
}

// Years are never negative: a date is read with four digits.
CalendarDate FirstOfMonth(int64_t index) {
    return {static_cast<int>(index / 12), static_cast<int>(index % 12) + 1, 1};
}

}  // namespace

// A line end would split the line: it becomes a space.
std::string CsvText(std::string_view text) {
    std::string field;
    for (const char c : text) field.append(c == '"' ? 2 : 1, c == '\r' || c == '\n' ? ' ' : c);
    return text.find_first_of(",\"") == std::string_view::npos ? field : '"' + field + '"';
}

std::string FormatSessionLine(const SessionRecord& s) {
    const std::string line =
        FormatLocalTime(s.start) + "," + FormatLocalTime(s.end) + "," + std::to_string(s.seconds);
    return s.connection.empty() ? line : line + "," + CsvText(s.connection);
}

namespace {

// A CSV field: as it stands, or quoted with its quotes doubled.
std::optional<std::string> CsvField(std::string_view field) {
    // A line end inside a line is damage: the history never writes one.
    if (field.find('\r') != std::string_view::npos) return std::nullopt;
    if (!field.starts_with('"')) {
        if (field.find('"') != std::string_view::npos) return std::nullopt;
        return std::string(field);
    }
    std::string text;
    for (size_t i = 1; i < field.size(); ++i) {
        if (field[i] != '"') {
            text += field[i];
        } else if (i + 1 == field.size()) {
            return text;
        } else if (field[++i] != '"') {
            return std::nullopt;
        } else {
            text += '"';
        }
    }
    return std::nullopt;  // no closing quote
}

}  // namespace

std::optional<SessionRecord> ParseSessionLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t first = line.find(','), second = line.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const size_t third = line.find(',', second + 1);
    const auto start = ParseLocalTime(line.substr(0, first));
    const auto stop = ParseLocalTime(line.substr(first + 1, second - first - 1));
    const std::string_view digits = line.substr(second + 1, third - second - 1);
    const auto connection =
        third == std::string_view::npos ? std::string() : CsvField(line.substr(third + 1));
    int64_t seconds{};
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
    // The clock times are not checked against each other: a clock set back or forward, or a time
    // zone changed, during a session leaves any span between them.
    if (!start || !stop || !connection || error != std::errc() ||
        end != digits.data() + digits.size() || seconds < 0 || seconds > kLongestSession)
        return std::nullopt;
    return SessionRecord{*start, *stop, seconds, *connection};
}

HistoryRead ParseHistory(std::string_view bytes) {
    HistoryRead read;
    size_t pos = 0;
    for (bool first = true; pos < bytes.size(); first = false) {
        const size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) break;  // cut off while it was written
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (first && line.ends_with('\r')) line.remove_suffix(1);
        if (first && (line == kHistoryHeader || line == kHistoryHeader.substr(0, 17))) continue;
        if (const auto session = ParseSessionLine(line))
            read.sessions.push_back(*session);
        else
            ++read.skippedLines;
    }
    return read;
}

std::string HistoryFileText(const std::string& path, int skippedLines) {
    const std::string text = "Kept in \"" + path + "\".";
    if (skippedLines == 0) return text;
    return text + " " + std::to_string(skippedLines) + (skippedLines == 1 ? " line" : " lines") +
           " of it could not be read and " + (skippedLines == 1 ? "was" : "were") + " left out.";
}

void UsageTable::Add(const SessionRecord& s) {
    // Over no more clock time than was counted: a clock moved forward, or time asleep, holds none
    // of it. A clock set back squeezes it into what is left.
    const int64_t from = LocalSeconds(s.start);
    const int64_t to = std::clamp(LocalSeconds(s.end), from, from + s.seconds);
    const int64_t first = DayNumber(s.start.date);
    int64_t given = 0;
    std::optional<int64_t> lastMonth;
    for (int64_t day = first; day == first || day * 86400 < to; ++day) {
        // The seconds up to the end of this day, in proportion to the clock time: the parts add
        // up to the session's count whatever the rounding.
        const int64_t upTo = to == from || (day + 1) * 86400 >= to
                                 ? s.seconds
                                 : std::llround(static_cast<double>(s.seconds) *
                                                static_cast<double>((day + 1) * 86400 - from) /
                                                static_cast<double>(to - from));
        const int64_t part = upTo - given;
        given = upTo;
        Usage& daily = days_[day];
        daily.seconds += part;
        connections_[day][s.connection.empty() ? std::string(kDialUpKind) : s.connection] += part;
        ++daily.sessions;
        const CalendarDate date = DateOfDay(day);
        const int64_t month = int64_t{date.year} * 12 + date.month - 1;
        Usage& monthly = months_[month];
        monthly.seconds += part;
        if (month != lastMonth) ++monthly.sessions;
        lastMonth = month;
    }
}

std::vector<DatedUsage> UsageTable::RecentDays(size_t count) const {
    return Recent(days_, count, DateOfDay);
}

std::vector<DatedUsage> UsageTable::RecentMonths(size_t count) const {
    return Recent(months_, count, FirstOfMonth);
}

std::vector<int64_t> UsageTable::DailySeconds(const CalendarDate& last, int count) const {
    std::vector<int64_t> seconds;
    for (int64_t day = DayNumber(last) - count + 1; day <= DayNumber(last); ++day) {
        const auto it = days_.find(day);
        seconds.push_back(it == days_.end() ? 0 : it->second.seconds);
    }
    return seconds;
}

std::vector<std::pair<std::string, int64_t>> UsageTable::ByConnection(
    const CalendarDate& first, const CalendarDate& last) const {
    std::map<std::string, int64_t> sums;
    for (auto it = connections_.lower_bound(DayNumber(first));
         it != connections_.end() && it->first <= DayNumber(last); ++it)
        for (const auto& [name, seconds] : it->second) sums[name] += seconds;
    std::vector<std::pair<std::string, int64_t>> sorted;
    for (const auto& [name, seconds] : sums)
        if (seconds > 0) sorted.emplace_back(name, seconds);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return sorted;
}

std::string FormatHours(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string ConnectionsText(const std::vector<std::pair<std::string, int64_t>>& seconds) {
    std::string text;
    for (const auto& [name, s] : seconds)
        text += (text.empty() ? "" : ", ") + name + " " + FormatHours(s);
    return text;
}

std::string DaysAsCsv(const std::vector<DatedUsage>& days, const UsageTable& table) {
    std::string csv = "date,online time,seconds,sessions,connections\r\n";
    for (const DatedUsage& d : days) {
        char line[80];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d,%s,%lld,%d,", d.date.year, d.date.month,
                      d.date.day, FormatHours(d.usage.seconds).c_str(),
                      static_cast<long long>(d.usage.seconds), d.usage.sessions);
        csv += line + CsvText(ConnectionsText(table.ByConnection(d.date, d.date))) + "\r\n";
    }
    return csv;
}

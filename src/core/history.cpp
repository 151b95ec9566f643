#include "core/history.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/calendar.h"

namespace {

// More than the timer can count, or than a session could move: a damaged line.
constexpr int64_t kLongestSession = 2147483647, kMostBytes = int64_t{1} << 48;

std::vector<DatedUsage> Recent(const std::map<int64_t, Usage>& table, size_t count,
                               CalendarDate (*dateOf)(int64_t)) {
    std::vector<DatedUsage> rows;
    for (auto it = table.rbegin(); it != table.rend() && rows.size() < count; ++it)
        if (it->second.seconds > 0) rows.push_back({dateOf(it->first), it->second});
    return rows;
}

void Merge(Usage& into, const Usage& part) {
    into.seconds += part.seconds;
    into.sessions += part.sessions;
    into.data.received += part.data.received;
    into.data.sent += part.data.sent;
    into.dataUnknown += part.dataUnknown;
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
    std::string line =
        FormatLocalTime(s.start) + "," + FormatLocalTime(s.end) + "," + std::to_string(s.seconds);
    if (!s.connection.empty() || s.data) line += "," + CsvText(s.connection);
    if (s.data) line += "," + std::to_string(s.data->received) + "," + std::to_string(s.data->sent);
    return line;
}

namespace {

// A count in decimal digits, up to `most`.
std::optional<int64_t> Count(std::string_view digits, int64_t most) {
    int64_t value{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 0 || value > most)
        return std::nullopt;
    return value;
}

// Where the CSV field that `text` starts with ends: past its closing quote when it is quoted.
size_t FieldEnd(std::string_view text) {
    if (!text.starts_with('"')) return std::min(text.find(','), text.size());
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '"') continue;
        if (i + 1 == text.size() || text[i + 1] != '"') return i + 1;
        ++i;  // a doubled quote
    }
    return text.size();
}

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
    const size_t third = std::min(line.find(',', second + 1), line.size());
    const auto start = ParseLocalTime(line.substr(0, first));
    const auto stop = ParseLocalTime(line.substr(first + 1, second - first - 1));
    const auto seconds = Count(line.substr(second + 1, third - second - 1), kLongestSession);
    std::string_view rest = line.substr(std::min(third + 1, line.size()));
    const size_t named = FieldEnd(rest);
    const auto connection = third == line.size() ? std::string() : CsvField(rest.substr(0, named));
    rest.remove_prefix(named);
    // The clock times are not checked against each other: a clock set back or forward, or a time
    // zone changed, during a session leaves any span between them.
    if (!start || !stop || !seconds || !connection) return std::nullopt;
    SessionRecord session{*start, *stop, *seconds, *connection};
    if (rest.empty()) return session;
    const size_t sent = rest.find(',', 1);
    const auto in = Count(rest.substr(1, sent - 1), kMostBytes);
    const auto out = Count(rest.substr(std::min(sent + 1, rest.size())), kMostBytes);
    if (!rest.starts_with(',') || sent == std::string_view::npos || !in || !out)
        return std::nullopt;
    session.data = Traffic{*in, *out};
    return session;
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
        // The header, or one older versions wrote before the data or the connection.
        if (first && (line == kHistoryHeader || line == kHistoryHeader.substr(0, 28) ||
                      line == kHistoryHeader.substr(0, 17)))
            continue;
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
    const Traffic data = s.data.value_or(Traffic{});
    Usage given;
    std::optional<int64_t> lastMonth;
    for (int64_t day = first; day == first || day * 86400 < to; ++day) {
        // Up to the end of this day, in proportion to the clock time: the parts add up to the
        // session's counts whatever the rounding.
        const bool last = to == from || (day + 1) * 86400 >= to;
        const auto upTo = [&](int64_t amount) {
            return last ? amount
                        : std::llround(static_cast<double>(amount) *
                                       static_cast<double>((day + 1) * 86400 - from) /
                                       static_cast<double>(to - from));
        };
        const Usage whole{upTo(s.seconds), 0, {upTo(data.received), upTo(data.sent)}};
        Usage part{whole.seconds - given.seconds,
                   1,
                   {whole.data.received - given.data.received, whole.data.sent - given.data.sent},
                   s.data ? 0 : 1};
        given = whole;
        Merge(days_[day], part);
        Merge(connections_[day][s.connection.empty() ? std::string(kDialUpKind) : s.connection],
              part);
        const CalendarDate date = DateOfDay(day);
        const int64_t month = int64_t{date.year} * 12 + date.month - 1;
        if (month == lastMonth) part.sessions = part.dataUnknown = 0;
        Merge(months_[month], part);
        lastMonth = month;
    }
}

std::vector<DatedUsage> UsageTable::RecentDays(size_t count) const {
    return Recent(days_, count, DateOfDay);
}

std::vector<DatedUsage> UsageTable::RecentMonths(size_t count) const {
    return Recent(months_, count, FirstOfMonth);
}

std::vector<Usage> UsageTable::Daily(const CalendarDate& last, int count) const {
    std::vector<Usage> daily;
    for (int64_t day = DayNumber(last) - count + 1; day <= DayNumber(last); ++day) {
        const auto it = days_.find(day);
        daily.push_back(it == days_.end() ? Usage{} : it->second);
    }
    return daily;
}

std::vector<NamedUsage> UsageTable::ByConnection(const CalendarDate& first,
                                                 const CalendarDate& last) const {
    std::map<std::string, Usage> sums;
    for (auto it = connections_.lower_bound(DayNumber(first));
         it != connections_.end() && it->first <= DayNumber(last); ++it)
        for (const auto& [name, usage] : it->second) Merge(sums[name], usage);
    std::vector<NamedUsage> sorted;
    for (const auto& [name, usage] : sums)
        if (usage.seconds > 0) sorted.push_back({name, usage});
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.usage.seconds > b.usage.seconds;
    });
    return sorted;
}

std::string FormatHours(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string DataText(const Usage& usage) {
    if (usage.dataUnknown >= usage.sessions) return "unknown";
    const std::string known = FormatBytes(usage.data.received + usage.data.sent);
    return usage.dataUnknown > 0 ? known + " + unknown" : known;
}

ByteScale ScaleOfBytes(int64_t most) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    // Up to what a day could hold: a session's line holds at most 256 TB.
    most = std::clamp(most, int64_t{1024}, int64_t{1000} << 40);
    int64_t size = 1024;
    size_t unit = 0;
    // As FormatBytes changes unit near 1024 of one: under 1000 of it.
    for (; size * 1000 < most; ++unit) size *= 1024;
    // Steps of 1, 2, 5, 10, 20, 50... of the unit: at most 200, as `most` is at most 1000.
    int64_t multiple = 1;
    for (int i = 0; multiple * size * 5 < most; ++i)
        multiple = i % 3 == 1 ? multiple / 2 * 5 : multiple * 2;
    ByteScale scale{multiple * size, {"0"}};
    for (int64_t line = 1; (line - 1) * scale.step < most; ++line)
        scale.labels.push_back(std::to_string(line * multiple) + " " + kUnits[unit]);
    return scale;
}

std::string ConnectionsText(const std::vector<NamedUsage>& connections) {
    std::string text;
    for (const auto& [name, usage] : connections) {
        text += (text.empty() ? "" : ", ") + name + " " + FormatHours(usage.seconds);
        if (usage.dataUnknown < usage.sessions) text += " (" + DataText(usage) + ")";
    }
    return text;
}

std::string DaysAsCsv(const std::vector<DatedUsage>& days, const UsageTable& table) {
    std::string csv = "date,online time,seconds,sessions,connections,received,sent\r\n";
    for (const DatedUsage& d : days) {
        const Usage& u = d.usage;
        char line[80];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d,%s,%lld,%d,", d.date.year, d.date.month,
                      d.date.day, FormatHours(u.seconds).c_str(), static_cast<long long>(u.seconds),
                      u.sessions);
        csv += line + CsvText(ConnectionsText(table.ByConnection(d.date, d.date)));
        csv += u.dataUnknown >= u.sessions
                   ? ",,"
                   : "," + std::to_string(u.data.received) + "," + std::to_string(u.data.sent);
        csv += "\r\n";
    }
    return csv;
}

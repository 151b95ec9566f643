#include "store/options_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

#include "core/local_time.h"
#include "store/text_file.h"

namespace {

constexpr const char* kOptionsWhat = "options file";
// In the order of AllowancePeriod.
constexpr std::string_view kPeriodWords[] = {"off", "day", "week", "month"};
// In the order of CountedKind and ConnectionSource.
constexpr std::string_view kKindWords[] = {"dial-up", "metered", "internet", "only"};
constexpr std::string_view kSourceWords[] = {"ras", "adapter", "network"};
// In the order of DataUnit; the hang-up off and on.
constexpr std::string_view kUnitWords[] = {"MB", "GB"};
constexpr std::string_view kYesNo[] = {"no", "yes"};
// The longest period, a month of 31 days: more cannot be chosen, and a larger number is damage.
constexpr int64_t kLongestAllowance = 31 * 86400;

std::optional<int64_t> Number(std::string_view text, int64_t lowest, int64_t highest) {
    int64_t value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest)
        return std::nullopt;
    return value;
}

template <class T, size_t n>
void SetIfWord(T& field, std::string_view text, const std::string_view (&words)[n]) {
    const auto word = std::find(std::begin(words), std::end(words), text);
    if (word != std::end(words)) field = static_cast<T>(word - std::begin(words));
}

template <class T>
void SetIfRead(T& field, std::string_view text, int64_t lowest, int64_t highest) {
    if (const auto value = Number(text, lowest, highest)) field = static_cast<T>(*value);
}

// False when the key is not one of ours.
bool Apply(MoreOptions& options, std::string_view key, std::string_view value) {
    Allowance& a = options.allowance;
    if (key == "allowance") {
        SetIfWord(a.period, value, kPeriodWords);
    } else if (key == "count") {
        SetIfWord(options.counted.kind, value, kKindWords);
    } else if (key == "count-source") {
        SetIfWord(options.counted.source, value, kSourceWords);
    } else if (key == "count-name") {
        options.counted.name = value;
    } else if (key == "count-id") {
        options.counted.id = value;
    } else if (key == "allowance-seconds") {
        SetIfRead(a.seconds, value, 0, kLongestAllowance);
    } else if (key == "week-starts") {
        SetIfRead(a.weekStart, value, 1, 7);
    } else if (key == "month-starts") {
        SetIfRead(a.monthStart, value, 1, 31);
    } else if (key == "warn-percent") {
        SetIfRead(a.warnPercent, value, 1, 99);
    } else if (key == "allowance-bytes") {
        SetIfRead(a.bytes, value, 0, kMostDataBytes);
    } else if (key == "data-unit") {
        SetIfWord(a.unit, value, kUnitWords);
    } else if (key == "hang-up") {
        SetIfWord(a.hangUp, value, kYesNo);
    } else if (key == "last-warning" || key == "last-data-warning") {
        // "2026-01-05,80". The history's reader checks the date's shape and that the day is in
        // its month.
        const size_t comma = value.find(',');
        const auto time = ParseLocalTime(std::string(value.substr(0, comma)) + "T00:00:00+00:00");
        const auto percent = Number(value.substr(comma + 1), 0, 100);
        if (time && percent)
            (key == "last-warning" ? options.lastWarnings.time : options.lastWarnings.data) =
                AllowanceWarning{time->date, static_cast<int>(*percent)};
    } else {
        return false;
    }
    return true;
}

}  // namespace

MoreOptions ParseMoreOptions(std::string_view bytes) {
    MoreOptions options;
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t end = std::min(bytes.find('\n', pos), bytes.size());
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos ||
            !Apply(options, line.substr(0, equals), line.substr(equals + 1)))
            options.unknownLines.append(line).append("\r\n");
    }
    // A name only for the one connection chosen, and that one only with its name.
    CountChoice& c = options.counted;
    if (c.kind == CountedKind::kChosen && c.name.empty()) c.kind = CountedKind::kDialUp;
    if (c.kind != CountedKind::kChosen) c = {c.kind, {}, {}, {}};
    if (c.source != ConnectionSource::kAdapter) c.id.clear();
    return options;
}

std::string FormatMoreOptions(const MoreOptions& options) {
    const Allowance& a = options.allowance;
    std::string bytes = "allowance=" + std::string(kPeriodWords[static_cast<size_t>(a.period)]) +
                        "\r\nallowance-seconds=" + std::to_string(a.seconds) +
                        "\r\nweek-starts=" + std::to_string(a.weekStart) +
                        "\r\nmonth-starts=" + std::to_string(a.monthStart) +
                        "\r\nwarn-percent=" + std::to_string(a.warnPercent) +
                        "\r\nallowance-bytes=" + std::to_string(a.bytes) +
                        "\r\ndata-unit=" + std::string(kUnitWords[static_cast<size_t>(a.unit)]) +
                        "\r\nhang-up=" + std::string(kYesNo[a.hangUp]) + "\r\ncount=" +
                        std::string(kKindWords[static_cast<size_t>(options.counted.kind)]) + "\r\n";
    // A name holds no line end: Windows' names of connections never do.
    if (options.counted.kind == CountedKind::kChosen)
        bytes += "count-source=" +
                 std::string(kSourceWords[static_cast<size_t>(options.counted.source)]) +
                 "\r\ncount-name=" + options.counted.name + "\r\n" +
                 (options.counted.id.empty() ? "" : "count-id=" + options.counted.id + "\r\n");
    for (const auto& [key, w] : {std::pair{"last-warning", options.lastWarnings.time},
                                 std::pair{"last-data-warning", options.lastWarnings.data}})
        if (w) {
            char line[64];
            std::snprintf(line, sizeof line, "%s=%04d-%02d-%02d,%d\r\n", key, w->period.year,
                          w->period.month, w->period.day, w->percent);
            bytes += line;
        }
    return bytes + options.unknownLines;
}

MoreOptions LoadMoreOptions(const std::string& path, FileOps& ops) {
    const auto bytes = ReadWholeFile(path, kOptionsWhat, ops);
    return bytes ? ParseMoreOptions(*bytes) : MoreOptions{};
}

void SaveMoreOptions(const MoreOptions& options, const std::string& path, FileOps& ops) {
    WriteFileAtomically(path, FormatMoreOptions(options), kOptionsWhat, ops);
}

#include "core/report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <variant>

#include "core/calendar.h"
#include "core/duration_text.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: online-timer-report COMMAND [--csv | --json]
Reads the timer's files, also while it runs, and never writes them.
  days [N]             online time and data per day: the latest N days that had
                       online time (31)
  months [N]           the same per month: the latest N months that had any (24)
  sessions [--from DATE] [--to DATE]
                       the sessions begun on those days, DATE as YYYY-MM-DD, with
                       the bytes each received and sent
  connections [MONTH]  online time and data per connection in MONTH, as YYYY-MM
                       (this month)
  status               whether the timer runs, the total ("the log"), the session in
                       progress, the allowance used and left, the sessions waiting to
                       be added to the history
The session in progress counts as at its last checkpoint, at most a minute old; a
session over midnight is split between its days as in the History window.
Data is the bytes received and sent by the sessions that recorded them; where none
did (older versions did not), the table shows "unknown" and "-", CSV nothing, JSON
null.
  --csv                CSV with a header line
  --json               one JSON document: durations in seconds, data in bytes, times
                       in ISO 8601
  --help               this text
Exit status: 0 done, 1 a file could not be read, 2 a wrong command line.
)";

// What takes a value after it: the days and months by default as many as the History window lists.
struct Command {
    std::string_view name;
    bool takesValue{};
    size_t count{};
};
constexpr Command kCommands[] = {{"days", true, kDaysListed},
                                 {"months", true, kMonthsListed},
                                 {"connections", true},
                                 {"sessions"},
                                 {"status"}};

enum class Format { kTable, kCsv, kJson };

struct Request {
    std::string command;
    std::optional<std::string> value;  // N or MONTH
    std::optional<CalendarDate> from, to;
    Format format = Format::kTable;
    size_t count{};
    CalendarDate month;
};

std::string Quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

// Checked as the history checks its dates.
std::optional<CalendarDate> DateOf(const std::string& text, std::string_view rest) {
    const auto time = ParseLocalTime(text + std::string(rest));
    return time ? std::optional(time->date) : std::nullopt;
}

std::string Row(const char* format, auto... fields) {
    char line[200];
    std::snprintf(line, sizeof line, format, fields...);
    return line;
}

std::string DateText(const CalendarDate& date, bool month = false) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return std::string(text, month ? 7 : 10);
}

std::variant<Request, std::string> Parse(const std::vector<std::string>& args,
                                         const LocalTime& now) {
    Request r;
    bool takesValue = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--csv" || a == "--json") {
            const Format format = a == "--csv" ? Format::kCsv : Format::kJson;
            if (r.format != Format::kTable && r.format != format)
                return "--csv and --json do not go together";
            r.format = format;
        } else if (a == "--from" || a == "--to") {
            if (i + 1 == args.size()) return a + " needs a date (YYYY-MM-DD)";
            const auto date = DateOf(args[++i], "T00:00:00+00:00");
            if (!date) return Quoted(args[i]) + " is not a date (YYYY-MM-DD)";
            (a == "--from" ? r.from : r.to) = date;
        } else if (a.starts_with("--")) {
            return "unknown option " + Quoted(a) + " (see --help)";
        } else if (r.command.empty()) {
            const auto known = std::find_if(std::begin(kCommands), std::end(kCommands),
                                            [&](const Command& c) { return c.name == a; });
            if (known == std::end(kCommands))
                return "unknown command " + Quoted(a) + " (see --help)";
            r.command = a;
            r.count = known->count;
            takesValue = known->takesValue;
        } else if (!r.value && takesValue) {
            r.value = a;
        } else {
            return "unexpected " + Quoted(a) + " after " + r.command;
        }
    }
    if (r.command.empty())
        return "no command: days, months, sessions, connections or status (see --help)";
    if ((r.from || r.to) && r.command != "sessions") return "--from and --to are for sessions only";
    if (r.from && r.to && *r.from > *r.to)
        return "the range is backwards: " + DateText(*r.from) + " is after " + DateText(*r.to);
    r.month = {now.date.year, now.date.month, 1};
    if (r.value && r.command == "connections") {
        const auto month = DateOf(*r.value, "-01T00:00:00+00:00");
        if (!month) return Quoted(*r.value) + " is not a month (YYYY-MM)";
        r.month = *month;
    } else if (r.value) {
        const std::string& n = *r.value;
        const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), r.count);
        if (error != std::errc() || end != n.data() + n.size() || r.count == 0)
            return Quoted(n) + " is not a positive whole number";
    }
    return r;
}

std::string Json(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x",
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + '"';
}

// A value as the table and CSV show it, and as JSON has it.
struct Field {
    std::string text, json;
};
Field Text(const std::string& text) {
    return {text, Json(text)};
}
Field Number(int64_t n) {
    return {std::to_string(n), std::to_string(n)};
}
Field Hours(int64_t seconds) {
    return {FormatHours(seconds), ""};
}
// Shown as the History window shows it; in seconds in JSON.
Field Duration(int64_t seconds) {
    return {FormatHours(seconds), std::to_string(seconds)};
}
Field Yes(bool yes) {
    return {yes ? "yes" : "no", yes ? "true" : "false"};
}
Field Maybe(bool given, Field field) {
    return given ? field : Field{"", "null"};
}

struct Column {
    const char* title;  // nullptr: in JSON only
    const char* key;    // nullptr: not in JSON
    bool left = false;  // in the table, where numbers are to the right; the last is not padded
};

// What a command shows: rows of fields under columns; the status is one row, shown as a list.
struct Sheet {
    std::string name;  // of the JSON array of rows; "" for the status
    std::vector<Column> columns;
    std::vector<std::vector<Field>> rows;
};

std::string Render(const Sheet& sheet, Format format) {
    const std::vector<Column>& columns = sheet.columns;
    const bool list = sheet.name.empty();
    if (format == Format::kJson) {
        std::string rows;
        for (const auto& row : sheet.rows) {
            std::string object;
            for (size_t i = 0; i < columns.size(); ++i)
                if (const char* key = columns[i].key)
                    object +=
                        (object.empty() ? "\"" : ",\"") + std::string(key) + "\":" + row[i].json;
            rows += list ? object : (rows.empty() ? "{" : ",{") + object + "}";
        }
        return list ? rows : "\"" + sheet.name + "\":[" + rows + "]";
    }
    std::vector<size_t> shown;
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].title) shown.push_back(i);
    std::string out;
    if (list && format == Format::kTable) {
        for (size_t i = 0; i < columns.size(); ++i) {  // "-": none, such as no session in progress
            const std::string& text = sheet.rows[0][i].text;
            out += Row("%-20s", (columns[i].title + std::string(":")).c_str()) +
                   (text.empty() ? "-" : text) + "\n";
        }
        return out;
    }
    // In the table, "-" for what is not known, such as a session's data in older lines.
    const auto cell = [&](const Field& field) {
        return field.text.empty() && format == Format::kTable ? std::string("-") : field.text;
    };
    std::vector<size_t> widths(columns.size());
    for (const size_t i : shown) {
        widths[i] = std::string_view(columns[i].title).size();
        for (const auto& row : sheet.rows) widths[i] = std::max(widths[i], cell(row[i]).size());
    }
    const auto line = [&](auto textOf) {
        std::string text;
        for (const size_t i : shown) {
            const std::string field = textOf(i), pad(widths[i] - field.size(), ' ');
            text += format == Format::kCsv ? (text.empty() ? "" : ",") + CsvText(field)
                    : i == shown.back()    ? field
                                           : (columns[i].left ? field + pad : pad + field) + "  ";
        }
        return text + "\n";
    };
    out = line([&](size_t i) { return std::string(columns[i].title); });
    for (const auto& row : sheet.rows) out += line([&](size_t i) { return cell(row[i]); });
    return out;
}

// The bytes of the sessions whose data is known; none where none is.
std::vector<Field> DataFields(const Usage& usage) {
    const bool known = usage.dataUnknown < usage.sessions;
    return {{DataText(usage), ""},
            Maybe(known, Number(usage.data.received)),
            Maybe(known, Number(usage.data.sent)),
            {"", std::to_string(usage.dataUnknown)}};
}
const Column kDataColumns[] = {{"data", nullptr},
                               {"received", "received"},
                               {"sent", "sent"},
                               {nullptr, "sessionsWithoutData"}};

// The columns of a usage: its time, its sessions, its data.
std::vector<Column> UsageColumns(Column first, bool sessions, Column last) {
    std::vector<Column> columns{first, {"online time", nullptr}, {"seconds", "seconds"}};
    if (sessions) columns.push_back({"sessions", "sessions"});
    columns.insert(columns.end(), std::begin(kDataColumns), std::end(kDataColumns));
    columns.push_back(last);
    return columns;
}
std::vector<Field> UsageFields(Field first, const Usage& usage, bool sessions, Field last) {
    std::vector<Field> row{first, Hours(usage.seconds), Number(usage.seconds)};
    if (sessions) row.push_back(Number(usage.sessions));
    for (Field& field : DataFields(usage)) row.push_back(field);
    row.push_back(last);
    return row;
}

Field ConnectionsField(const std::vector<NamedUsage>& connections) {
    std::string json;
    for (const auto& [name, usage] : connections) {
        json += (json.empty() ? "{\"name\":" : ",{\"name\":") + Json(name) +
                ",\"seconds\":" + std::to_string(usage.seconds);
        const std::vector<Field> data = DataFields(usage);
        for (size_t i = 1; i < data.size(); ++i)
            json += ",\"" + std::string(kDataColumns[i].key) + "\":" + data[i].json;
        json += "}";
    }
    return {ConnectionsText(connections), "[" + json + "]"};
}

// The days of a calendar month: a monthly allowance's period from the first.
Period MonthOf(const CalendarDate& date) {
    return PeriodOf({AllowancePeriod::kMonth}, date);
}

CalendarDate DayBefore(const CalendarDate& date) {
    return DateOfDay(DayNumber(date) - 1);
}

Sheet Periods(const Request& r, const UsageTable& table) {
    const bool months = r.command == "months";
    const char* date = months ? "month" : "date";
    Sheet sheet{
        r.command, UsageColumns({date, date, true}, true, {"connections", "connections"}), {}};
    for (const DatedUsage& row : months ? table.RecentMonths(r.count) : table.RecentDays(r.count))
        sheet.rows.push_back(
            UsageFields(Text(DateText(row.date, months)), row.usage, true,
                        ConnectionsField(table.ByConnection(
                            row.date, months ? DayBefore(MonthOf(row.date).next) : row.date))));
    return sheet;
}

std::string Name(const std::string& connection) {
    return connection.empty() ? std::string(kDialUpKind) : connection;
}

Sheet Sessions(const Request& r, const ReportInputs& in) {
    std::vector<SessionRecord> sessions = in.history.sessions;
    sessions.insert(sessions.end(), in.waiting.begin(), in.waiting.end());
    if (in.inProgress) sessions.push_back(*in.inProgress);
    Sheet sheet{"sessions",
                {{"start", "start", true},
                 {"end", "end", true},
                 {"online time", nullptr},
                 {"seconds", "seconds"},
                 {"in progress", "inProgress", true},
                 {"received", "received"},
                 {"sent", "sent"},
                 {"connection", "connection"}},
                {}};
    for (size_t i = 0; i < sessions.size(); ++i) {
        const SessionRecord& s = sessions[i];
        if ((r.from && s.start.date < *r.from) || (r.to && s.start.date > *r.to)) continue;
        sheet.rows.push_back(
            {Text(FormatLocalTime(s.start)), Text(FormatLocalTime(s.end)), Hours(s.seconds),
             Number(s.seconds), Yes(in.inProgress && i + 1 == sessions.size()),
             Maybe(s.data.has_value(), Number(s.data.value_or(Traffic{}).received)),
             Maybe(s.data.has_value(), Number(s.data.value_or(Traffic{}).sent)),
             Text(Name(s.connection))});
    }
    return sheet;
}

Sheet Connections(const Request& r, const UsageTable& table) {
    Sheet sheet{
        "connections", UsageColumns({"month", "month", true}, false, {"connection", "name"}), {}};
    for (const auto& [name, usage] : table.ByConnection(r.month, DayBefore(MonthOf(r.month).next)))
        sheet.rows.push_back(UsageFields(Text(DateText(r.month, true)), usage, false, Text(name)));
    return sheet;
}

int64_t UtcSeconds(const LocalTime& t) {
    return LocalSeconds(t) - int64_t{t.utcOffsetMinutes} * 60;
}

Sheet Status(const ReportInputs& in, const UsageTable& table) {
    constexpr const char* kPeriodNames[] = {"off", "day", "week", "month"};
    const Allowance& a = in.allowance;
    // The line the icon's tip shows, "" when there is no allowance to count against.
    const std::string line = ViewAllowance(a, table, std::nullopt, in.now, {}).line;
    const bool limited = !line.empty(), timed = limited && a.seconds > 0;
    const int64_t used = UsedIn(table, PeriodOf(a, in.now.date), in.now.date);
    const SessionRecord s = in.inProgress.value_or(SessionRecord{});
    const bool going = in.inProgress.has_value();
    int64_t waited = 0;
    for (const SessionRecord& w : in.waiting) waited += w.seconds;
    return {"",
            {{"now", "now"},
             {"running", "running"},
             {"total", "total"},
             {"session start", "sessionStart"},
             {"session end", "sessionEnd"},
             {"session", "sessionSeconds"},
             {"connection", "connection"},
             {"checkpoint age", "checkpointAgeSeconds"},
             {"allowance", "allowance"},
             {"used", "usedSeconds"},
             {"left", "leftSeconds"},
             {"allowance text", "allowanceText"},
             {"waiting sessions", "waitingSessions"},
             {"waiting", "waitingSeconds"}},
            {{Text(FormatLocalTime(in.now)),
              Yes(in.running),
              {FormatDuration(in.total), std::to_string(in.total)},
              Maybe(going, Text(FormatLocalTime(s.start))),
              Maybe(going, Text(FormatLocalTime(s.end))),
              Maybe(going, Duration(s.seconds)),
              Maybe(going, Text(Name(s.connection))),
              Maybe(going, Duration(UtcSeconds(in.now) - UtcSeconds(s.end))),
              Text(limited ? kPeriodNames[static_cast<int>(a.period)] : "off"),
              Maybe(timed, Duration(used)),
              Maybe(timed, Duration(std::max<int64_t>(a.seconds - used, 0))),
              Maybe(limited, Text(line)),
              Number(static_cast<int64_t>(in.waiting.size())),
              Duration(waited)}}};
}

// Written on Windows: CR LF.
std::string Lines(std::string_view text) {
    std::string lines;
    for (const char c : text) lines += c == '\n' ? "\r\n" : std::string(1, c);
    return lines;
}

}  // namespace

ReportOutput RunReport(const std::vector<std::string>& args, const ReportInputs& in) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) return {0, Lines(kHelp), ""};
    const auto parsed = Parse(args, in.now);
    if (const auto* wrong = std::get_if<std::string>(&parsed))
        return {2, "", Lines("online-timer-report: " + *wrong + "\n")};
    const Request& r = std::get<Request>(parsed);
    const std::string& error =
        !in.historyError.empty() || r.command != "status" ? in.historyError : in.statusError;
    if (!error.empty()) return {1, "", Lines(error + "\n")};

    UsageTable table;
    for (const SessionRecord& s : in.history.sessions) table.Add(s);
    for (const SessionRecord& s : in.waiting) table.Add(s);
    if (in.inProgress) table.Add(*in.inProgress);
    const std::string body = Render(r.command == "sessions"      ? Sessions(r, in)
                                    : r.command == "connections" ? Connections(r, table)
                                    : r.command == "status"      ? Status(in, table)
                                                                 : Periods(r, table),
                                    r.format);
    const int skipped = in.history.skippedLines;
    const std::string note = skipped > 0 ? HistoryFileText(in.historyPath, skipped) + "\n" : "";
    if (r.format == Format::kJson)
        return {0, Lines("{" + body + ",\"skippedLines\":" + std::to_string(skipped) + "}\n"),
                Lines(note)};
    if (r.format == Format::kCsv) return {0, Lines(body), Lines(note)};
    return {0, Lines(body + (note.empty() ? "" : "\n" + note)), ""};
}

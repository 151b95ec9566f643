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
  days [N]             online time per day: the latest N days that had any (31)
  months [N]           online time per month: the latest N months that had any (12)
  sessions [--from DATE] [--to DATE]
                       the sessions begun on those days, DATE as YYYY-MM-DD
  connections [MONTH]  online time per connection in MONTH, as YYYY-MM (this month)
  status               whether the timer runs, the total ("the log"), the session in
                       progress, the allowance used and left, the sessions waiting to
                       be added to the history
The session in progress counts as at its last checkpoint, at most a minute old; a
session over midnight is split between its days as in the History window.
  --csv                CSV with a header line
  --json               one JSON document: durations in seconds, times in ISO 8601
  --help               this text
Exit status: 0 done, 1 a file could not be read, 2 a wrong command line.
)";

constexpr std::string_view kCommands[] = {"days", "months", "connections", "sessions", "status"};

enum class Format { kTable, kCsv, kJson };

struct Request {
    std::string command;
    std::optional<std::string> value;  // N or MONTH
    std::optional<CalendarDate> from, to;
    Format format = Format::kTable;
    size_t count = 0;
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

std::string DateText(const CalendarDate& date, bool month = false) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return std::string(text, month ? 7 : 10);
}

std::variant<Request, std::string> Parse(const std::vector<std::string>& args,
                                         const LocalTime& now) {
    Request r;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto known = std::find(std::begin(kCommands), std::end(kCommands), a);
        if (a == "--csv" || a == "--json") {
            const Format format = a == "--csv" ? Format::kCsv : Format::kJson;
            if (r.format != Format::kTable && r.format != format)
                return "--csv and --json cannot go together";
            r.format = format;
        } else if (a == "--from" || a == "--to") {
            if (i + 1 == args.size()) return a + " needs a date, as YYYY-MM-DD";
            const auto date = DateOf(args[++i], "T00:00:00+00:00");
            if (!date) return Quoted(args[i]) + " is not a date: write it as YYYY-MM-DD";
            (a == "--from" ? r.from : r.to) = date;
        } else if (a.starts_with("--")) {
            return "unknown option " + Quoted(a) + " (see --help)";
        } else if (r.command.empty()) {
            if (known == std::end(kCommands))
                return "unknown command " + Quoted(a) +
                       ": give days, months, sessions, connections or status";
            r.command = a;
        } else if (!r.value && r.command != "sessions" && r.command != "status") {
            r.value = a;
        } else {
            return "unexpected " + Quoted(a) + " after " + r.command;
        }
    }
    if (r.command.empty())
        return "no command: give days, months, sessions, connections or status (see --help)";
    if ((r.from || r.to) && r.command != "sessions")
        return "--from and --to go with the sessions command only";
    if (r.from && r.to && *r.from > *r.to)
        return "the range is backwards: --from " + DateText(*r.from) + " is after --to " +
               DateText(*r.to);
    r.count = r.command == "days" ? 31 : 12;
    r.month = {now.date.year, now.date.month, 1};
    if (r.value && r.command == "connections") {
        const auto month = DateOf(*r.value, "-01T00:00:00+00:00");
        if (!month) return Quoted(*r.value) + " is not a month: write it as YYYY-MM";
        r.month = *month;
    } else if (r.value) {
        const std::string& n = *r.value;
        const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), r.count);
        if (error != std::errc() || end != n.data() + n.size() || r.count == 0)
            return Quoted(n) + " is not a positive whole number of " + r.command;
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

std::string Row(const char* format, auto... fields) {
    char line[160];
    std::snprintf(line, sizeof line, format, fields...);
    return line;
}

std::string Name(const std::string& connection) {
    return connection.empty() ? std::string(kDialUpKind) : connection;
}

std::string SessionJson(const SessionRecord& s) {
    return "{\"start\":" + Json(FormatLocalTime(s.start)) +
           ",\"end\":" + Json(FormatLocalTime(s.end)) +
           ",\"seconds\":" + std::to_string(s.seconds) +
           ",\"connection\":" + Json(Name(s.connection));
}

std::string ConnectionsJson(const std::vector<std::pair<std::string, int64_t>>& connections) {
    std::string json;
    for (const auto& [name, seconds] : connections)
        json += (json.empty() ? "{\"name\":" : ",{\"name\":") + Json(name) +
                ",\"seconds\":" + std::to_string(seconds) + "}";
    return "[" + json + "]";
}

// The days and months of a calendar month: a monthly allowance's period from the first.
Period MonthOf(const CalendarDate& date) {
    return PeriodOf({AllowancePeriod::kMonth}, date);
}

CalendarDate DayBefore(const CalendarDate& date) {
    return DateOfDay(DayNumber(date) - 1);
}

std::string Periods(const Request& r, const UsageTable& table) {
    const bool months = r.command == "months";
    const auto rows = months ? table.RecentMonths(r.count) : table.RecentDays(r.count);
    std::string out =
        r.format == Format::kCsv
            ? std::string(months ? "month" : "date") + ",online time,seconds,sessions,connections\n"
        : r.format == Format::kTable ? Row("%-10s  %11s  %8s  %s\n", months ? "Month" : "Date",
                                           "Online time", "Sessions", "Connections")
                                     : "\"" + r.command + "\":[";
    for (const DatedUsage& row : rows) {
        const auto connections =
            table.ByConnection(row.date, months ? DayBefore(MonthOf(row.date).next) : row.date);
        const std::string date = DateText(row.date, months);
        const Usage& u = row.usage;
        if (r.format == Format::kCsv)
            out += date + "," + FormatHours(u.seconds) + "," + std::to_string(u.seconds) + "," +
                   std::to_string(u.sessions) + "," + CsvText(ConnectionsText(connections)) + "\n";
        else if (r.format == Format::kTable)
            out += Row("%-10s  %11s  %8d  %s\n", date.c_str(), FormatHours(u.seconds).c_str(),
                       u.sessions, ConnectionsText(connections).c_str());
        else
            out += std::string(out.back() == '[' ? "" : ",") + "{\"" + (months ? "month" : "date") +
                   "\":" + Json(date) + ",\"seconds\":" + std::to_string(u.seconds) +
                   ",\"sessions\":" + std::to_string(u.sessions) +
                   ",\"connections\":" + ConnectionsJson(connections) + "}";
    }
    return r.format == Format::kJson ? out + "]" : out;
}

std::string Sessions(const Request& r, const ReportInputs& in) {
    std::vector<SessionRecord> sessions = in.history.sessions;
    sessions.insert(sessions.end(), in.waiting.begin(), in.waiting.end());
    if (in.inProgress) sessions.push_back(*in.inProgress);
    std::string out = r.format == Format::kCsv     ? "start,end,seconds,connection,in progress\n"
                      : r.format == Format::kTable ? Row("%-25s  %-25s  %11s  %s\n", "Start", "End",
                                                         "Online time", "Connection")
                                                   : "\"sessions\":[";
    for (size_t i = 0; i < sessions.size(); ++i) {
        const SessionRecord& s = sessions[i];
        if ((r.from && s.start.date < *r.from) || (r.to && s.start.date > *r.to)) continue;
        const bool inProgress = in.inProgress && i + 1 == sessions.size();
        const std::string start = FormatLocalTime(s.start), end = FormatLocalTime(s.end);
        if (r.format == Format::kCsv)
            out += start + "," + end + "," + std::to_string(s.seconds) + "," +
                   CsvText(Name(s.connection)) + (inProgress ? ",yes\n" : ",no\n");
        else if (r.format == Format::kTable)
            out += Row("%-25s  %-25s  %11s  %s%s\n", start.c_str(), end.c_str(),
                       FormatHours(s.seconds).c_str(), Name(s.connection).c_str(),
                       inProgress ? " (in progress)" : "");
        else
            out += std::string(out.back() == '[' ? "" : ",") + SessionJson(s) +
                   ",\"inProgress\":" + (inProgress ? "true}" : "false}");
    }
    return r.format == Format::kJson ? out + "]" : out;
}

std::string Connections(const Request& r, const UsageTable& table) {
    const auto connections = table.ByConnection(r.month, DayBefore(MonthOf(r.month).next));
    if (r.format == Format::kJson)
        return "\"month\":" + Json(DateText(r.month, true)) +
               ",\"connections\":" + ConnectionsJson(connections);
    std::string out = r.format == Format::kCsv ? "connection,online time,seconds\n"
                                               : Row("%11s  %s\n", "Online time", "Connection");
    for (const auto& [name, seconds] : connections)
        out +=
            r.format == Format::kCsv
                ? CsvText(name) + "," + FormatHours(seconds) + "," + std::to_string(seconds) + "\n"
                : Row("%11s  %s\n", FormatHours(seconds).c_str(), name.c_str());
    return out;
}

int64_t UtcSeconds(const LocalTime& t) {
    return LocalSeconds(t) - int64_t{t.utcOffsetMinutes} * 60;
}

std::string Status(const Request& r, const ReportInputs& in, const UsageTable& table) {
    constexpr const char* kPeriodNames[] = {"off", "day", "week", "month"};
    const Allowance& a = in.allowance;
    const bool limited = a.period != AllowancePeriod::kOff && a.seconds > 0;
    const Period period = PeriodOf(a, in.now.date);
    const int64_t used = UsedIn(table, period, in.now.date);
    const int64_t left = std::max<int64_t>(a.seconds - used, 0);
    const std::string line = AllowanceLine(a, used, table.DailySeconds(in.now.date, 1)[0]);
    const char* periodName = kPeriodNames[static_cast<int>(a.period)];
    const std::optional<SessionRecord>& s = in.inProgress;
    const int64_t age = s ? UtcSeconds(in.now) - UtcSeconds(s->end) : 0;
    int64_t waited = 0;
    for (const SessionRecord& w : in.waiting) waited += w.seconds;
    const std::string waiting = std::to_string(in.waiting.size());

    if (r.format == Format::kTable)
        return Row("%-13s%s\n", "Timer:", in.running ? "running" : "not running") +
               Row("%-13s%s\n", "Total:", FormatDuration(in.total).c_str()) + "In progress: " +
               (s ? Name(s->connection) + ", " + FormatHours(s->seconds) + " since " +
                        FormatLocalTime(s->start) + "; checkpoint " + FormatHours(age) + " ago\n"
                  : "none\n") +
               "Allowance:   " +
               (limited ? line + "; " + FormatHours(left) + " left\n" : std::string("none\n")) +
               "Waiting:     " + waiting + " (" + FormatHours(waited) +
               "), not in the history yet\n";
    if (r.format == Format::kCsv)
        return "running,total,total seconds,session start,session end,session seconds,session "
               "connection,checkpoint age,allowance,allowance seconds,used seconds,left "
               "seconds,waiting sessions,waiting seconds\n" +
               std::string(in.running ? "yes," : "no,") + FormatDuration(in.total) + "," +
               std::to_string(in.total) + "," +
               (s ? FormatLocalTime(s->start) + "," + FormatLocalTime(s->end) + "," +
                        std::to_string(s->seconds) + "," + CsvText(Name(s->connection)) + "," +
                        std::to_string(age)
                  : ",,,,") +
               "," + periodName + "," +
               (limited ? std::to_string(a.seconds) + "," + std::to_string(used) + "," +
                              std::to_string(left)
                        : ",,") +
               "," + waiting + "," + std::to_string(waited) + "\n";
    std::string list;
    for (const SessionRecord& w : in.waiting)
        list += (list.empty() ? "" : ",") + SessionJson(w) + "}";
    return "\"now\":" + Json(FormatLocalTime(in.now)) +
           ",\"running\":" + (in.running ? "true" : "false") +
           ",\"total\":" + std::to_string(in.total) +
           ",\"totalText\":" + Json(FormatDuration(in.total)) + ",\"inProgress\":" +
           (s ? SessionJson(*s) + ",\"ageSeconds\":" + std::to_string(age) + "}" : "null") +
           ",\"allowance\":" +
           (limited
                ? "{\"period\":" + Json(periodName) + ",\"seconds\":" + std::to_string(a.seconds) +
                      ",\"periodStart\":" + Json(DateText(period.first)) +
                      ",\"periodEnd\":" + Json(DateText(DayBefore(period.next))) +
                      ",\"usedSeconds\":" + std::to_string(used) +
                      ",\"leftSeconds\":" + std::to_string(left) + ",\"text\":" + Json(line) + "}"
                : "null") +
           ",\"waiting\":[" + list + "]";
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
    const std::string body = r.command == "sessions"      ? Sessions(r, in)
                             : r.command == "connections" ? Connections(r, table)
                             : r.command == "status"      ? Status(r, in, table)
                                                          : Periods(r, table);
    const int skipped = in.history.skippedLines;
    const std::string note = skipped > 0 ? HistoryFileText(in.historyPath, skipped) + "\n" : "";
    if (r.format == Format::kJson)
        return {0, Lines("{" + body + ",\"skippedLines\":" + std::to_string(skipped) + "}\n"),
                Lines(note)};
    if (r.format == Format::kCsv) return {0, Lines(body), Lines(note)};
    return {0, Lines(body + (note.empty() ? "" : "\n" + note)), ""};
}

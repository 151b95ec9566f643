#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/local_time.h"
#include "core/traffic.h"

// One online session: when it began and ended by the local clock, the seconds counted for it as
// the total counts them (real time, time asleep left out), and what was counted: a connection's
// name or the kind of connection ("" in lines written before it was recorded), and the bytes it
// moved (unknown in lines written before they were, and where Windows does not say).
struct SessionRecord {
    LocalTime start, end;
    int64_t seconds = 0;
    std::string connection;
    std::optional<Traffic> data{};
    friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

// What a session of no name counted: lines written before the name was, and the dial-up
// connections whose name the registry does not say.
inline constexpr std::string_view kDialUpKind = "dial-up";
inline constexpr std::string_view kHistoryHeader = "start,end,seconds,connection,received,sent";

// As a CSV field: quoted, its quotes doubled, when it holds a comma or a quote.
std::string CsvText(std::string_view text);

// "2026-12-07T14:03:12+01:00,2026-12-07T14:20:00+01:00,1008,Cellular,52345,4101", without a line
// end; the name quoted as CSV wants it. What is not known is left out, as older versions wrote.
std::string FormatSessionLine(const SessionRecord& session);
std::optional<SessionRecord> ParseSessionLine(std::string_view line);

struct HistoryRead {
    std::vector<SessionRecord> sessions;
    int skippedLines = 0;
};
// The header (or the older one, without the connection), then a session a line. A line that cannot
// be read is skipped and counted; a last line without its line end is an append that was cut off,
// and is left out.
HistoryRead ParseHistory(std::string_view bytes);
// "Kept in "path". 2 lines of it could not be read and were left out."
std::string HistoryFileText(const std::string& path, int skippedLines);

struct Usage {
    int64_t seconds = 0;
    int sessions = 0;
    Traffic data{};       // of the sessions whose data is known
    int dataUnknown = 0;  // sessions whose data is not
    friend bool operator==(const Usage&, const Usage&) = default;
};
struct NamedUsage {
    std::string name;
    Usage usage;
    friend bool operator==(const NamedUsage&, const NamedUsage&) = default;
};
struct DatedUsage {
    CalendarDate date;  // for a month, its first day
    Usage usage;
    friend bool operator==(const DatedUsage&, const DatedUsage&) = default;
};

// Online time per local day and per month. A session that crosses midnight is split between the
// days it touches by local clock time, and counts as a session on each of them.
class UsageTable {
  public:
    void Add(const SessionRecord& session);
    // The latest days (months) that had online time, newest first.
    std::vector<DatedUsage> RecentDays(size_t count) const;
    std::vector<DatedUsage> RecentMonths(size_t count) const;
    // The use of each of the `count` days up to `last`, oldest first.
    std::vector<Usage> Daily(const CalendarDate& last, int count) const;
    // The use of each connection from `first` to `last`, most time first; a session of no name is
    // a dial-up one.
    std::vector<NamedUsage> ByConnection(const CalendarDate& first, const CalendarDate& last) const;

  private:
    std::map<int64_t, Usage> days_;                                // by day number
    std::map<int64_t, std::map<std::string, Usage>> connections_;  // by day number
    std::map<int64_t, Usage> months_;                              // by year * 12 + month - 1
};

// How many of the latest days and months that had online time the History window lists.
inline constexpr size_t kDaysListed = 31, kMonthsListed = 24;

// "5:03:12": hours, minutes and seconds; the hours grow past 24.
std::string FormatHours(int64_t seconds);
// "3.2 GB", received and sent; "unknown" when no session says, "3.2 GB + unknown" when some do not.
std::string DataText(const Usage& usage);
// The data chart's scale: a line every `step` bytes from 0 to the first at or over `most` (at
// least 1 KB), at most 5 above 0. The step is 1, 2 or 5 times a power of ten of the unit of 1024
// (KB, MB, GB...) that holds `most` in at most 1000 of it, and each line is labelled in that unit:
// "0", "200 MB", "400 MB" ... "1000 MB".
struct ByteScale {
    int64_t step = 0;
    std::vector<std::string> labels;  // from 0 up
    friend bool operator==(const ByteScale&, const ByteScale&) = default;
};
ByteScale ScaleOfBytes(int64_t most);
// "Cellular 3:10:00 (1.2 GB), Home 0:05:00": the data where some of it is known.
std::string ConnectionsText(const std::vector<NamedUsage>& connections);
// The day table as a spreadsheet reads it: "date,online time,seconds,sessions,connections,received,
// sent" and a line a day; the bytes that are known, none where none is.
std::string DaysAsCsv(const std::vector<DatedUsage>& days, const UsageTable& table);

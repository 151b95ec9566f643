#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/connection.h"
#include "core/history.h"

// An allowance of online time, of data or of both per day, per week or per month, counted from the
// history (split at local midnight like the History window), so that clearing or adjusting the log
// leaves it alone.
enum class AllowancePeriod { kOff, kDay, kWeek, kMonth };
// What a data allowance is typed and shown in: units of 1024, as Windows shows sizes.
enum class DataUnit { kMB, kGB };

struct Allowance {
    AllowancePeriod period = AllowancePeriod::kOff;
    int64_t seconds = 0;  // the hours and minutes allowed in one period; 0 for none
    int weekStart = 2;    // the weekday a week starts on: 1 Sunday ... 7 Saturday
    int monthStart = 1;   // 1-31; a day past a month's end stands for its last day
    int warnPercent = 80;
    int64_t bytes = 0;  // the data received and sent allowed in one period; 0 for none
    DataUnit unit = DataUnit::kGB;
    bool hangUp = false;  // the counted dial-up or VPN connection, once the allowance is used
    friend bool operator==(const Allowance&, const Allowance&) = default;
};

// The most data the dialog takes: five digits of its larger unit.
inline constexpr int64_t kMostDataBytes = int64_t{99999} << 30;
int64_t BytesPerUnit(DataUnit unit);
// On when it has a period and an amount of time or data.
bool IsOn(const Allowance& allowance);

// The days of the period that holds `today`: its first day and the first day of the next one.
struct Period {
    CalendarDate first, next;
    friend bool operator==(const Period&, const Period&) = default;
};
Period PeriodOf(const Allowance& allowance, const CalendarDate& today);

// What the table holds for the days of the period up to `today`; the seconds alone.
Usage UsageIn(const UsageTable& table, const Period& period, const CalendarDate& today);
int64_t UsedIn(const UsageTable& table, const Period& period, const CalendarDate& today);
inline int64_t BytesOf(const Usage& usage) {
    return usage.data.received + usage.data.sent;
}

// The last warning given: the first day of its period and the share it was given at (the warning
// share or 100).
struct AllowanceWarning {
    CalendarDate period;
    int percent = 0;
    friend bool operator==(const AllowanceWarning&, const AllowanceWarning&) = default;
};

// The last warnings given, of the time and of the data.
struct AllowanceWarnings {
    std::optional<AllowanceWarning> time{}, data{};
    friend bool operator==(const AllowanceWarnings&, const AllowanceWarnings&) = default;
};

enum class AllowanceKind { kTime, kData };
// The share of the seconds (or bytes) used to warn of now (the warning share or 100), once per
// period: `last` is updated to what has been given. A share that is no longer reached (the
// allowance was raised) is armed again.
std::optional<int> WarningDue(const Allowance& allowance, int64_t used, const Period& period,
                              std::optional<AllowanceWarning>& last,
                              AllowanceKind kind = AllowanceKind::kTime);

// "This month: 12:05 of 40:00 (30 %) - today 1:23" (for a daily allowance, "Today: 1:23 of 2:00
// (69 %)"); with data, "This month: 12:05 of 40:00 (30 %), 3.2 of 10 GB (32 %)"; at most 100
// characters.
std::string AllowanceLine(const Allowance& allowance, int64_t used, int64_t usedToday,
                          int64_t usedBytes = 0);
// "1:45 a day left" or "at this pace 38:10 by 14 January", from the pace so far in the period, at
// `now` seconds into `today`; for the data as well, "0.3 GB a day left".
std::string AllowanceForecast(const Allowance& allowance, int64_t used, const Period& period,
                              const CalendarDate& today, int secondsIntoToday,
                              int64_t usedBytes = 0);

// What the icon, its tip and the History window show of the allowance, now.
struct AllowanceView {
    int percent = -1;        // the share used, 0 to 100, for the icon's bar; -1 without one
    std::string line;        // "This month: 12:05 of 40:00 (30 %) - today 1:23", for the tip
    std::string details;     // the line and where the pace leads, for the History window
    int64_t dailyLimit = 0;  // the seconds of a daily allowance, drawn on the chart
    std::string warning;     // a notification due now
    // What to keep as the last warnings once the notification is shown (at once without one).
    AllowanceWarnings lastWarnings;
    int64_t usedSeconds = 0, usedBytes = 0;  // in the period, with the session in progress
};
// From the history's table and the session in progress, split at midnight like the others.
AllowanceView ViewAllowance(const Allowance& allowance, const UsageTable& history,
                            const std::optional<SessionRecord>& current, const LocalTime& now,
                            const AllowanceWarnings& lastWarnings);

// Whether the choice counts dial-up and VPN connections, which can be hung up; and the one named.
bool CountsRas(const CountChoice& choice);
bool HangsUp(const CountChoice& choice, std::string_view rasName);
// What the allowance asks of the session in progress: nothing, a notice that it is hung up within a
// minute (once a session; `noticed` keeps its start), or the hang-up now. Within a minute: 60
// seconds left, or data left that the session, at its pace so far, moves in 60 seconds.
enum class HangUpStep { kNone, kNotice, kNow };
HangUpStep HangUpDue(const Allowance& allowance, const CountChoice& counted,
                     const AllowanceView& view, const std::optional<SessionRecord>& current,
                     std::optional<LocalTime>& noticed);
inline constexpr const char* kHangUpNotice =
    "The allowance is used up within a minute: the connection will then be hung up.";
// What the icon's tip and the History window say under the program's name: what stops the count,
// if anything, then the allowance's text.
std::string StatusLines(const std::string& notAnswering, const std::string& allowanceText);

// What the allowance dialog's OK reads: the period chosen, and the texts of its boxes (hours,
// minutes, the day of the month a month starts on, the warning share, the data in its unit), and
// the hang-up chosen. The allowance, or the message that says what is wrong with which box.
std::variant<Allowance, std::string> AllowanceFromInput(
    AllowancePeriod period, int weekStart, std::string_view hours, std::string_view minutes,
    std::string_view monthStart, std::string_view warnPercent, std::string_view data, DataUnit unit,
    bool hangUp);

// The share used drawn over the program's icon, whose pixels are 0xAARRGGBB, rows top down: a bar
// along its foot, outlined in black on white so that it reads on dark and light taskbars, filled
// blue, amber from the warning share, red when all is used.
void DrawShareBar(uint32_t* pixels, int width, int height, int percent, int warnPercent);

#include "core/allowance.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <numeric>

#include "core/calendar.h"

namespace {

constexpr int64_t kDaySeconds = 86400;

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};

// The first day of the month `index` (year * 12 + month - 1) that starts on `startDay`, or its
// last day when it is shorter.
int64_t MonthStart(int64_t index, int startDay) {
    auto firstOf = [](int64_t i) {
        return DayNumber({static_cast<int>(i / 12), static_cast<int>(i % 12) + 1, 1});
    };
    return std::min(firstOf(index) + startDay, firstOf(index + 1)) - 1;
}

struct PeriodWords {
    const char* name;
    int hours;  // the most it can hold
};
PeriodWords WordsOf(AllowancePeriod period) {
    if (period == AllowancePeriod::kDay) return {"day", 24};
    if (period == AllowancePeriod::kWeek) return {"week", 168};
    return {"month", 744};
}

std::string HoursMinutes(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60));
    return text;
}

// Digits only, blanks around them allowed; a number too long to hold reads as the largest int,
// which every limit refuses.
std::optional<int64_t> Count(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return std::nullopt;
    text = text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
    if (text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    int64_t value{};
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        value = std::numeric_limits<int>::max();
    return value;
}

std::optional<int> Within(std::optional<int64_t> value, int lowest, int highest) {
    if (!value || *value < lowest || *value > highest) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

Period PeriodOf(const Allowance& allowance, const CalendarDate& today) {
    const int64_t day = DayNumber(today);
    if (allowance.period == AllowancePeriod::kWeek) {
        // 1970-01-01, day 0, was a Thursday: weekday 5.
        const int64_t back = ((day + 5 - allowance.weekStart) % 7 + 7) % 7;
        return {DateOfDay(day - back), DateOfDay(day - back + 7)};
    }
    if (allowance.period == AllowancePeriod::kMonth) {
        const int64_t month = int64_t{today.year} * 12 + today.month - 1;
        const int64_t start = MonthStart(month, allowance.monthStart);
        const int64_t first = day >= start ? start : MonthStart(month - 1, allowance.monthStart);
        const int64_t next = day >= start ? MonthStart(month + 1, allowance.monthStart) : start;
        return {DateOfDay(first), DateOfDay(next)};
    }
    return {today, DateOfDay(day + 1)};
}

int64_t UsedIn(const UsageTable& table, const Period& period, const CalendarDate& today) {
    int64_t seconds = 0;
    for (const Usage& day :
         table.Daily(today, static_cast<int>(DayNumber(today) - DayNumber(period.first) + 1)))
        seconds += day.seconds;
    return seconds;
}

std::optional<int> WarningDue(const Allowance& allowance, int64_t used, const Period& period,
                              std::optional<AllowanceWarning>& last) {
    if (allowance.period == AllowancePeriod::kOff || allowance.seconds <= 0) return std::nullopt;
    const int passed = used >= allowance.seconds ? 100
                       : used * 100 >= allowance.warnPercent * allowance.seconds
                           ? allowance.warnPercent
                           : 0;
    // Set to what is reached now: a share no longer reached is armed again.
    const int given = last && last->period == period.first ? last->percent : 0;
    last = AllowanceWarning{period.first, passed};
    if (passed > given) return passed;
    return std::nullopt;
}

std::string AllowanceLine(const Allowance& allowance, int64_t used, int64_t usedToday) {
    if (allowance.period == AllowancePeriod::kOff) return "";
    // An allowance of nothing (from an edited file) is not worth a division by zero.
    const int64_t share = used * 100 / std::max<int64_t>(allowance.seconds, 1);
    const std::string amounts = HoursMinutes(used) + " of " + HoursMinutes(allowance.seconds) +
                                " (" + std::to_string(share) + " %)";
    if (allowance.period == AllowancePeriod::kDay) return "Today: " + amounts;
    return "This " + std::string(WordsOf(allowance.period).name) + ": " + amounts + " - today " +
           HoursMinutes(usedToday);
}

std::string AllowanceForecast(const Allowance& allowance, int64_t used, const Period& period,
                              const CalendarDate& today, int secondsIntoToday) {
    if (used >= allowance.seconds) return "the allowance is used up";
    const int64_t left = allowance.seconds - used;
    if (allowance.period == AllowancePeriod::kDay) return HoursMinutes(left) + " left today";
    const int64_t first = DayNumber(period.first), next = DayNumber(period.next),
                  day = DayNumber(today);
    const int64_t elapsed = (day - first) * kDaySeconds + secondsIntoToday;
    // In the first hour there is no pace to go by.
    if (elapsed >= 3600) {
        const int64_t projected = used * (next - first) * kDaySeconds / elapsed;
        if (projected > allowance.seconds) {
            const CalendarDate last = DateOfDay(next - 1);
            return "at this pace " + HoursMinutes(projected) + " by " + std::to_string(last.day) +
                   " " + kMonthNames[last.month - 1];
        }
    }
    return HoursMinutes(left / (next - day)) + " a day left";
}

std::variant<Allowance, std::string> AllowanceFromInput(AllowancePeriod period, int weekStart,
                                                        std::string_view hours,
                                                        std::string_view minutes,
                                                        std::string_view monthStart,
                                                        std::string_view warnPercent) {
    const auto h = Count(hours), m = Count(minutes);
    const auto startDay = Within(Count(monthStart), 1, 31);
    const auto share = Within(Count(warnPercent), 1, 99);
    const int64_t total = h && m ? *h * 3600 + *m * 60 : 0;
    const PeriodWords words = WordsOf(period);
    const Allowance defaults;
    if (period != AllowancePeriod::kOff) {
        if (!h) return "The hours must be a whole number of 0 or more, such as 40.";
        if (!m) return "The minutes must be a whole number of 0 or more, such as 30.";
        if (total == 0)
            return "An allowance of 0 hours and 0 minutes leaves no time: type at least 1 minute, "
                   "or choose no allowance.";
        if (total > words.hours * 3600)
            return "An allowance per " + std::string(words.name) + " can hold at most " +
                   std::to_string(words.hours) + " hours.";
        if (period == AllowancePeriod::kMonth && !startDay)
            return "The day a month starts on must be from 1 to 31.";
        if (!share) return "The warning share must be from 1 to 99 %.";
    }
    // Switched off, what was typed is kept where it reads, for when it is switched on again.
    return Allowance{period, total, weekStart, startDay.value_or(defaults.monthStart),
                     share.value_or(defaults.warnPercent)};
}

AllowanceView ViewAllowance(const Allowance& allowance, const UsageTable& history,
                            const std::optional<SessionRecord>& current, const LocalTime& now,
                            const std::optional<AllowanceWarning>& lastWarning) {
    AllowanceView view{-1, "", "", 0, "", lastWarning};
    if (allowance.period == AllowancePeriod::kOff || allowance.seconds <= 0) return view;
    UsageTable sofar;
    if (current) sofar.Add({current->start, now, current->seconds, current->connection});
    const Period period = PeriodOf(allowance, now.date);
    const int64_t used = UsedIn(history, period, now.date) + UsedIn(sofar, period, now.date);
    const int64_t today =
        history.Daily(now.date, 1)[0].seconds + sofar.Daily(now.date, 1)[0].seconds;
    const int64_t share = used * 100 / allowance.seconds;
    view.percent = static_cast<int>(std::min<int64_t>(share, 100));
    view.line = AllowanceLine(allowance, used, today);
    view.details = view.line + "; " +
                   AllowanceForecast(allowance, used, period, now.date,
                                     static_cast<int>(LocalSeconds(now) % kDaySeconds));
    if (allowance.period == AllowancePeriod::kDay) view.dailyLimit = allowance.seconds;
    if (WarningDue(allowance, used, period, view.lastWarning))
        view.warning =
            (share >= 100 ? std::string("The allowance is used up.")
                          : "You have used " + std::to_string(share) + " % of the allowance.") +
            "\n" + view.line;
    return view;
}

std::string StatusLines(const std::string& notAnswering, const std::string& allowanceText) {
    const std::string stop =
        notAnswering.empty() ? "" : "Not counting: Windows is not answering (" + notAnswering + ")";
    return stop + (stop.empty() || allowanceText.empty() ? "" : "\n") + allowanceText;
}

void DrawShareBar(uint32_t* pixels, int width, int height, int percent, int warnPercent) {
    // Four rows at least, as long as the icon has them.
    const int barHeight = std::min(height, std::max(4, height / 4)), top = height - barHeight;
    const int filled = 1 + (width - 2) * std::clamp(percent, 0, 100) / 100;
    const uint32_t fill = percent >= 100           ? 0xFFDC0000
                          : percent >= warnPercent ? 0xFFFFAA00
                                                   : 0xFF0078D7;
    for (int y = top; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool edge = x == 0 || x == width - 1 || y == top || y == height - 1;
            pixels[static_cast<size_t>(y * width + x)] = edge         ? 0xFF000000
                                                         : x < filled ? fill
                                                                      : 0xFFFFFFFF;
        }
}

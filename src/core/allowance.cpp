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

constexpr const char* kUnitNames[] = {"MB", "GB"};

// "3.2": in the allowance's unit, the tenths cut rather than rounded, so that all of it shows only
// when all is used.
std::string InUnit(int64_t bytes, DataUnit unit, bool tenths) {
    const int64_t per = BytesPerUnit(unit);
    return std::to_string(bytes / per) +
           (tenths ? "." + std::to_string(bytes % per * 10 / per) : "");
}

int64_t LimitOf(const Allowance& allowance, AllowanceKind kind) {
    return kind == AllowanceKind::kTime ? allowance.seconds : allowance.bytes;
}

// "1:23" of time, "3.2 GB" of data.
std::string AmountText(const Allowance& allowance, AllowanceKind kind, int64_t amount) {
    if (kind == AllowanceKind::kTime) return HoursMinutes(amount);
    return InUnit(amount, allowance.unit, true) + " " +
           kUnitNames[static_cast<int>(allowance.unit)];
}

std::string Share(int64_t used, int64_t limit) {
    return " (" + std::to_string(used * 100 / limit) + " %)";
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

int64_t BytesPerUnit(DataUnit unit) {
    return unit == DataUnit::kMB ? int64_t{1} << 20 : int64_t{1} << 30;
}

bool IsOn(const Allowance& allowance) {
    return allowance.period != AllowancePeriod::kOff &&
           (allowance.seconds > 0 || allowance.bytes > 0);
}

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

Usage UsageIn(const UsageTable& table, const Period& period, const CalendarDate& today) {
    Usage sum;
    for (const Usage& day :
         table.Daily(today, static_cast<int>(DayNumber(today) - DayNumber(period.first) + 1))) {
        sum.seconds += day.seconds;
        sum.data.received += day.data.received;
        sum.data.sent += day.data.sent;
    }
    return sum;
}

int64_t UsedIn(const UsageTable& table, const Period& period, const CalendarDate& today) {
    return UsageIn(table, period, today).seconds;
}

std::optional<int> WarningDue(const Allowance& allowance, int64_t used, const Period& period,
                              std::optional<AllowanceWarning>& last, AllowanceKind kind) {
    const int64_t limit = LimitOf(allowance, kind);
    if (allowance.period == AllowancePeriod::kOff || limit <= 0) return std::nullopt;
    const int passed = used >= limit                                 ? 100
                       : used * 100 >= allowance.warnPercent * limit ? allowance.warnPercent
                                                                     : 0;
    // Set to what is reached now: a share no longer reached is armed again.
    const int given = last && last->period == period.first ? last->percent : 0;
    last = AllowanceWarning{period.first, passed};
    if (passed > given) return passed;
    return std::nullopt;
}

std::string AllowanceLine(const Allowance& allowance, int64_t used, int64_t usedToday,
                          int64_t usedBytes) {
    if (!IsOn(allowance)) return "";
    std::string amounts;
    if (allowance.seconds > 0)
        amounts = HoursMinutes(used) + " of " + HoursMinutes(allowance.seconds) +
                  Share(used, allowance.seconds);
    if (allowance.bytes > 0)
        amounts +=
            (amounts.empty() ? "" : ", ") + InUnit(usedBytes, allowance.unit, true) + " of " +
            InUnit(allowance.bytes, allowance.unit,
                   allowance.bytes % BytesPerUnit(allowance.unit) != 0) +
            " " + kUnitNames[static_cast<int>(allowance.unit)] + Share(usedBytes, allowance.bytes);
    if (allowance.period == AllowancePeriod::kDay) return "Today: " + amounts;
    // Both amounts leave no room in the tip for today's time.
    return "This " + std::string(WordsOf(allowance.period).name) + ": " + amounts +
           (allowance.bytes > 0 ? "" : " - today " + HoursMinutes(usedToday));
}

namespace {

std::string Forecast(const Allowance& allowance, AllowanceKind kind, int64_t used,
                     const Period& period, const CalendarDate& today, int secondsIntoToday,
                     const char* usedUp) {
    const int64_t limit = LimitOf(allowance, kind);
    if (used >= limit) return usedUp;
    const int64_t left = limit - used;
    if (allowance.period == AllowancePeriod::kDay)
        return AmountText(allowance, kind, left) + " left today";
    const int64_t first = DayNumber(period.first), next = DayNumber(period.next),
                  day = DayNumber(today);
    const int64_t elapsed = (day - first) * kDaySeconds + secondsIntoToday;
    // In the first hour there is no pace to go by.
    if (elapsed >= 3600) {
        // used * span / elapsed, in parts that do not overflow for a month of terabytes.
        const int64_t span = (next - first) * kDaySeconds;
        const int64_t projected = used / elapsed * span + used % elapsed * span / elapsed;
        if (projected > limit) {
            const CalendarDate last = DateOfDay(next - 1);
            return "at this pace " + AmountText(allowance, kind, projected) + " by " +
                   std::to_string(last.day) + " " + kMonthNames[last.month - 1];
        }
    }
    return AmountText(allowance, kind, left / (next - day)) + " a day left";
}

}  // namespace

std::string AllowanceForecast(const Allowance& allowance, int64_t used, const Period& period,
                              const CalendarDate& today, int secondsIntoToday, int64_t usedBytes) {
    const bool both = allowance.seconds > 0 && allowance.bytes > 0;
    std::string text;
    if (allowance.seconds > 0)
        text = Forecast(allowance, AllowanceKind::kTime, used, period, today, secondsIntoToday,
                        both ? "the time is used up" : "the allowance is used up");
    if (allowance.bytes > 0)
        text +=
            (text.empty() ? "" : ", ") +
            Forecast(allowance, AllowanceKind::kData, usedBytes, period, today, secondsIntoToday,
                     both ? "the data is used up" : "the allowance is used up");
    return text;
}

std::variant<Allowance, std::string> AllowanceFromInput(
    AllowancePeriod period, int weekStart, std::string_view hours, std::string_view minutes,
    std::string_view monthStart, std::string_view warnPercent, std::string_view data, DataUnit unit,
    bool hangUp) {
    const auto h = Count(hours), m = Count(minutes);
    const auto amount = Within(Count(data), 0, 99999);
    const std::string unitName = kUnitNames[static_cast<int>(unit)];
    const auto startDay = Within(Count(monthStart), 1, 31);
    const auto share = Within(Count(warnPercent), 1, 99);
    const int64_t total = h && m ? *h * 3600 + *m * 60 : 0;
    const PeriodWords words = WordsOf(period);
    const Allowance defaults;
    if (period != AllowancePeriod::kOff) {
        if (!h) return "The hours must be a whole number of 0 or more, such as 40.";
        if (!m) return "The minutes must be a whole number of 0 or more, such as 30.";
        if (!amount) return "The data must be a whole number from 0 to 99999, such as 10.";
        if (total == 0 && *amount == 0)
            return "An allowance of 0 hours, 0 minutes and 0 " + unitName +
                   " allows nothing: type at least 1 minute or 1 " + unitName +
                   ", or choose no allowance.";
        if (total > words.hours * 3600)
            return "An allowance per " + std::string(words.name) + " can hold at most " +
                   std::to_string(words.hours) + " hours.";
        if (period == AllowancePeriod::kMonth && !startDay)
            return "The day a month starts on must be from 1 to 31.";
        if (!share) return "The warning share must be from 1 to 99 %.";
    }
    // Switched off, what was typed is kept where it reads, for when it is switched on again.
    return Allowance{period,
                     total,
                     weekStart,
                     startDay.value_or(defaults.monthStart),
                     share.value_or(defaults.warnPercent),
                     amount.value_or(0) * BytesPerUnit(unit),
                     unit,
                     hangUp};
}

AllowanceView ViewAllowance(const Allowance& allowance, const UsageTable& history,
                            const std::optional<SessionRecord>& current, const LocalTime& now,
                            const AllowanceWarnings& lastWarnings) {
    AllowanceView view{-1, "", "", 0, "", lastWarnings};
    if (!IsOn(allowance)) return view;
    UsageTable sofar;
    if (current)
        sofar.Add({current->start, now, current->seconds, current->connection, current->data});
    const Period period = PeriodOf(allowance, now.date);
    const Usage before = UsageIn(history, period, now.date),
                going = UsageIn(sofar, period, now.date);
    const int64_t used = before.seconds + going.seconds;
    const int64_t bytes = BytesOf(before) + BytesOf(going);
    view.usedSeconds = used, view.usedBytes = bytes;
    const int64_t today =
        history.Daily(now.date, 1)[0].seconds + sofar.Daily(now.date, 1)[0].seconds;
    const auto shareOf = [](int64_t amount, int64_t limit) {
        return limit > 0 ? amount * 100 / limit : 0;
    };
    const int64_t timeShare = shareOf(used, allowance.seconds),
                  dataShare = shareOf(bytes, allowance.bytes);
    view.percent = static_cast<int>(std::min<int64_t>(std::max(timeShare, dataShare), 100));
    view.line = AllowanceLine(allowance, used, today, bytes);
    view.details = view.line + "; " +
                   AllowanceForecast(allowance, used, period, now.date,
                                     static_cast<int>(LocalSeconds(now) % kDaySeconds), bytes);
    if (allowance.period == AllowancePeriod::kDay) view.dailyLimit = allowance.seconds;
    const auto warning = [](int64_t share, const std::string& name) {
        return share >= 100 ? "The " + name + " is used up."
                            : "You have used " + std::to_string(share) + " % of the " + name + ".";
    };
    std::string said;
    if (WarningDue(allowance, used, period, view.lastWarnings.time))
        said = warning(timeShare, allowance.bytes > 0 ? "time allowance" : "allowance") + "\n";
    if (WarningDue(allowance, bytes, period, view.lastWarnings.data, AllowanceKind::kData))
        said += warning(dataShare, "data allowance") + "\n";
    if (!said.empty()) view.warning = said + view.line;
    return view;
}

bool CountsRas(const CountChoice& choice) {
    return choice.kind == CountedKind::kDialUp ||
           (choice.kind == CountedKind::kChosen && choice.source == ConnectionSource::kRas);
}

bool HangsUp(const CountChoice& choice, std::string_view rasName) {
    return CountsRas(choice) && (choice.kind == CountedKind::kDialUp || choice.name == rasName);
}

HangUpStep HangUpDue(const Allowance& allowance, const CountChoice& counted,
                     const AllowanceView& view, const std::optional<SessionRecord>& current,
                     std::optional<LocalTime>& noticed) {
    if (!allowance.hangUp || !IsOn(allowance) || !current || !CountsRas(counted))
        return HangUpStep::kNone;
    const bool time = allowance.seconds > 0, data = allowance.bytes > 0;
    if ((time && view.usedSeconds >= allowance.seconds) ||
        (data && view.usedBytes >= allowance.bytes))
        return HangUpStep::kNow;
    const int64_t moved = current->data ? current->data->received + current->data->sent : 0;
    const bool soon = (time && allowance.seconds - view.usedSeconds <= 60) ||
                      (data && current->seconds > 0 &&
                       allowance.bytes - view.usedBytes <= moved * 60 / current->seconds);
    if (!soon || noticed == current->start) return HangUpStep::kNone;
    noticed = current->start;
    return HangUpStep::kNotice;
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

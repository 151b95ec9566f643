#include "core/tick_engine.h"

#include <algorithm>
#include <limits>

#include "core/app_error.h"
#include "core/calendar.h"
#include "core/duration_text.h"

namespace {
constexpr int32_t kMaxCount = std::numeric_limits<int32_t>::max();
constexpr const char* kZeroText = "00:00:00:00";
}  // namespace

TickEngine::TickEngine(AppState& state, Clock& clock, TickHost& host)
    : state_(state),
      clock_(clock),
      host_(host),
      lastTickMs_(clock.MonotonicMs()),
      previousTotal_(state.totalSeconds),
      lastSaved_(LogRecordOf(state)),
      lastSaveMs_(lastTickMs_),
      wallMs_(clock.WallMs()),
      clockMs_(lastTickMs_),
      clearMonthly_(state.options.clearOnFirstOfMonth),
      clearWeekly_(state.options.clearEverySunday) {
    // With nothing recorded, the days before this start were not missed; one missed later is.
    // Recorded after lastSaved_, so that it is saved.
    if ((clearMonthly_ || clearWeekly_) && !state.lastScheduledClear)
        state.lastScheduledClear = DateOfDay(DayNumber(clock.Today().date) - 1);
}

namespace {

std::optional<CalendarDate> LatestDueDay(const Options& options, const LocalDay& today) {
    std::optional<CalendarDate> latest;
    if (options.clearOnFirstOfMonth) latest = CalendarDate{today.date.year, today.date.month, 1};
    if (options.clearEverySunday) {
        const CalendarDate sunday = DateOfDay(DayNumber(today.date) - (today.weekday - 1));
        if (!latest || sunday > *latest) latest = sunday;
    }
    return latest;
}

}  // namespace

bool ScheduledClearingDue(const Options& options, const LocalDay& today,
                          const std::optional<CalendarDate>& lastClear) {
    const auto due = LatestDueDay(options, today);
    return due && lastClear && *due > *lastClear;
}

void TickEngine::OnTick() {
    const int64_t now = clock_.MonotonicMs();
    if (Slept(now)) LoseTrack(Link::Unknown, now);
    ApplyScheduledClearing(now);
    const LinkAnswer answer = host_.AskConnection();
    if (answer.answered) {
        notAnswering_.clear();
        Count(answer, now);
    } else if (!notAnswering_.empty() || now - lastTickMs_ >= kMaxCountedGapMs) {
        // Until it answers, nothing is counted; what was held for its answer is not either.
        notAnswering_ = answer.asked;
        LoseTrack(Link::Down, now);
        state_.sessionSeconds = 0;
        host_.ShowCounts(kZeroText, FormatDuration(state_.totalSeconds));
    }  // else held: the time goes to the next answer, which says where it belongs

    if (state_.options.alertEnabled && previousTotal_ < state_.alertLimitSeconds &&
        state_.totalSeconds >= state_.alertLimitSeconds)
        host_.ShowAlert();
    previousTotal_ = state_.totalSeconds;

    if (now - lastSaveMs_ >= kLogSaveIntervalMs && LogRecordOf(state_) != lastSaved_) SaveLog(now);
    if (session_ && now - lastCheckpointMs_ >= kLogSaveIntervalMs) {
        CheckpointSession();
        lastCheckpointMs_ = now;
    }
}

void TickEngine::Count(const LinkAnswer& answer, int64_t now) {
    const std::optional<std::string>& upNow = answer.counted;
    const int64_t elapsed = std::clamp<int64_t>(now - lastTickMs_, 0, kMaxCountedGapMs);
    lastTickMs_ = now;
    // Two separate questions, as the connection may change between them. A connection that
    // came up or went down since the last tick did so halfway through the interval on average.
    if (upNow) {
        lastUpTime_ = clock_.Now();
        // What moved since the last reading is the session's that was counted then; the first
        // reading in a session is where its count starts.
        const Traffic moved = meter_.Read(answer.traffic);
        if (session_ && !answer.traffic.empty()) {
            Traffic& data = session_->data ? *session_->data : session_->data.emplace();
            data.received += moved.received;
            data.sent += moved.sent;
        }
        // Another connection counted from here on is a session of its own.
        if (session_ && session_->connection != *upNow) FinishSession();
        if (!session_) {
            session_ = SessionRecord{lastUpTime_, {}, 0, *upNow};
            if (!answer.traffic.empty()) session_->data.emplace();
            lastCheckpointMs_ = now;
        }
        CountOnline(link_ == Link::Down ? elapsed / 2 : elapsed);
        link_ = Link::Up;
        host_.ShowCounts(FormatDuration(state_.sessionSeconds),
                         FormatDuration(state_.totalSeconds));
    }
    const LinkAnswer again = host_.AskConnection();
    if (again.answered && !again.counted) {
        if (link_ == Link::Up) EndSession(upNow ? 0 : elapsed / 2);
        link_ = Link::Down;
        state_.sessionSeconds = 0;
        host_.ShowCounts(kZeroText, FormatDuration(state_.totalSeconds));
    }
}

// The wall clock ran ahead of the one that stops while asleep: the machine slept since the last
// tick, whether Windows said so or not (Modern Standby may say nothing, or say it late).
bool TickEngine::Slept(int64_t now) {
    const int64_t wall = clock_.WallMs();
    const bool slept = (wall - wallMs_) - (now - clockMs_) > kSleepGapMs;
    wallMs_ = wall;
    clockMs_ = now;
    return slept;
}

// What follows the last tick that found the connection up is not known to be online time.
void TickEngine::LoseTrack(Link link, int64_t now) {
    EndSessionAt(lastUpTime_);
    link_ = link;
    lastTickMs_ = now;
}

void TickEngine::CheckpointSession() {
    session_->end = clock_.Now();
    host_.CheckpointSession(*session_);
}

void TickEngine::FinishSession() {
    EndSessionAt(clock_.Now());
}

void TickEngine::EndSessionAt(const LocalTime& end) {
    if (!session_) return;
    session_->end = end;
    host_.RecordSession(*session_);
    session_.reset();
}

void TickEngine::CountForSession(int32_t seconds) {
    if (session_) session_->seconds += seconds;
}

void TickEngine::ApplyScheduledClearing(int64_t now) {
    const LocalDay today = clock_.Today();
    NoteOptionsSwitchedOn(today);
    // Recorded while the clock was in the future: clearing resumes with the next due day.
    if (state_.lastScheduledClear > today.date) state_.lastScheduledClear = today.date;
    if (!ScheduledClearingDue(state_.options, today, state_.lastScheduledClear)) return;
    state_.totalSeconds = 0;
    state_.sessionSeconds = 0;
    state_.lastScheduledClear = today.date;
    SaveLog(now);
}

// The due days before an option was switched on were not missed: only today's may clear.
void TickEngine::NoteOptionsSwitchedOn(const LocalDay& today) {
    const Options& o = state_.options;
    const bool switchedOn =
        (o.clearOnFirstOfMonth && !clearMonthly_) || (o.clearEverySunday && !clearWeekly_);
    clearMonthly_ = o.clearOnFirstOfMonth;
    clearWeekly_ = o.clearEverySunday;
    if (!switchedOn) return;
    const CalendarDate yesterday = DateOfDay(DayNumber(today.date) - 1);
    if (!(state_.lastScheduledClear >= yesterday)) state_.lastScheduledClear = yesterday;
}

void TickEngine::CountOnline(int64_t elapsedMs) {
    const int64_t carry = carryMs_ + elapsedMs;
    const auto seconds = static_cast<int32_t>(carry / 1000);
    if (state_.sessionSeconds > kMaxCount - seconds || state_.totalSeconds > kMaxCount - seconds)
        throw AppError(kErrOverflow,
                       "The online time has reached the largest total the timer can hold, "
                       "24855:03:14:07. The timer saves this total and closes; clear the log "
                       "or adjust it before you start the timer again.");
    carryMs_ = carry % 1000;
    state_.sessionSeconds += seconds;
    state_.totalSeconds += seconds;
    CountForSession(seconds);
}

// The session's last part goes to the total, and so does the fraction of a second left over: it
// is carried into the next session, so the total does not lose a fraction per session.
void TickEngine::EndSession(int64_t lastPartMs) {
    carryMs_ += lastPartMs;
    const auto seconds = static_cast<int32_t>(carryMs_ / 1000);
    carryMs_ %= 1000;
    if (state_.totalSeconds <= kMaxCount - seconds) {
        state_.totalSeconds += seconds;
        CountForSession(seconds);
    }
    FinishSession();
}

void TickEngine::SaveLog(int64_t now) {
    const LogRecord record = LogRecordOf(state_);
    if (host_.SaveLog(record)) lastSaved_ = record;
    lastSaveMs_ = now;
}

void TickEngine::NoteLogSaved(const LogRecord& record) {
    lastSaved_ = record;
}

// A session in the history never spans time asleep: the connection still up after it begins a
// new one.
void TickEngine::Suspend() {
    LoseTrack(Link::Unknown, clock_.MonotonicMs());
}

// Windows says it once or twice for one wake, and maybe not at all: the clocks say it once.
void TickEngine::Resume() {
    const int64_t now = clock_.MonotonicMs();
    if (Slept(now)) LoseTrack(Link::Unknown, now);
}

#include "tracking/tick_engine.h"

#include <algorithm>
#include <limits>

#include "app/app_error.h"
#include "tracking/duration_text.h"

namespace {
constexpr int32_t kMaxCount = std::numeric_limits<int32_t>::max();
constexpr const char* kZeroText = "00:00:00:00";
}  // namespace

TickEngine::TickEngine(AppState& state, Clock& clock, TickHost& host)
    : state_(state),
      clock_(clock),
      host_(host),
      lastTickMs_(clock.MonotonicMs()),
      previousTotal_(state.TotalSeconds),
      lastSaved_(LogRecordOf(state)),
      lastSaveMs_(lastTickMs_) {}

void TickEngine::Timer1_Timer() {
    const int64_t now = clock_.MonotonicMs();
    const int64_t elapsed = std::clamp<int64_t>(now - lastTickMs_, 0, kMaxCountedGapMs);
    lastTickMs_ = now;
    ApplyScheduledClearing(now);

    // Two separate questions, as the connection may change between them. A connection that
    // came up or went down since the last tick did so halfway through the interval on average.
    const bool upNow = host_.IsDialUpConnected();
    if (upNow) {
        CountOnline(link_ == Link::Down ? elapsed / 2 : elapsed);
        link_ = Link::Up;
        host_.ShowCounts(FormatDuration(state_.SessionSeconds),
                         FormatDuration(state_.TotalSeconds));
    }
    if (!host_.IsDialUpConnected()) {
        if (link_ == Link::Up) EndSession(upNow ? 0 : elapsed / 2);
        link_ = Link::Down;
        state_.SessionSeconds = 0;
        host_.ShowCounts(kZeroText, FormatDuration(state_.TotalSeconds));
    }

    if (state_.AlertEnabled && previousTotal_ < state_.AlertLimitSeconds &&
        state_.TotalSeconds >= state_.AlertLimitSeconds)
        host_.ShowAlert();
    previousTotal_ = state_.TotalSeconds;

    if (now - lastSaveMs_ >= kLogSaveIntervalMs && LogRecordOf(state_) != lastSaved_) SaveLog(now);
}

void TickEngine::ApplyScheduledClearing(int64_t now) {
    const LocalDay today = clock_.Today();
    const bool due = (today.Weekday == 1 && state_.ClearEverySunday) ||
                     (today.Date.Day == 1 && state_.ClearOnFirstOfMonth);
    if (!due || state_.LastScheduledClear == today.Date) return;
    state_.TotalSeconds = 0;
    state_.SessionSeconds = 0;
    state_.LastScheduledClear = today.Date;
    SaveLog(now);
}

void TickEngine::CountOnline(int64_t elapsedMs) {
    const int64_t carry = carryMs_ + elapsedMs;
    const auto seconds = static_cast<int32_t>(carry / 1000);
    if (state_.SessionSeconds > kMaxCount - seconds || state_.TotalSeconds > kMaxCount - seconds)
        throw AppError(kErrOverflow,
                       "The online time has reached the largest total the timer can hold, "
                       "24855:03:14:07. The timer saves this total and closes; clear the log "
                       "or adjust it before you start the timer again.");
    carryMs_ = carry % 1000;
    state_.SessionSeconds += seconds;
    state_.TotalSeconds += seconds;
}

// The session's last part goes to the total, and so does the fraction of a second left over: it
// is carried into the next session, so the total does not lose a fraction per session.
void TickEngine::EndSession(int64_t lastPartMs) {
    carryMs_ += lastPartMs;
    const auto seconds = static_cast<int32_t>(carryMs_ / 1000);
    carryMs_ %= 1000;
    if (state_.TotalSeconds <= kMaxCount - seconds) state_.TotalSeconds += seconds;
}

void TickEngine::SaveLog(int64_t now) {
    const LogRecord record = LogRecordOf(state_);
    if (host_.SaveLog(record)) lastSaved_ = record;
    lastSaveMs_ = now;
}

void TickEngine::NoteLogSaved(const LogRecord& record) {
    lastSaved_ = record;
}

void TickEngine::Resume() {
    lastTickMs_ = clock_.MonotonicMs();
}

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/history.h"
#include "core/traffic.h"

struct LocalDay {
    CalendarDate date;
    int weekday = 1;  // 1 is Sunday
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds that do not advance while the machine sleeps.
    virtual int64_t MonotonicMs() = 0;
    // Milliseconds that do: the two part when the machine sleeps, said or not.
    virtual int64_t WallMs() = 0;
    virtual LocalDay Today() = 0;
    virtual LocalTime Now() = 0;
};

// What the system said, at a tick, of what is counted.
struct LinkAnswer {
    // False while the system has not answered since the last tick.
    bool answered = true;
    // The name the time online is counted under, or nullopt when nothing counted is up.
    std::optional<std::string> counted;
    // What is asked, as the user knows it: "RAS", "the network list".
    std::string asked;
    // The byte counters of what is counted; none where Windows keeps none.
    std::vector<TrafficCount> traffic{};
};

// Everything a tick does outside the state: the probe, the windows and the file.
class TickHost {
  public:
    virtual ~TickHost() = default;
    virtual LinkAnswer AskConnection() = 0;
    virtual void ShowCounts(std::string_view session, std::string_view total) = 0;
    virtual void ShowAlert() = 0;
    // False when the file could not be written; the engine tries again later.
    virtual bool SaveLog(const LogRecord& record) = 0;
    // The session in progress, at most once a minute, so that a crash loses at most a minute.
    virtual void CheckpointSession(const SessionRecord& session) = 0;
    // A session ended: the connection went down or the timer is closing.
    virtual void RecordSession(const SessionRecord& session) = 0;
};

// Whether a scheduled clearing is due: a due day (a Sunday, a 1st) has come since the last one
// recorded. A date earlier than the last clearing never clears: the clock was set back. With an
// option on, the engine records the day before its start, or before the option was switched on,
// when nothing is recorded, and today when the record lies ahead of it.
bool ScheduledClearingDue(const Options& options, const LocalDay& today,
                          const std::optional<CalendarDate>& lastClear);

// A gap between ticks counted at most; and as long a silence of the system makes the state unknown.
inline constexpr int64_t kMaxCountedGapMs = 5000;
// The wall clock ahead of the other by this much since the last tick: the machine slept.
inline constexpr int64_t kSleepGapMs = 2000;
inline constexpr int64_t kLogSaveIntervalMs = 60000;

// The timer's handler: counts the time that really passed while the system says a connection is
// up, clears the log once on a scheduled day, raises the alert when the total reaches the limit,
// and keeps the time log file at most a minute behind. Sleep, said or not, and a system silent for
// kMaxCountedGapMs end the session at the last tick that found it up.
class TickEngine {
  public:
    TickEngine(AppState& state, Clock& clock, TickHost& host);

    // Throws AppError (overflow) when the counts would pass 2147483647; they are unchanged then.
    void OnTick();
    // Another part of the program wrote the time log file.
    void NoteLogSaved(const LogRecord& record);
    // The machine goes to sleep: the session in progress ends.
    void Suspend();
    // The machine woke up (said once or twice for one wake).
    void Resume();
    // The session in progress, if the connection is up.
    const std::optional<SessionRecord>& CurrentSession() const { return session_; }
    // At shut-down: the session in progress ends.
    void FinishSession();
    // What has not answered for kMaxCountedGapMs, while nothing is counted; "" while it answers.
    const std::string& NotAnswering() const { return notAnswering_; }

  private:
    enum class Link { Unknown, Up, Down };
    bool Slept(int64_t now);
    void ApplyScheduledClearing(int64_t now);
    void NoteOptionsSwitchedOn(const LocalDay& today);
    void CountOnline(int64_t elapsedMs);
    void EndSession(int64_t lastPartMs);
    void EndSessionAt(const LocalTime& end);
    void LoseTrack(Link link, int64_t now);
    void Count(const LinkAnswer& answer, int64_t now);
    void CheckpointSession();
    void CountForSession(int32_t seconds);
    void SaveLog(int64_t now);

    AppState& state_;
    Clock& clock_;
    TickHost& host_;
    int64_t lastTickMs_;  // of the last tick the system answered
    int64_t carryMs_ = 0;
    // Unknown until the first tick: a start in the middle of a connection counts it whole.
    Link link_ = Link::Unknown;
    int32_t previousTotal_;
    LogRecord lastSaved_;
    int64_t lastSaveMs_;
    int64_t wallMs_, clockMs_;  // at the last tick, or wake
    std::string notAnswering_;
    bool clearMonthly_, clearWeekly_;
    std::optional<SessionRecord> session_;
    TrafficMeter meter_;
    LocalTime lastUpTime_;
    int64_t lastCheckpointMs_ = 0;
};

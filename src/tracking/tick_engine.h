#pragma once
#include <cstdint>
#include <string_view>

#include "app/app_state.h"
#include "store/log_file.h"

struct LocalDay {
    CalendarDate Date;
    int Weekday = 1;  // 1 is Sunday
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds that do not advance while the machine sleeps.
    virtual int64_t MonotonicMs() = 0;
    virtual LocalDay Today() = 0;
};

// Everything a tick does outside AppState.
class TickHost {
  public:
    virtual ~TickHost() = default;
    virtual bool IsDialUpConnected() = 0;
    virtual void ShowCounts(std::string_view session, std::string_view total) = 0;
    virtual void ShowAlert() = 0;
    // False when the file could not be written; the engine tries again later.
    virtual bool SaveLog(const LogRecord& record) = 0;
};

inline constexpr int64_t kMaxCountedGapMs = 5000;
inline constexpr int64_t kLogSaveIntervalMs = 60000;

// The timer's handler: counts the time that really passed while a connection is up, clears the
// log once on a scheduled day, raises the alert when the total reaches the limit, and keeps the
// time log file at most a minute behind.
class TickEngine {
  public:
    TickEngine(AppState& state, Clock& clock, TickHost& host);

    // Throws AppError (overflow) when the counts would pass 2147483647; they are unchanged then.
    void Timer1_Timer();
    // Another part of the program wrote the time log file.
    void NoteLogSaved(const LogRecord& record);
    // The machine woke up: the time it slept is not counted, whatever the clock says.
    void Resume();

  private:
    void ApplyScheduledClearing(int64_t now);
    void CountOnline(int64_t elapsedMs);
    void EndSession(int64_t lastPartMs);
    void SaveLog(int64_t now);

    AppState& state_;
    Clock& clock_;
    TickHost& host_;
    int64_t lastTickMs_;
    int64_t carryMs_ = 0;
    // Unknown until the first tick: a start in the middle of a connection counts it whole.
    enum class Link { Unknown, Up, Down } link_ = Link::Unknown;
    int32_t previousTotal_;
    LogRecord lastSaved_;
    int64_t lastSaveMs_;
};

#pragma once
#include "core/tick_engine.h"

// Seams that cost nothing, so that a tick's own work is what is measured.
struct SteppingClock : Clock {
    int64_t ms = 0;
    int64_t MonotonicMs() override { return ms += 925; }
    int64_t WallMs() override { return ms; }
    LocalDay Today() override { return {{2026, 12, 7}, 2}; }
    LocalTime Now() override { return {{2026, 12, 7}, 12, 0, 0, 60}; }
};

struct NullHost : TickHost {
    bool online = true;
    size_t shown = 0;
    LinkAnswer AskConnection() override {
        return {true, online ? std::optional<std::string>("dial-up") : std::nullopt, ""};
    }
    void ShowCounts(std::string_view session, std::string_view total) override {
        shown += session.size() + total.size();
    }
    void ShowAlert() override {}
    bool SaveLog(const LogRecord&) override { return true; }
    void CheckpointSession(const SessionRecord&) override {}
    void RecordSession(const SessionRecord&) override {}
};

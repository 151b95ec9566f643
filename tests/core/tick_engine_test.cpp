#include "tracking/tick_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/app_error.h"

namespace {

constexpr LocalDay kMonday{{2026, 12, 7}, 2};
constexpr LocalDay kSunday{{2026, 12, 6}, 1};
constexpr LocalDay kFirstTuesday{{2026, 12, 1}, 3};

struct FakeClock : Clock {
    int64_t ms = 1'000'000;
    LocalDay today = kMonday;
    int64_t MonotonicMs() override { return ms; }
    LocalDay Today() override { return today; }
};

// Answers the probe from a script (one answer a call, the last repeated) and records the rest.
struct FakeHost : TickHost {
    std::deque<bool> answers{false};
    std::string session, total;
    int alerts = 0;
    std::vector<LogRecord> saved;
    bool IsDialUpConnected() override {
        const bool a = answers.front();
        if (answers.size() > 1) answers.pop_front();
        return a;
    }
    void ShowCounts(std::string_view s, std::string_view t) override {
        session = s;
        total = t;
    }
    void ShowAlert() override { ++alerts; }
    bool SaveLog(const LogRecord& r) override {
        saved.push_back(r);
        return true;
    }
};

class TickEngineTest : public ::testing::Test {
  protected:
    void Online(bool up) { host.answers = {up}; }
    // n ticks, stepMs apart.
    void Ticks(int n, int64_t stepMs = 1000) {
        for (int i = 0; i < n; ++i) {
            clock.ms += stepMs;
            engine.Timer1_Timer();
        }
    }

    AppState state;
    FakeClock clock;
    FakeHost host;
    TickEngine engine{state, clock, host};
};

}  // namespace

TEST_F(TickEngineTest, OnlineAndOfflineTicksWriteTheLabels) {
    state.SessionSeconds = 59;
    state.TotalSeconds = 86399;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.session, "00:00:01:00");
    EXPECT_EQ(host.total, "01:00:00:00");

    Ticks(60);
    Online(false);
    Ticks(1);  // the connection went down halfway through the last second, on average
    EXPECT_EQ(state.SessionSeconds, 0);
    EXPECT_EQ(state.TotalSeconds, 86460);
    EXPECT_EQ(host.session, "00:00:00:00");

    state.TotalSeconds = 3661;  // offline at start-up
    TickEngine restarted(state, clock, host);
    clock.ms += 1000;
    restarted.Timer1_Timer();
    EXPECT_EQ(host.session, "00:00:00:00");
    EXPECT_EQ(host.total, "00:01:01:01");
    EXPECT_EQ(state.TotalSeconds, 3661);
}

TEST_F(TickEngineTest, ProbeChangingBetweenItsTwoCalls) {
    state.SessionSeconds = 120;
    host.answers = {true, false};  // went down within the tick: counted, then the session ends
    Ticks(1);
    EXPECT_EQ(state.TotalSeconds, 1);
    EXPECT_EQ(state.SessionSeconds, 0);
    EXPECT_EQ(host.session, "00:00:00:00");

    host.session = host.total = "untouched";
    state.SessionSeconds = 7;
    host.answers = {false, true};  // came up within the tick: nothing counted, no label written
    Ticks(1);
    EXPECT_EQ(state.TotalSeconds, 1);
    EXPECT_EQ(state.SessionSeconds, 7);
    EXPECT_EQ(host.session, "untouched");
}

TEST_F(TickEngineTest, CountsTheTimeThatPassed) {
    Online(true);
    Ticks(1000, 925);  // 925 s of ticks are 925 s, not 1000
    EXPECT_EQ(state.TotalSeconds, 925);
    Ticks(3, 1500);  // irregular steps carry their fractions
    Ticks(1, 100);
    Ticks(1, 400);
    EXPECT_EQ(state.TotalSeconds, 925 + 5);
    Ticks(1, 3'600'000);  // a suspended or stalled hour counts only up to the gap limit
    EXPECT_EQ(state.TotalSeconds, 930 + kMaxCountedGapMs / 1000);
    clock.ms += 3000;  // asleep, on a clock that went on
    engine.Resume();
    Ticks(1, 500);
    EXPECT_EQ(state.TotalSeconds, 935);
    EXPECT_EQ(state.SessionSeconds, state.TotalSeconds);
    Ticks(1, -5000);  // a clock that runs back counts nothing
    EXPECT_EQ(state.TotalSeconds, 935);
    Ticks(1, 500);  // with the fraction carried from before the sleep
    EXPECT_EQ(state.TotalSeconds, 936);

    // A session between ticks: half of each boundary interval; the fraction left is carried.
    Online(false);
    Ticks(1, 925);
    EXPECT_EQ(state.TotalSeconds, 936);
    Online(true);
    Ticks(10, 925);  // 462 + 9 x 925 ms
    Online(false);
    Ticks(1, 925);  // + 462 ms: 9.249 s
    EXPECT_EQ(state.TotalSeconds, 936 + 9);
    Online(true);
    Ticks(2, 1000);  // 0.5 + 1 s, then 0.5 s when it ends: 2 s
    Online(false);
    Ticks(1, 1000);
    EXPECT_EQ(state.TotalSeconds, 936 + 11);
}

TEST_F(TickEngineTest, ScheduledClearingOncePerDay) {
    const struct {
        bool firstOfMonth, sunday;
        LocalDay day;
        bool clears;
    } cases[] = {
        {false, true, kSunday, true},          {true, false, kSunday, false},
        {true, false, kFirstTuesday, true},    {false, true, kFirstTuesday, false},
        {true, true, kMonday, false},          {false, false, kSunday, false},
        {true, true, {{2027, 8, 1}, 1}, true},
    };
    for (const auto& c : cases) {
        state = {};
        state.ClearOnFirstOfMonth = c.firstOfMonth;
        state.ClearEverySunday = c.sunday;
        state.TotalSeconds = 5000;
        host.saved.clear();
        clock.today = c.day;
        Online(true);
        Ticks(10);
        EXPECT_EQ(state.TotalSeconds, c.clears ? 10 : 5010);
        EXPECT_EQ(state.SessionSeconds, 10);  // counting goes on for the rest of the day
        if (c.clears) {
            ASSERT_EQ(host.saved.size(), 1u);  // at once, with the day recorded
            EXPECT_EQ(host.saved[0], (LogRecord{0, c.day.Date}));
        }
    }
    // A restart on the same day: the recorded day keeps the total.
    state.TotalSeconds = 77;
    TickEngine restarted(state, clock, host);
    restarted.Timer1_Timer();
    EXPECT_GE(state.TotalSeconds, 77);
    clock.today = {{2027, 8, 8}, 1};  // the next Sunday clears again
    Ticks(1);
    EXPECT_EQ(state.TotalSeconds, 1);
}

TEST_F(TickEngineTest, AlertWhenTheTotalReachesTheLimit) {
    state.AlertEnabled = true;
    state.AlertLimitSeconds = 3600;
    state.TotalSeconds = 3599;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.alerts, 1);
    Ticks(1);
    Online(false);
    Ticks(5);
    EXPECT_EQ(host.alerts, 1);  // not again while offline at or past the limit

    state.TotalSeconds = 3000;  // adjusted below the limit, then up past it by a jump
    Ticks(1);
    state.TotalSeconds = 5000;
    Ticks(1);
    EXPECT_EQ(host.alerts, 2);

    state.TotalSeconds = 3598;  // counting by a step of more than one second
    Ticks(1);
    Online(true);
    Ticks(1, 5000);
    EXPECT_EQ(host.alerts, 3);

    state.AlertEnabled = false;
    state.TotalSeconds = 0;
    Ticks(5000);
    EXPECT_EQ(host.alerts, 3);
}

TEST_F(TickEngineTest, OverflowLeavesTheCountsAlone) {
    state.TotalSeconds = 2147483646;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.total, "24855:03:14:07");
    clock.ms += 1000;
    try {
        engine.Timer1_Timer();
        FAIL() << "no overflow";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), kErrOverflow);
    }
    EXPECT_EQ(state.TotalSeconds, 2147483647);
    EXPECT_EQ(state.SessionSeconds, 1);
}

TEST_F(TickEngineTest, SavesTheChangingTotalOnceAMinute) {
    Ticks(600);  // offline and idle: no write
    EXPECT_TRUE(host.saved.empty());
    Online(true);
    Ticks(600, 925);
    ASSERT_EQ(host.saved.size(), 10u);  // 555 s online: the first change, then once a minute
    for (const auto& r : host.saved) EXPECT_LE(state.TotalSeconds - r.Total, 555);
    EXPECT_GE(host.saved.back().Total, state.TotalSeconds - 60);
    Online(false);
    Ticks(600);
    EXPECT_EQ(host.saved.size(), 11u);  // the last change, then nothing
    EXPECT_EQ(host.saved.back().Total, state.TotalSeconds);
}

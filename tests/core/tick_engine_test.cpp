#include "core/tick_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "core/app_error.h"

namespace {

constexpr LocalDay kMonday{{2026, 12, 7}, 2};
constexpr LocalDay kSunday{{2026, 12, 6}, 1};
constexpr LocalDay kFirstTuesday{{2026, 12, 1}, 3};

// Local time runs with the monotonic clock from midnight of `today`, an hour east of UTC.
struct FakeClock : Clock {
    int64_t ms = 1'000'000;
    LocalDay today = kMonday;
    int64_t MonotonicMs() override { return ms; }
    LocalDay Today() override { return today; }
    LocalTime Now() override {
        const auto s = static_cast<int>(ms / 1000 % 86400);
        return {today.date, s / 3600, s / 60 % 60, s % 60, 60};
    }
};

// Answers the probe from a script (one answer a call, the last repeated) and records the rest.
struct FakeHost : TickHost {
    std::deque<bool> answers{false};
    std::string session, total;
    int alerts = 0;
    std::vector<LogRecord> saved;
    std::vector<SessionRecord> checkpoints, sessions;
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
    void CheckpointSession(const SessionRecord& s) override { checkpoints.push_back(s); }
    void RecordSession(const SessionRecord& s) override { sessions.push_back(s); }
};

class TickEngineTest : public ::testing::Test {
  protected:
    void Online(bool up) { host.answers = {up}; }
    // n ticks, stepMs apart.
    void Ticks(int n, int64_t stepMs = 1000) {
        for (int i = 0; i < n; ++i) {
            clock.ms += stepMs;
            engine.OnTick();
        }
    }

    AppState state;
    FakeClock clock;
    FakeHost host;
    TickEngine engine{state, clock, host};
};

}  // namespace

TEST_F(TickEngineTest, OnlineAndOfflineTicksWriteTheLabels) {
    state.sessionSeconds = 59;
    state.totalSeconds = 86399;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.session, "00:00:01:00");
    EXPECT_EQ(host.total, "01:00:00:00");

    Ticks(60);
    Online(false);
    Ticks(1);  // the connection went down halfway through the last second, on average
    EXPECT_EQ(state.sessionSeconds, 0);
    EXPECT_EQ(state.totalSeconds, 86460);
    EXPECT_EQ(host.session, "00:00:00:00");

    state.totalSeconds = 3661;  // offline at start-up
    TickEngine restarted(state, clock, host);
    clock.ms += 1000;
    restarted.OnTick();
    EXPECT_EQ(host.session, "00:00:00:00");
    EXPECT_EQ(host.total, "00:01:01:01");
    EXPECT_EQ(state.totalSeconds, 3661);
}

TEST_F(TickEngineTest, ProbeChangingBetweenItsTwoCalls) {
    state.sessionSeconds = 120;
    host.answers = {true, false};  // went down within the tick: counted, then the session ends
    Ticks(1);
    EXPECT_EQ(state.totalSeconds, 1);
    EXPECT_EQ(state.sessionSeconds, 0);
    EXPECT_EQ(host.session, "00:00:00:00");

    host.session = host.total = "untouched";
    state.sessionSeconds = 7;
    host.answers = {false, true};  // came up within the tick: nothing counted, no label written
    Ticks(1);
    EXPECT_EQ(state.totalSeconds, 1);
    EXPECT_EQ(state.sessionSeconds, 7);
    EXPECT_EQ(host.session, "untouched");
}

TEST_F(TickEngineTest, CountsTheTimeThatPassed) {
    Online(true);
    Ticks(1000, 925);  // 925 s of ticks are 925 s, not 1000
    EXPECT_EQ(state.totalSeconds, 925);
    Ticks(3, 1500);  // irregular steps carry their fractions
    Ticks(1, 100);
    Ticks(1, 400);
    EXPECT_EQ(state.totalSeconds, 925 + 5);
    Ticks(1, 3'600'000);  // a suspended or stalled hour counts only up to the gap limit
    EXPECT_EQ(state.totalSeconds, 930 + kMaxCountedGapMs / 1000);
    clock.ms += 3000;  // asleep, on a clock that went on
    engine.Resume();
    Ticks(1, 500);
    EXPECT_EQ(state.totalSeconds, 935);
    EXPECT_EQ(state.sessionSeconds, state.totalSeconds);
    Ticks(1, -5000);  // a clock that runs back counts nothing
    EXPECT_EQ(state.totalSeconds, 935);
    Ticks(1, 500);  // with the fraction carried from before the sleep
    EXPECT_EQ(state.totalSeconds, 936);

    // A session between ticks: half of each boundary interval; the fraction left is carried.
    Online(false);
    Ticks(1, 925);
    EXPECT_EQ(state.totalSeconds, 936);
    Online(true);
    Ticks(10, 925);  // 462 + 9 x 925 ms
    Online(false);
    Ticks(1, 925);  // + 462 ms: 9.249 s
    EXPECT_EQ(state.totalSeconds, 936 + 9);
    Online(true);
    Ticks(2, 1000);  // 0.5 + 1 s, then 0.5 s when it ends: 2 s
    Online(false);
    Ticks(1, 1000);
    EXPECT_EQ(state.totalSeconds, 936 + 11);
}

TEST(ScheduledClearing, DueOnceAfterEachDueDayNeverBackwards) {
    const Options monthly{true, false}, weekly{false, true}, both{true, true}, none{};
    const CalendarDate nov30{2026, 11, 30}, dec1{2026, 12, 1}, dec5{2026, 12, 5};
    const struct {
        Options options;
        LocalDay today;
        std::optional<CalendarDate> last;
        bool due;
    } cases[] = {
        {weekly, kSunday, {}, true},  // no date recorded: only on the day itself
        {weekly, kMonday, {}, false},
        {monthly, kFirstTuesday, {}, true},
        {monthly, kSunday, {}, false},
        {none, kSunday, {}, false},
        {both, {{2027, 8, 1}, 1}, {}, true},
        {weekly, kSunday, kSunday.date, false},  // a restart on the day it cleared
        {weekly, kSunday, dec5, true},
        {weekly, kMonday, dec5, true},  // a Sunday missed while off
        {weekly, kMonday, kSunday.date, false},
        {monthly, kMonday, dec1, false},
        {monthly, kMonday, nov30, true},  // the 1st missed
        {monthly, kFirstTuesday, nov30, true},
        {weekly, kFirstTuesday, nov30, false},
        {weekly, kSunday, kMonday.date, false},  // the clock set back onto a Sunday
        {monthly, kFirstTuesday, CalendarDate{2027, 1, 1}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScheduledClearingDue(c.options, c.today, c.last), c.due)
            << c.today.date.month << "-" << c.today.date.day << " weekday " << c.today.weekday;
}

TEST_F(TickEngineTest, ScheduledClearingSavesAtOnceAndSwitchingOnWaitsForTheDay) {
    state.options.clearEverySunday = true;
    state.totalSeconds = 5000;
    clock.today = kSunday;
    Online(true);
    Ticks(10);
    EXPECT_EQ(state.totalSeconds, 10);  // counting goes on for the rest of the day
    EXPECT_EQ(state.sessionSeconds, 10);
    ASSERT_EQ(host.saved.size(), 1u);
    EXPECT_EQ(host.saved[0], (LogRecord{0, kSunday.date}));

    // Switched on on a weekday with an old clearing recorded: no clearing until the next 1st.
    state.options = {};
    clock.today = {{2026, 12, 16}, 4};
    Ticks(1);
    state.options.clearOnFirstOfMonth = true;
    Ticks(1);
    EXPECT_EQ(state.totalSeconds, 12);
    EXPECT_EQ(state.lastScheduledClear, (CalendarDate{2026, 12, 15}));
    clock.today = {{2027, 1, 1}, 6};
    Ticks(1);
    EXPECT_EQ(state.totalSeconds, 1);
    // Switched off and on again on the due day itself: that day's clearing is not lost.
    state.options = {};
    state.lastScheduledClear = CalendarDate{2026, 12, 1};
    Ticks(1);
    state.options.clearOnFirstOfMonth = true;
    Ticks(1);
    EXPECT_EQ(state.totalSeconds, 1);
    EXPECT_EQ(state.lastScheduledClear, clock.today.date);
}

TEST_F(TickEngineTest, AlertWhenTheTotalReachesTheLimit) {
    state.options.alertEnabled = true;
    state.alertLimitSeconds = 3600;
    state.totalSeconds = 3599;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.alerts, 1);
    Ticks(1);
    Online(false);
    Ticks(5);
    EXPECT_EQ(host.alerts, 1);  // not again while offline at or past the limit

    state.totalSeconds = 3000;  // adjusted below the limit, then up past it by a jump
    Ticks(1);
    state.totalSeconds = 5000;
    Ticks(1);
    EXPECT_EQ(host.alerts, 2);

    state.totalSeconds = 3598;  // counting by a step of more than one second
    Ticks(1);
    Online(true);
    Ticks(1, 5000);
    EXPECT_EQ(host.alerts, 3);

    state.options.alertEnabled = false;
    state.totalSeconds = 0;
    Ticks(5000);
    EXPECT_EQ(host.alerts, 3);
}

TEST_F(TickEngineTest, OverflowLeavesTheCountsAlone) {
    state.totalSeconds = 2147483646;
    Online(true);
    Ticks(1);
    EXPECT_EQ(host.total, "24855:03:14:07");
    clock.ms += 1000;
    try {
        engine.OnTick();
        FAIL() << "no overflow";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), kErrOverflow);
    }
    EXPECT_EQ(state.totalSeconds, 2147483647);
    EXPECT_EQ(state.sessionSeconds, 1);
}

TEST_F(TickEngineTest, SavesTheChangingTotalOnceAMinute) {
    Ticks(600);  // offline and idle: no write
    EXPECT_TRUE(host.saved.empty());
    Online(true);
    Ticks(600, 925);
    ASSERT_EQ(host.saved.size(), 10u);  // 555 s online: the first change, then once a minute
    for (const auto& r : host.saved) EXPECT_LE(state.totalSeconds - r.total, 555);
    EXPECT_GE(host.saved.back().total, state.totalSeconds - 60);
    Online(false);
    Ticks(600);
    EXPECT_EQ(host.saved.size(), 11u);  // the last change, then nothing
    EXPECT_EQ(host.saved.back().total, state.totalSeconds);
}

TEST_F(TickEngineTest, EachSessionIsRecordedWithItsCountAndCheckpointedOnceAMinute) {
    Online(true);
    Ticks(150, 925);  // 138.75 s: checkpoints after 60 s and 120 s, with the count then
    ASSERT_EQ(host.checkpoints.size(), 2u);
    EXPECT_EQ(host.checkpoints[0].start, (LocalTime{kMonday.date, 0, 16, 40, 60}));
    EXPECT_EQ(host.checkpoints[1].seconds, 121);
    state.sessionSeconds = 0;  // "Clear Log" and scheduled clearing do not touch the history
    state.totalSeconds = 0;
    Online(false);
    Ticks(1, 925);  // with half the last interval and the fraction carried, as the total
    ASSERT_EQ(host.sessions.size(), 1u);
    EXPECT_EQ(host.sessions[0].seconds, 139);
    EXPECT_EQ(host.sessions[0].end, (LocalTime{kMonday.date, 0, 18, 59, 60}));
    Ticks(100);
    EXPECT_EQ(host.checkpoints.size(), 2u);  // offline: nothing to checkpoint

    Online(true);  // a second session, ended by shut-down
    Ticks(3, 1000);
    engine.CheckpointSession();  // before sleep
    EXPECT_EQ(host.checkpoints.back().seconds, 2);
    engine.FinishSession();
    engine.FinishSession();
    ASSERT_EQ(host.sessions.size(), 2u);
    EXPECT_EQ(host.sessions[1].seconds, 2);
    EXPECT_EQ(engine.CurrentSession(), std::nullopt);
}

#include "core/tick_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "core/app_error.h"

namespace {

constexpr LocalDay kMonday{{2026, 12, 7}, 2}, kSunday{{2026, 12, 6}, 1};
constexpr LocalDay kFirstTuesday{{2026, 12, 1}, 3}, kWednesday{{2026, 12, 9}, 4};

// The engine's clock and host: local time runs from midnight of `today` with the monotonic
// clock, an hour east of UTC; the probe answers from a script, the last answer repeated.
class TickEngineTest : public ::testing::Test, public Clock, public TickHost {
  protected:
    int64_t MonotonicMs() override { return ms; }
    LocalDay Today() override { return today; }
    LocalTime Now() override {
        const auto s = static_cast<int>(ms / 1000 % 86400);
        return {today.date, s / 3600, s / 60 % 60, s % 60, 60};
    }
    bool IsDialUpConnected() override {
        const bool up = answers.front();
        if (answers.size() > 1) answers.pop_front();
        return up;
    }
    void ShowCounts(std::string_view s, std::string_view t) override {
        shown = std::string(s) + " " + std::string(t) + " " + std::to_string(state.sessionSeconds);
    }
    void ShowAlert() override { ++alerts; }
    bool SaveLog(const LogRecord& r) override { return saved.push_back(r), true; }
    void CheckpointSession(const SessionRecord& s) override { checkpoints.push_back(s); }
    void RecordSession(const SessionRecord& s) override { sessions.push_back(s); }
    // n ticks stepMs apart with the probe answering `up`, or the answers given.
    void Ticks(std::deque<bool> up, int n = 1, int64_t stepMs = 1000) {
        answers = std::move(up);
        for (int i = 0; i < n; ++i) ms += stepMs, engine->OnTick();
    }

    int64_t ms = 1'000'000;
    LocalDay today = kMonday;
    std::deque<bool> answers{false};
    std::string shown;
    int alerts = 0;
    std::vector<LogRecord> saved;
    std::vector<SessionRecord> checkpoints, sessions;
    AppState state;
    // Made anew as at a start, with the state as loaded.
    std::optional<TickEngine> engine{std::in_place, state, *this, *this};
};

}  // namespace

// The labels show the session and the total; down within a tick, the session is counted then
// ends; up within a tick, nothing is counted and no label written.
TEST_F(TickEngineTest, LabelsShowTheCountsOnlineAndOffline) {
    state.totalSeconds = 86399;
    const std::tuple<std::deque<bool>, int32_t, const char*> steps[] = {
        {{true}, 59, "00:00:01:00 01:00:00:00 60"},
        {{false}, 60, "00:00:00:00 01:00:00:00 0"},
        {{true, false}, 120, "00:00:00:00 01:00:00:01 0"},
        {{false, true}, 7, "untouched 7"}};
    for (const auto& [probe, session, expected] : steps) {
        shown = "untouched";
        state.sessionSeconds = session;
        Ticks(probe);
        const std::string untouched = shown + " " + std::to_string(state.sessionSeconds);
        EXPECT_EQ(shown == "untouched" ? untouched : shown, expected);
    }
}

TEST_F(TickEngineTest, CountsTheTimeThatPassedWithHalfIntervalsAtTheEdges) {
    Ticks({true}, 1, 999);  // down within a tick with 999 ms carried: no second made up
    Ticks({true, false}, 1, 0);
    EXPECT_EQ(state.totalSeconds, 0);
    const struct {
        bool up;
        int ticks;
        int64_t stepMs;
        int32_t total;  // after these ticks
    } steps[] = {
        // clang-format off
        {true, 2, 1, 1},  // up again: the carry makes a second
        {true, 1000, 925, 926},  // 925 s of ticks are 925 s, not 1000
        {true, 3, 1500, 930}, {true, 1, 100, 930}, {true, 1, 400, 931},  // fractions carried
        {true, 1, 3'600'000, 936},  // a stalled hour counts up to the gap limit
        {true, 1, -5000, 936}, {true, 1000, 0, 936},  // a clock that stands or runs back
        {false, 1, 4000, 938}, {true, 1, 4000, 940},  // down, up: half the interval each
        {false, 1, 1000, 940}, {true, 1, 1000, 941}};  // clang-format on
    for (const auto& step : steps) {
        Ticks({step.up}, step.ticks, step.stepMs);
        EXPECT_EQ(state.totalSeconds, step.total) << step.ticks << " x " << step.stepMs;
    }
    ms += 3000;  // asleep, on a clock that went on
    engine->Resume();
    Ticks({true}, 1, 0);
    EXPECT_EQ(state.totalSeconds, 941);
}

TEST(ScheduledClearing, DueOnceAfterEachDueDayNeverBackwards) {
    const Options monthly{true, false}, weekly{false, true}, both{true, true}, none{};
    const CalendarDate nov30{2026, 11, 30}, dec1{2026, 12, 1}, dec2{2026, 12, 2}, dec5{2026, 12, 5};
    const struct {
        Options options;
        LocalDay today;
        std::optional<CalendarDate> last;
        bool due;
    } cases[] = {// clang-format off
        {weekly, kSunday, {}, true}, {weekly, kMonday, {}, false},  // none recorded: on the day
        {monthly, kFirstTuesday, {}, true}, {monthly, kSunday, {}, false}, {none, kSunday, {}, false},
        {none, kSunday, dec5, false}, {both, {{2027, 8, 1}, 1}, {}, true},
        {weekly, kSunday, kSunday.date, false},  // a restart on the day it cleared
        {weekly, kSunday, dec5, true}, {weekly, kMonday, dec5, true},  // a Sunday missed
        {weekly, kMonday, kSunday.date, false}, {monthly, kMonday, dec1, false},
        {monthly, kMonday, nov30, true}, {weekly, kFirstTuesday, nov30, false},
        {both, kWednesday, dec2, true}, {both, kFirstTuesday, nov30, true},
        {both, kWednesday, kSunday.date, false},
        {weekly, kSunday, kMonday.date, false},  // the clock set back onto a Sunday
        {monthly, kFirstTuesday, CalendarDate{2027, 1, 1}, false}};  // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ScheduledClearingDue(c.options, c.today, c.last), c.due)
            << c.today.date.month << "-" << c.today.date.day << " weekday " << c.today.weekday;
}

TEST_F(TickEngineTest, ScheduledClearingSavesAtOnceAndSwitchingOnWaitsForTheDay) {
    state = {{false, true}, 0, 77, 5000, {}};
    today = kSunday;
    Ticks({true}, 10);
    EXPECT_EQ(state.totalSeconds + state.sessionSeconds, 20);  // counting goes on after it
    ASSERT_EQ(saved, (std::vector{LogRecord{0, kSunday.date}}));
    state.options = {};  // switched off, then on again on a Wednesday: no clearing until Sunday
    today = kWednesday;
    state.lastScheduledClear = CalendarDate{2026, 12, 1};
    Ticks({true});
    state.options = {true, true};
    Ticks({true});
    state.options.clearOnFirstOfMonth = false;  // switching off records nothing
    Ticks({true});
    EXPECT_EQ(state.totalSeconds, 13);
    EXPECT_EQ(state.lastScheduledClear, (CalendarDate{2026, 12, 8}));
    today = {{2026, 12, 13}, 1};
    Ticks({true});
    EXPECT_EQ(state.totalSeconds, 1);
    state.options = {};  // switched off and on again on the due day: its clearing is not lost
    today = {{2027, 1, 3}, 1};
    Ticks({true});
    state.options.clearEverySunday = true;
    Ticks({true});
    EXPECT_EQ(state.totalSeconds, 1);
    state = {{false, true}, 0, 0, 50, CalendarDate{2026, 11, 29}};  // on at start, Sunday missed
    engine.emplace(state, *this, *this);
    today = kWednesday;
    Ticks({false});
    EXPECT_EQ(state.totalSeconds, 0);
    state = {{}, 0, 0, 50, {}};  // switched on with none recorded: only the day itself clears
    engine.emplace(state, *this, *this);
    Ticks({false});
    state.options.clearEverySunday = true;
    Ticks({false});
    today = {{2026, 12, 14}, 2};
    Ticks({false});
    EXPECT_EQ(state.totalSeconds, 50);
}

TEST_F(TickEngineTest, AlertOnceWhenTheTotalReachesTheLimit) {
    state.options.alertEnabled = true;
    state.alertLimitSeconds = 3600;
    const struct {
        int32_t totalBefore;  // -1: as it stands
        bool up;
        int64_t stepMs;
        int alerts;
    } steps[] = {{3599, true, 1000, 1},  {-1, true, 1000, 1},    {-1, false, 1000, 1},  // once
                 {3000, false, 1000, 1}, {5000, false, 1000, 2},  // adjusted below, then past
                 {3598, false, 1000, 2}, {-1, true, 5000, 3}};    // past it in a long step
    for (const auto& step : steps) {
        if (step.totalBefore >= 0) state.totalSeconds = step.totalBefore;
        Ticks({step.up}, 1, step.stepMs);
        EXPECT_EQ(alerts, step.alerts) << step.totalBefore;
    }
    state.options.alertEnabled = false;
    state.totalSeconds = 0;
    Ticks({true}, 5000);
    EXPECT_EQ(alerts, 3);
}

TEST_F(TickEngineTest, OverflowLeavesTheCountsAlone) {
    for (int32_t* count : {&state.totalSeconds, &state.sessionSeconds}) {
        *count = INT32_MAX - 1;
        Ticks({true});
        EXPECT_EQ(*count, INT32_MAX);
        try {
            Ticks({true});
            ADD_FAILURE() << "no overflow";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), kErrOverflow);
        }
        EXPECT_EQ(*count, INT32_MAX);
        state = {};
    }
    state.totalSeconds = INT32_MAX - 1;  // the last second of a session still fits
    Ticks({true}, 1, 500);
    Ticks({false}, 1, 1000);
    EXPECT_EQ(state.totalSeconds, INT32_MAX);
}

TEST_F(TickEngineTest, SavesTheChangingTotalOnceAMinute) {
    Ticks({false}, 600);  // offline and idle: no write
    Ticks({true}, 122);   // the first change at once, then every 60 s
    EXPECT_EQ(saved.size(), 3u);
    Ticks({true}, 479, 925);
    EXPECT_GE(saved.back().total, state.totalSeconds - 60);
    Ticks({false}, 600);
    EXPECT_EQ(saved.back().total, state.totalSeconds);  // the last change, then nothing
    const size_t saves = saved.size();
    state.totalSeconds = 5;  // saved by another part of the program: not saved again
    engine->NoteLogSaved(LogRecordOf(state));
    Ticks({false}, 600);
    EXPECT_EQ(saved.size(), saves);
}

TEST_F(TickEngineTest, EachSessionIsRecordedWithItsCountAndCheckpointedOnceAMinute) {
    engine->CheckpointSession();  // offline: nothing to checkpoint
    Ticks({true}, 150, 925);      // 138.75 s: checkpoints after 60 s and 120 s, with the count then
    ASSERT_EQ(checkpoints.size(), 2u);
    EXPECT_EQ(checkpoints[0].start, (LocalTime{kMonday.date, 0, 16, 40, 60}));
    EXPECT_EQ(checkpoints[0].end, (LocalTime{kMonday.date, 0, 17, 41, 60}));
    EXPECT_EQ(checkpoints[1].seconds, 121);
    state = {};              // "Clear Log" and scheduled clearing do not touch the history
    Ticks({false}, 1, 925);  // with half the last interval and the carry, as the total counts
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0],
              (SessionRecord{{kMonday.date, 0, 16, 40, 60}, {kMonday.date, 0, 18, 59, 60}, 139}));
    Ticks({false}, 100);
    EXPECT_EQ(checkpoints.size(), 2u);  // offline: nothing to checkpoint
    Ticks({true}, 61);  // a second session: a checkpoint 60 s after its start, one before sleep
    EXPECT_EQ(checkpoints.size(), 3u);
    engine->CheckpointSession();
    engine->FinishSession();
    engine->FinishSession();
    EXPECT_TRUE(checkpoints.back().seconds == 60 && sessions.size() == 2 &&
                sessions[1].seconds == 60);
    EXPECT_EQ(engine->CurrentSession(), std::nullopt);
}

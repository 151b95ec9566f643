#include "core/tick_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "core/app_error.h"

namespace {

constexpr LocalDay kMonday{{2026, 12, 7}, 2};
constexpr LocalDay kWednesday{{2026, 12, 9}, 4};

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

// And the labels show the session and the total; offline the session is 0.
TEST_F(TickEngineTest, CountsTheTimeThatPassedWithHalfIntervalsAtTheEdges) {
    Ticks({true}, 1, 999);  // down within a tick with 999 ms carried: no second made up
    Ticks({true, false}, 1, 0);
    EXPECT_EQ(state.totalSeconds, 0);
    // Up or down, ticks, milliseconds between them; the total and the labels after them.
    const std::tuple<bool, int, int64_t, int32_t, std::string> steps[] = {
        // clang-format off
        {true, 2, 1, 1, "00:00:00:01 00:00:00:01 1"},  // up again: the carry makes a second
        {true, 1000, 925, 926, ""},  // 925 s of ticks are 925 s, not 1000
        {true, 3, 1500, 930, "00:00:15:30 00:00:15:30 930"}, {true, 1, 100, 930, ""},
        {true, 1, 400, 931, ""},  // fractions carried
        {true, 1, 3'600'000, 936, ""},  // a stalled hour counts up to the gap limit
        {true, 1, -5000, 936, ""}, {true, 1000, 0, 936, ""},  // a clock that stands or runs back
        {false, 1, 4000, 938, "00:00:00:00 00:00:15:38 0"},  // down, up: half the interval each
        {true, 1, 4000, 940, "00:00:00:02 00:00:15:40 2"},
        {false, 1, 1000, 940, ""}, {true, 1, 1000, 941, ""}};  // clang-format on
    for (const auto& [up, ticks, stepMs, total, labels] : steps) {
        Ticks({up}, ticks, stepMs);
        EXPECT_TRUE(state.totalSeconds == total && (labels.empty() || shown == labels))
            << ticks << " x " << stepMs << ": " << shown;
    }
    shown = "untouched", Ticks({false, true});  // up within a tick: nothing counted or shown
    EXPECT_EQ(shown + std::to_string(state.totalSeconds), "untouched941");
    ms += 3000;  // asleep, on a clock that went on
    engine->Resume();
    Ticks({true}, 1, 0);
    EXPECT_EQ(state.totalSeconds, 941);
}

// Online a second a tick, from a Wednesday after a Sunday missed while the options were off: a
// due day (a Sunday, a 1st) clears once, at the first tick after it; switching an option on waits
// for the next one; a clock set back never clears.
TEST_F(TickEngineTest, ScheduledClearingSavesAtOnceAndSwitchingOnWaitsForTheDay) {
    state = {{}, 0, 77, 5000, CalendarDate{2026, 11, 29}};
    const Options off{}, monthly{true, false}, weekly{false, true}, both{true, true};
    const LocalDay sunday{{2026, 12, 13}, 1}, newYear{{2027, 1, 1}, 6}, feb1{{2027, 2, 1}, 2};
    // The options and the day of a tick; the total, the session, the last clearing and the saves.
    const std::tuple<Options, LocalDay, int32_t, int32_t, CalendarDate, size_t> steps[] = {
        // clang-format off
        {weekly, kWednesday, 5001, 78, {2026, 12, 8}, 0},  // switched on: waits for the next Sunday
        {both, kWednesday, 5002, 79, {2026, 12, 8}, 0},
        {weekly, sunday, 1, 1, sunday.date, 1},  // cleared and saved at once, then counted
        {weekly, sunday, 2, 2, sunday.date, 1}, {both, {{2026, 12, 16}, 4}, 3, 3, {2026, 12, 15}, 1},
        {both, newYear, 1, 1, newYear.date, 2}, {monthly, {{2027, 1, 2}, 7}, 2, 2, newYear.date, 2},
        {both, feb1, 1, 1, feb1.date, 3},  // switched on on a due day
        {both, {{2027, 2, 10}, 4}, 1, 1, {2027, 2, 10}, 4}, {off, {{2027, 2, 14}, 1}, 2, 2, {2027, 2, 10}, 4},
        {weekly, {{2026, 12, 27}, 1}, 3, 3, {2027, 2, 10}, 4}};  // the clock set back
    // clang-format on
    for (const auto& [options, day, total, session, last, saves] : steps) {
        state.options = options, today = day;
        Ticks({true});
        EXPECT_TRUE(state.totalSeconds == total && state.sessionSeconds == session &&
                    state.lastScheduledClear == last && saved.size() == saves)
            << day.date.month << "-" << day.date.day;
    }
    EXPECT_EQ(saved[0], (LogRecord{0, sunday.date}));
    // Restarts with the state as loaded: on at start with a Sunday missed, or none recorded.
    state = {weekly, 0, 0, 50, CalendarDate{2026, 12, 5}}, today = kWednesday;
    engine.emplace(state, *this, *this), Ticks({false});
    EXPECT_EQ(state.totalSeconds, 0);
    state = {monthly, 0, 0, 50, {}}, today = newYear;
    engine.emplace(state, *this, *this), Ticks({false});
    EXPECT_EQ(state.totalSeconds, 0);
    state = {off, 0, 0, 50, {}}, today = kWednesday;  // switched on: only the day itself clears
    engine.emplace(state, *this, *this), Ticks({false});
    state.options.clearEverySunday = true;
    Ticks({false});
    today = kMonday;
    Ticks({false});
    EXPECT_EQ(state.totalSeconds, 50);
}

TEST_F(TickEngineTest, AlertOnceWhenTheTotalReachesTheLimit) {
    state.options.alertEnabled = true;
    state.alertLimitSeconds = 3600;
    // The total set before the tick (-1: as it stands), up or down, its length, the alerts after.
    const std::tuple<int32_t, bool, int64_t, int> steps[] = {
        {3599, true, 1000, 1},  {-1, true, 1000, 1},    {-1, false, 1000, 1},  // once
        {3000, false, 1000, 1}, {5000, false, 1000, 2},  // adjusted below, then past
        {3598, false, 1000, 2}, {-1, true, 5000, 3}};    // past it in a long step
    for (const auto& [totalBefore, up, stepMs, expected] : steps) {
        if (totalBefore >= 0) state.totalSeconds = totalBefore;
        Ticks({up}, 1, stepMs);
        EXPECT_EQ(alerts, expected) << totalBefore;
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
        EXPECT_THROW(Ticks({true}), AppError);
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
    const size_t saves = saved.size();
    EXPECT_GE(saved.back().total, state.totalSeconds - 60);
    Ticks({false}, 600);  // the last change, then nothing
    EXPECT_TRUE(saved.size() == saves + 1 && saved.back().total == state.totalSeconds);
    state.totalSeconds = 5;  // saved by another part of the program: not saved again
    engine->NoteLogSaved(LogRecordOf(state));
    Ticks({false}, 600);
    EXPECT_EQ(saved.size(), saves + 1);
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

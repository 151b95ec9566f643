#include "core/tick_engine.h"

#include <gtest/gtest.h>

#include "core/app_error.h"
#include "core/connection.h"
#include "core/probe_worker.h"

#include <deque>
#include <mutex>
#include <vector>

void PrintTo(const SessionRecord& s, std::ostream* out) {  // a failure says which
    *out << FormatSessionLine(s);
}

namespace {

constexpr LocalDay kMonday{{2026, 12, 7}, 2}, kWednesday{{2026, 12, 9}, 4};

// Local time runs from midnight of `today`, an hour east of UTC; the probe answers from a script.
class TickEngineTest : public ::testing::Test, public Clock, public TickHost {
  protected:
    int64_t MonotonicMs() override { return ms; }
    LocalDay Today() override { return today; }
    LocalTime Now() override {
        const auto s = static_cast<int>(ms / 1000 % 86400);
        return {today.date, s / 3600, s / 60 % 60, s % 60, 60};
    }
    std::optional<std::string> CountedConnection() override {
        const bool up = answers.front();
        if (answers.size() > 1) answers.pop_front();
        return up ? std::optional(connection) : std::nullopt;
    }
    void ShowCounts(std::string_view s, std::string_view t) override {
        shown = std::string(s) + " " + std::string(t) + " " + std::to_string(state.sessionSeconds);
    }
    void ShowAlert() override { alerts.push_back(state.totalSeconds); }
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
    std::string connection = "Cellular", shown;
    std::vector<int32_t> alerts;  // the total at each
    std::vector<LogRecord> saved;
    std::vector<SessionRecord> checkpoints, sessions;
    AppState state;
    // Made anew as at a start, with the state as loaded.
    std::optional<TickEngine> engine{std::in_place, state, *this, *this};
};

}  // namespace

// Time online as it passed, half an interval where the link changed; the labels and one alert.
TEST_F(TickEngineTest, CountsTheTimeThatPassedShowsItAndAlertsAtTheLimit) {
    state.options.alertEnabled = true, state.alertLimitSeconds = 936;
    Ticks({true}, 1, 999), Ticks({true, false}, 1, 0);  // down within a tick: no second made up
    EXPECT_EQ(state.totalSeconds, 0);
    // Up or down, ticks, milliseconds between them; the total and the labels after them (if any).
    const std::tuple<bool, int, int64_t, int32_t, std::string> steps[] = {
        // clang-format off
        {true, 2, 1, 1, "00:00:00:01 00:00:00:01 1"},  // up again: the carry makes a second
        {true, 1000, 925, 926, ""}, {true, 3, 1500, 930, "00:00:15:30 00:00:15:30 930"},  // 925 s of ticks are 925 s, not 1000
        {true, 1, 100, 930, ""}, {true, 1, 400, 931, ""},  // fractions carried
        {true, 1, 3'600'000, 936, ""},  // a stalled hour counts up to the gap limit
        {true, 1, -5000, 936, ""}, {true, 1000, 0, 936, ""},  // a clock that stands or runs back
        {false, 1, 4000, 938, "00:00:00:00 00:00:15:38 0"},  // down, up: half the interval each
        {true, 1, 4000, 940, "00:00:00:02 00:00:15:40 2"}, {false, 1, 1000, 940, ""}, {true, 1, 1000, 941, ""}};  // clang-format on
    for (const auto& [up, ticks, stepMs, total, text] : steps) {
        Ticks({up}, ticks, stepMs);
        EXPECT_EQ(std::pair(state.totalSeconds, text.empty() ? "" : shown), std::pair(total, text))
            << ticks << " x " << stepMs;
    }
    shown = "untouched", Ticks({false, true});  // up within a tick: nothing counted or shown
    EXPECT_EQ(shown + std::to_string(state.totalSeconds), "untouched941");
    state.totalSeconds = 900, Ticks({true}, 40);  // adjusted below the limit, then past it
    state.options.alertEnabled = false, state.totalSeconds = 900, Ticks({true}, 40);
    EXPECT_EQ(alerts, (std::vector{936, 936}));
    // Anew: a changing total saved on each minute only; one saved already or elsewhere not again.
    state.totalSeconds = 0, engine.emplace(state, *this, *this), saved.clear();
    Ticks({true}, 120), Ticks({false}, 1, 0), Ticks({false}, 61);
    state.totalSeconds = 7, engine->NoteLogSaved(LogRecordOf(state)), Ticks({false}, 61);
    EXPECT_EQ(saved, (std::vector{LogRecord{60, {}}, LogRecord{120, {}}}));
    // The last second before the limit, at a tick and at a session's end; none past it.
    state.totalSeconds = state.sessionSeconds = INT32_MAX - 1, Ticks({true}, 1, 2000);
    const auto atTick = std::pair(state.totalSeconds, state.sessionSeconds);
    state.totalSeconds = INT32_MAX - 1, Ticks({false}, 1, 2000);
    EXPECT_EQ(std::pair(atTick, state.totalSeconds),
              std::pair(std::pair(INT32_MAX, INT32_MAX), INT32_MAX));
    const auto counts = std::pair(state.totalSeconds, state.sessionSeconds);
    EXPECT_THROW(Ticks({true}, 1, 3000), AppError);  // and the counts stay
    EXPECT_EQ(std::pair(state.totalSeconds, state.sessionSeconds), counts);
}

// A due day clears once, at its first tick; an option switched on waits; a clock set back never.
TEST_F(TickEngineTest, ScheduledClearingSavesAtOnceAndSwitchingOnWaitsForTheDay) {
    state = {{}, 0, 77, 5000, CalendarDate{2026, 11, 29}};
    const Options off{}, monthly{true, false}, weekly{false, true}, both{true, true};
    const LocalDay sunday{{2026, 12, 13}, 1}, newYear{{2027, 1, 1}, 6}, feb1{{2027, 2, 1}, 2};
    // The options and the day of a tick; the total, the session, the last clearing and the saves.
    const std::tuple<Options, LocalDay, int32_t, int32_t, CalendarDate, size_t> steps[] = {
        // clang-format off
        {weekly, kWednesday, 5001, 78, {2026, 12, 8}, 0}, {both, kWednesday, 5002, 79, {2026, 12, 8}, 0},  // switched on: waits
        {weekly, sunday, 1, 1, sunday.date, 1}, {weekly, sunday, 2, 2, sunday.date, 1},  // cleared and saved at once, then counted
        {both, {{2026, 12, 16}, 4}, 3, 3, {2026, 12, 15}, 1}, {both, newYear, 1, 1, newYear.date, 2},
        {monthly, {{2027, 1, 2}, 7}, 2, 2, newYear.date, 2}, {both, feb1, 1, 1, feb1.date, 3},  // switched on on a due day
        {both, {{2027, 2, 10}, 4}, 1, 1, {2027, 2, 10}, 4}, {off, {{2027, 2, 14}, 1}, 2, 2, {2027, 2, 10}, 4},
        {weekly, {{2026, 12, 27}, 1}, 3, 3, {2026, 12, 27}, 4}};  // the clock set back
    // clang-format on
    for (const auto& [options, day, total, session, last, saves] : steps) {
        state.options = options, today = day, Ticks({true});
        EXPECT_TRUE(state.totalSeconds == total && state.sessionSeconds == session &&
                    state.lastScheduledClear == last && saved.size() == saves)
            << day.date.month << "-" << day.date.day;
    }
    EXPECT_EQ(saved[0], (LogRecord{0, sunday.date}));
    // clang-format off
    // Restarts, then a later day: a Sunday missed; none recorded (the eve is settled); the day itself; switched on; a year ahead.
    const std::optional<CalendarDate> dec5 = CalendarDate{2026, 12, 5}, none, ahead = CalendarDate{2027, 12, 5};
    const LocalDay monday14{{2026, 12, 14}, 2}, jan2{{2027, 1, 2}, 7};
    for (const auto& [options, last, day, later, totals] : {std::tuple{weekly, dec5, kWednesday, monday14, "1 1"},
         {weekly, none, kMonday, monday14, "51 1"}, {monthly, none, newYear, jan2, "1 2"}, {off, none, kWednesday, monday14, "51 1"},
         {weekly, ahead, kWednesday, monday14, "51 1"}}) {  // clang-format on
        state = {options, 0, 0, 50, last}, today = day;
        engine.emplace(state, *this, *this), Ticks({true});
        const std::string first = std::to_string(state.totalSeconds);
        state.options.clearEverySunday |= options == off, Ticks({false}), today = later;
        Ticks({true});
        EXPECT_EQ(first + " " + std::to_string(state.totalSeconds), totals) << (options == off);
    }
}

TEST_F(TickEngineTest, EachSessionIsRecordedWithItsCountAndCheckpointedOnceAMinute) {
    const auto t = [](int h, int m, int s) { return LocalTime{kMonday.date, h, m, s, 60}; };
    Ticks({true}, 150, 925);  // 138.75 s: checkpoints after 60 s and 120 s, with the count then
    ASSERT_EQ(checkpoints.size(), 2u);
    EXPECT_EQ(std::tuple(checkpoints[0].start, checkpoints[0].end, checkpoints[1].seconds),
              std::tuple(t(0, 16, 40), t(0, 17, 41), 121));
    state = {};              // "Clear Log" and scheduled clearing do not touch the history
    Ticks({false}, 1, 925);  // with half the last interval and the carry, as the total counts
    EXPECT_EQ(sessions, (std::vector{SessionRecord{t(0, 16, 40), t(0, 18, 59), 139, "Cellular"}}));
    Ticks({false}, 100), Ticks({true}, 61);  // none offline, one 60 s into the next session
    EXPECT_EQ(checkpoints.size(), 3u);
    // Asleep (or not after all), still up: a new session; asleep unsaid, then down: the last tick.
    ms += 1000, engine->Suspend(), Ticks({true}, 2);  // a sleep that did not come
    ms += 3'600'000, engine->Resume(), Ticks({true}, 5);
    int32_t total = state.totalSeconds;  // the sleep's end is no connection's end
    ms += 3'600'000, engine->Resume(), Ticks({false}, 1, 4000), engine->FinishSession();
    EXPECT_EQ(state.totalSeconds, total);
    EXPECT_EQ(sessions,
              (std::vector{sessions[0], SessionRecord{t(0, 20, 40), t(0, 21, 41), 60, "Cellular"},
                           SessionRecord{t(0, 21, 42), t(0, 21, 43), 3, "Cellular"},
                           SessionRecord{t(1, 21, 44), t(1, 21, 48), 5, "Cellular"}}));
    sessions.clear();  // another connection counted: a session of its own from that tick
    Ticks({true}, 3), connection = "Home", Ticks({true}, 2), engine->FinishSession();
    EXPECT_EQ(sessions, (std::vector{SessionRecord{t(2, 21, 53), t(2, 21, 56), 3, "Cellular"},
                                     SessionRecord{t(2, 21, 56), t(2, 21, 57), 2, "Home"}}));
    total = state.totalSeconds, engine->Suspend(), Ticks({false}, 1, 4000);  // said, then no link
    EXPECT_EQ(state.totalSeconds, total);
}

// A hanging probe holds the asker up for its patience once, then never; last answers stand.
TEST(ProbeWorker, WaitsForAnAnswerOnlyAsLongAsItsPatience) {
    static std::mutex gate;  // held, the probe hangs; it outlives a thread left hanging
    using std::chrono::steady_clock;
    const auto limit = std::chrono::milliseconds(300);
    const ProbeQuestion one{}, all{{}, true}, metered{{CountedKind::kMetered, {}, ""}, false};
    std::string got;
    steady_clock::duration fresh{}, waited{};
    {
        ProbeWorker worker(
            [n = 0](const ProbeQuestion& q) mutable {
                const std::lock_guard hang(gate);
                return Sighting{{}, q.everything, {{ConnectionSource::kRas, std::to_string(++n)}}};
            },
            limit);
        const auto ask = [&](const ProbeQuestion& q) {
            const Sighting s = worker.Ask(q);
            got += s.connections.empty() ? "-" : s.connections[0].name + (*s.internet ? "*" : "");
        };
        auto start = steady_clock::now();
        ask(one), ask(one), ask(all), ProbeWorker([](auto&) { return Sighting{}; }, limit).Ask({});
        fresh = steady_clock::now() - start, gate.lock(), start = steady_clock::now();
        ask(one), ask(all), ask(metered), waited = steady_clock::now() - start;
    }
    gate.unlock();
    EXPECT_EQ(got, "123*23*-");
    EXPECT_LT(fresh, limit) << "answered, and one not asked ended";
    EXPECT_GE(waited, limit);
    EXPECT_LT(waited, limit * 11 / 6) << "and as long again to end it";
}

// Each choice counts its own connections, under the name of the first one up.
TEST(CountedConnection, EachChoiceByItsOwnConnectionsAndTheMenuListsThemOnce) {
    using K = CountedKind;
    const auto ras = ConnectionSource::kRas, adapter = ConnectionSource::kAdapter;
    const SeenConnection dialing{ras, "Dialing"}, vpn{ras, "VPN", true},
        unnamed{ras, "", true, true}, cell{adapter, "Cell", true, true},
        wifi{adapter, "Wi-Fi", true}, down{adapter, "Cell", false, true};
    const CountChoice dialUp{K::kDialUp, ras, ""}, metered{K::kMetered, ras, ""},
        internet{K::kInternet, ras, ""}, onlyCell{K::kChosen, adapter, "Cell"};
    // clang-format off
    const std::tuple<CountChoice, Sighting, std::optional<std::string>> cases[] = {
        {dialUp, {true, {}, {}}, "dial-up"}, {dialUp, {false, {}, {vpn}}, {}}, {dialUp, {{}, {}, {dialing, vpn}}, "VPN"},
        {dialUp, {{}, {}, {dialing}}, {}}, {dialUp, {{}, {}, {unnamed}}, "dial-up"}, {metered, {{}, {}, {wifi, cell}}, "Cell"},
        {metered, {{}, {}, {down, wifi}}, {}}, {metered, {{}, {}, {unnamed}}, "metered"}, {internet, {{}, true, {}}, "internet"},
        {internet, {{}, false, {wifi}}, {}}, {internet, {{}, {}, {down, wifi}}, "Wi-Fi"}, {internet, {{}, {}, {}}, {}},
        {onlyCell, {{}, {}, {{ras, "Cell", true}, wifi}}, {}}, {onlyCell, {{}, {}, {wifi, cell}}, "Cell"}, {onlyCell, {{}, {}, {down}}, {}}};
    // clang-format on
    for (const auto& [choice, seen, counted] : cases)
        EXPECT_EQ(CountedConnection(choice, seen), counted) << static_cast<int>(choice.kind);
    std::string menu;
    std::vector<std::string> up;  // adapters seen up: later offered while down, one never up not
    // clang-format off
    for (const auto& [chosen, listed] : {std::pair{onlyCell, std::vector<SeenConnection>{{ras, "A & B"}, wifi, cell, unnamed, {adapter, "Never up"}}},
         {CountChoice{K::kChosen, adapter, "Gone"}, {{ConnectionSource::kNetwork, "Cell"}, down, {adapter, "Never up"}}}})
        for (const CountMenuItem& item : CountMenu(chosen, listed, up)) menu += item.text + (item.checked ? "*|" : "|");
    // clang-format on
    EXPECT_EQ(
        menu,
        "&Dial-up and VPN connections|&Metered connections|Any &internet connection|Only A && "
        "B (dial-up)|Only Wi-Fi|Only Cell*|&Dial-up and VPN connections|&Metered connections|"
        "Any &internet connection|Only Cell (network)|Only Cell|Only Gone (not present)*|");
}

#include "core/tick_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "core/app_error.h"
#include "core/connection.h"
#include "core/probe_worker.h"
#include "file_test_support.h"

constexpr LocalDay kMonday{{2026, 12, 7}, 2}, kWednesday{{2026, 12, 9}, 4};

// Local time from midnight of `today`, UTC+1; the probe answers u/v (up), d (down), w (not yet).
class TickEngineTest : public FilesTest, public Clock, public TickHost {
  protected:
    int64_t MonotonicMs() override { return ms; }
    int64_t WallMs() override { return ms + asleepMs; }
    LocalDay Today() override { return today; }
    LocalTime Now() override {
        const auto s = static_cast<int>(ms / 1000 % 86400);
        return {today.date, s / 3600, s / 60 % 60, s % 60, 60};
    }
    LinkAnswer AskConnection() override {
        const char a = answers.front();
        if (answers.size() > 1) answers.erase(0, 1);
        return {a != 'w',
                a == 'u' || a == 'v' ? std::optional(a == 'u' ? connection : "Home") : std::nullopt,
                "RAS", traffic};
    }
    void ShowCounts(std::string_view s, std::string_view t) override {
        shown = std::string(s) + " " + std::string(t) + " " + std::to_string(state.sessionSeconds);
    }
    void ShowAlert() override { alerts.push_back(state.totalSeconds); }
    bool SaveLog(const LogRecord& r) override { return saved.push_back(r), true; }
    void CheckpointSession(const SessionRecord& s) override {
        checkpoints.push_back(s);
        if (recorder) recorder->Checkpoint(s);
    }
    void RecordSession(const SessionRecord& s) override {
        sessions.push_back(s);
        if (recorder) recorder->Record(s);
    }
    // n ticks stepMs apart with the probe answering from the script.
    void Ticks(std::string script, int n = 1, int64_t stepMs = 1000) {
        answers = std::move(script);
        for (int i = 0; i < n; ++i) ms += stepMs, engine->OnTick();
    }

    int64_t ms = 1'000'000, asleepMs = 0;
    LocalDay today = kMonday;
    std::string answers = "d", connection = "Cellular", shown;
    std::vector<int32_t> alerts;  // the total at each
    std::vector<LogRecord> saved;
    std::vector<SessionRecord> checkpoints, sessions;
    std::vector<TrafficCount> traffic;
    HistoryRecorder* recorder = nullptr;
    AppState state;
    std::optional<TickEngine> engine{std::in_place, state, *this, *this};  // anew at a start
};

// Time online as it passed, half an interval where the link changed; the labels and one alert.
TEST_F(TickEngineTest, CountsTheTimeThatPassedShowsItAndAlertsAtTheLimit) {
    state.options.alertEnabled = true, state.alertLimitSeconds = 936;
    Ticks("u", 1, 999), Ticks("ud", 1, 0);  // down within a tick: no second made up
    // Up or down, ticks, milliseconds between them; the total and the labels after them (if any).
    const std::tuple<const char*, int, int64_t, int32_t, std::string> steps[] = {
        {"u", 2, 1, 1, "00:00:00:01 00:00:00:01 1"},  // up again: the carry makes a second
        {"u", 1000, 925, 926, ""},
        {"u", 3, 1500, 930, "00:00:15:30 00:00:15:30 930"},  // 925 s of ticks are 925 s, not 1000
        {"u", 1, 100, 930, ""},
        {"u", 1, 400, 931, ""},        // fractions carried
        {"u", 1, 3'600'000, 936, ""},  // a stalled hour counts up to the gap limit
        {"u", 1, -5000, 936, ""},
        {"u", 1000, 0, 936, ""},                           // a clock that stands or runs back
        {"d", 1, 4000, 938, "00:00:00:00 00:00:15:38 0"},  // down, up: half the interval each
        {"u", 1, 4000, 940, "00:00:00:02 00:00:15:40 2"},
        {"d", 1, 1000, 940, ""},
        {"u", 1, 1000, 941, ""}};
    for (const auto& [up, ticks, stepMs, total, text] : steps) {
        Ticks(up, ticks, stepMs);
        EXPECT_EQ(std::pair(state.totalSeconds, text.empty() ? "" : shown), std::pair(total, text))
            << ticks << " x " << stepMs;
    }
    Ticks("du");                               // up within a tick: nothing counted
    state.totalSeconds = 900, Ticks("u", 40);  // adjusted below the limit, then past it
    state.options.alertEnabled = false, state.totalSeconds = 900, Ticks("u", 40);
    EXPECT_EQ(alerts, (std::vector{936, 936}));
    // Anew: a changing total saved on each minute only; one saved already or elsewhere not again.
    state.totalSeconds = 0, engine.emplace(state, *this, *this), saved.clear();
    Ticks("u", 120), Ticks("d", 1, 0), Ticks("d", 61);
    state.totalSeconds = 7, engine->NoteLogSaved(LogRecordOf(state)), Ticks("d", 61);
    EXPECT_EQ(saved, (std::vector{LogRecord{60, {}}, LogRecord{120, {}}}));
    // The last second before the limit, at a tick and at a session's end; none past it.
    state.totalSeconds = state.sessionSeconds = INT32_MAX - 1, Ticks("u", 1, 2000);
    state.totalSeconds = INT32_MAX - 1, Ticks("d", 1, 2000);
    EXPECT_THROW(Ticks("u", 1, 3000), AppError);
}

// A due day clears once, at its first tick; an option switched on waits; a clock set back never.
TEST_F(TickEngineTest, ScheduledClearingSavesAtOnceAndSwitchingOnWaitsForTheDay) {
    state = {{}, 0, 77, 5000, CalendarDate{2026, 11, 29}};
    const Options off{}, monthly{true, false}, weekly{false, true}, both{true, true};
    const LocalDay sunday{{2026, 12, 13}, 1}, newYear{{2027, 1, 1}, 6}, feb1{{2027, 2, 1}, 2};
    // The options and the day of a tick; the total, the session, the last clearing and the saves.
    const std::tuple<Options, LocalDay, int32_t, int32_t, CalendarDate, size_t> steps[] = {
        {weekly, kWednesday, 5001, 78, {2026, 12, 8}, 0},
        {both, kWednesday, 5002, 79, {2026, 12, 8}, 0},  // switched on: waits
        {weekly, sunday, 1, 1, sunday.date, 1},
        {weekly, sunday, 2, 2, sunday.date, 1},  // cleared and saved at once, then counted
        {both, {{2026, 12, 16}, 4}, 3, 3, {2026, 12, 15}, 1},
        {both, newYear, 1, 1, newYear.date, 2},
        {monthly, {{2027, 1, 2}, 7}, 2, 2, newYear.date, 2},
        {both, feb1, 1, 1, feb1.date, 3},  // switched on on a due day
        {both, {{2027, 2, 10}, 4}, 1, 1, {2027, 2, 10}, 4},
        {off, {{2027, 2, 14}, 1}, 2, 2, {2027, 2, 10}, 4},
        {weekly, {{2026, 12, 27}, 1}, 3, 3, {2026, 12, 27}, 4}};  // the clock set back
    for (const auto& [options, day, total, session, last, saves] : steps) {
        state.options = options, today = day, Ticks("u");
        EXPECT_EQ(std::tuple(state.totalSeconds, state.sessionSeconds, state.lastScheduledClear,
                             saved.size()),
                  std::tuple(total, session, std::optional(last), saves))
            << day.date.month << "-" << day.date.day;
    }
    // Restarts, then a later day: a Sunday missed; none recorded; the day; switched on; ahead.
    const std::optional<CalendarDate> dec5 = CalendarDate{2026, 12, 5}, none,
                                      ahead = CalendarDate{2027, 12, 5};
    const LocalDay monday14{{2026, 12, 14}, 2}, jan2{{2027, 1, 2}, 7};
    for (const auto& [options, last, day, later, totals] :
         {std::tuple{weekly, dec5, kWednesday, monday14, "1 1"},
          {weekly, none, kMonday, monday14, "51 1"},
          {monthly, none, newYear, jan2, "1 2"},
          {off, none, kWednesday, monday14, "51 1"},
          {weekly, ahead, kWednesday, monday14, "51 1"}}) {
        state = {options, 0, 0, 50, last}, today = day;
        engine.emplace(state, *this, *this), Ticks("u");
        const std::string first = std::to_string(state.totalSeconds);
        state.options.clearEverySunday |= options == off, Ticks("d"), today = later;
        Ticks("u");
        EXPECT_EQ(first + " " + std::to_string(state.totalSeconds), totals) << (options == off);
    }
}

static std::string Lines(const std::vector<SessionRecord>& sessions) {  // "start-end seconds name|"
    std::string lines;
    for (const SessionRecord& s : sessions)
        lines += FormatSessionLine(s).substr(11, 8) + "-" + FormatSessionLine(s).substr(37, 8) +
                 " " + std::to_string(s.seconds) + " " + s.connection + "|";
    return lines;
}

// A session ends where found down, or at its last tick up before a sleep or a silent system.
TEST_F(TickEngineTest, EachSessionIsRecordedWithItsCountAndCheckpointedOnceAMinute) {
    Ticks("u", 150, 925);  // 138.75 s: checkpoints after 60 s and 120 s, with the count then
    EXPECT_EQ(Lines(checkpoints), "00:16:40-00:17:41 61 Cellular|00:16:40-00:18:41 121 Cellular|");
    state = {};          // "Clear Log" and scheduled clearing do not touch the history
    Ticks("d", 1, 925);  // with half the last interval and the carry, as the total counts
    Ticks("d", 100), Ticks("u", 61);  // none offline, one 60 s into the next session
    EXPECT_EQ(checkpoints.size(), 3u);
    ms += 500, engine->Suspend(), asleepMs += 3'600'000, ms += 500;
    engine->Resume(), Ticks("u", 5), engine->Resume();  // the second word of the same wake
    asleepMs += 2000, Ticks("u");  // as far ahead as the clocks may drift: no sleep
    asleepMs += 100'000, Ticks("u", 2), engine->Resume();  // unsaid; said late
    Ticks("w", 4), Ticks("u");                             // held, then up: all of it
    Ticks("w", 5);
    EXPECT_EQ(shown + engine->NotAnswering(), "00:00:00:00 00:00:01:13 0RAS");
    Ticks("w", 3), Ticks("u", 2);
    EXPECT_EQ(engine->NotAnswering(), "");
    Ticks("u", 2), connection = "Wi-Fi", Ticks("u", 2);
    engine->Suspend(), Ticks("u");                                // a sleep said that did not come
    Ticks("d", 1, 4000), engine->Suspend(), Ticks("d", 1, 4000);  // said, then no link
    EXPECT_EQ(
        Lines(sessions),
        "00:16:40-00:18:59 139 Cellular|00:20:40-00:21:40 60 Cellular|00:21:42-00:21:47 6 "
        "Cellular|00:21:48-00:21:54 6 Cellular|00:22:03-00:22:07 4 Cellular|00:22:07-00:22:08 "
        "2 Wi-Fi|00:22:09-00:22:13 3 Wi-Fi|");
}

// Whatever the answers, sleeps, wakes and failed appends, the history has each counted second once.
TEST_F(TickEngineTest, HistoryHoldsEverySecondCountedWhateverHappens) {
    FaultyOps ops;
    const HistoryPaths files{(dir / "h.csv").string(), (dir / "s.csv").string(), ""};
    std::mt19937 random(7);
    const auto pick = [&](unsigned n) { return static_cast<int>(random() % n); };
    for (int script = 0; script < 10; ++script) {
        fs::remove(files.history);
        HistoryRecorder history(files, ops);
        recorder = &history, history.Recover();
        state = {}, engine.emplace(state, *this, *this);
        for (int step = 0; step < 400; ++step) {
            const int event = pick(100);
            if (event < 70)
                Ticks({"uuvdw"[pick(5)], "uuvdw"[pick(5)]}, 1, pick(2000));
            else if (event < 76)
                engine->Suspend();
            else if (event < 82)
                engine->Resume();
            else if (event < 86)
                asleepMs += pick(100000);
            else
                ops.held = pick(3) == 1, ops.cut = pick(2) ? 40u : 0u;
        }
        ops.held = false, ops.cut = 0, engine->FinishSession(), history.Flush();
        int64_t recorded = 0;
        for (const SessionRecord& s : LoadHistory(files.history).sessions) recorded += s.seconds;
        EXPECT_EQ(recorded, state.totalSeconds) << script;
    }
    recorder = nullptr;
}

// A hanging probe holds an asker up once, for its patience; its last answers stand, not fresh.
TEST(ProbeWorker, WaitsForAnAnswerOnlyAsLongAsItsPatience) {
    static std::atomic<bool> hang = false;  // the probe's state outlives a thread left hanging
    using namespace std::chrono;
    const milliseconds limit(300);
    const ProbeQuestion one{}, all{{}, true}, metered{{CountedKind::kMetered}, false},
        internet{{CountedKind::kInternet}, false};
    std::string got;
    std::optional<ProbeWorker> worker(
        std::in_place,
        [n = 0](const ProbeQuestion& q) mutable {
            while (hang) std::this_thread::sleep_for(milliseconds(1));
            return Sighting{
                {}, q.everything, {}, {}, {{ConnectionSource::kRas, std::to_string(++n)}}};
        },
        limit);
    const auto ask = [&](const ProbeQuestion& q, milliseconds patience = milliseconds(300)) {
        const ProbeAnswer a = worker->Ask(q, patience);
        got += (a.seen.connections.empty() ? "-" : a.seen.connections[0].name) +
               (a.seen.internet == true ? "*" : "") + (a.fresh ? " " : "? ");
    };
    const auto wait = [](int ms) { std::this_thread::sleep_for(milliseconds(ms)); };
    const auto took = [&](auto f) {  // in halves of the patience
        const auto start = steady_clock::now();
        return f(), std::to_string((steady_clock::now() - start) * 2 / limit) + " ";
    };
    std::string times = took([&] {
        ask(one), ask(one), ask(all), ProbeWorker([](auto&) { return Sighting{}; }, limit).Ask({});
    });
    hang = true, times += took([&] { ask(one), ask(all), ask(metered); });
    hang = false, wait(100), ask(one), ask(all), ask(metered), wait(100), got += "| ";
    hang = true, ask(one, milliseconds(0)), wait(20);  // and its next call begins, held up
    std::thread letGo([&] { wait(50), hang = false; });
    ask(one), letGo.join(), wait(400), ask(internet);  // a question new to an idle worker
    hang = true, ask(metered), ask(metered), times += took([&] { worker.reset(); });
    hang = false, wait(100);  // the thread left behind goes on with what it holds
    EXPECT_EQ(got, "1 2 3* 2? 3*? -? 4 5* 6 | 7 10 11 9 9? ");
    EXPECT_EQ(times, "0 2 2 ") << "at once when fresh or idle, else one patience once";
}

// Each choice counts its own connections, named as the first one up; the menu lists each once.
TEST(CountedConnection, EachChoiceByItsOwnConnectionsAndTheMenuListsThemOnce) {
    using K = CountedKind;
    using List = std::vector<SeenConnection>;
    const auto ras = ConnectionSource::kRas, adapter = ConnectionSource::kAdapter;
    const SeenConnection dialing{ras, "Dialing"}, vpn{ras, "VPN", true},
        unnamed{ras, "", true, true}, cell{adapter, "Cell", true, true, "{H}"},
        wifi{adapter, "Wi-Fi", true}, down{adapter, "Cell", false, true, "{H}"},
        renamed{adapter, "Cellular 2", true, false, "{G}"};
    const CountChoice dialUp{}, metered{K::kMetered}, internet{K::kInternet},
        onlyCell{K::kChosen, adapter, "Cell"}, byId{K::kChosen, adapter, "Cell", "{G}"};
    const auto seen = [](List c, std::optional<bool> says = {}, bool unsure = false,
                         bool portal = false) {
        return Sighting{{}, says, unsure, portal, c};
    };
    // And which connections' bytes count, '1' for each.
    const std::tuple<CountChoice, Sighting, std::optional<std::string>, std::string> cases[] = {
        {dialUp, {true, {}, false, false, {dialing, vpn}}, "dial-up", "01"},
        {dialUp, {false, {}, false, false, {vpn}}, {}, "0"},
        {dialUp, seen({dialing, vpn, unnamed}), "VPN", "011"},
        {dialUp, seen({dialing}), {}, "0"},
        {dialUp, seen({unnamed}), "dial-up", "1"},
        {metered, seen({wifi, cell}), "Cell", "01"},
        {metered, seen({down, wifi}), {}, "00"},
        {metered, seen({unnamed}), "metered", "1"},
        {internet, seen({wifi, down}, true), "internet", "10"},
        {internet, seen({wifi}, false), {}, "0"},
        {internet, seen({down, wifi}), "internet", "01"},
        {internet, seen({}), {}, ""},
        {internet, seen({wifi}, false, true), "internet", "1"},
        {internet, seen({wifi}, false, true, true), {}, "0"},  // a captive portal
        {internet, seen({down}, false, true), {}, "0"},
        {onlyCell, seen({{ras, "Cell", true}, wifi}), {}, "00"},
        {onlyCell, seen({wifi, cell}), "Cell", "01"},
        {onlyCell, seen({down}), {}, "0"},
        {byId, seen({cell, renamed}), "Cellular 2", "01"},
        {byId, seen({cell}), "Cell", "1"},
        {byId, seen({{adapter, "Cellular 2", false, false, "{G}"}, cell}), {}, "00"}};
    for (const auto& [choice, sighting, counted, bytes] : cases) {
        std::string counters;
        for (const bool c : BytesCounted(choice, sighting)) counters += c ? "1" : "0";
        EXPECT_EQ(std::pair(CountedConnection(choice, sighting), counters),
                  std::pair(counted, bytes))
            << static_cast<int>(choice.kind) << " " << sighting.connections.size();
    }
    // The adapter kept as it is now: renamed, or found by its name under another GUID.
    const auto follow = [&](const CountChoice& c, List listed) {
        const auto f = FollowChosen(c, seen(listed));
        return f ? f->name + f->id : "-";
    };
    EXPECT_EQ(follow(byId, {cell, renamed}) + follow(byId, {{adapter, "Cell", true, false, "{G}"}}),
              "Cellular 2{G}-");
    std::string menu;
    std::vector<std::string> up;  // adapters seen up: later offered while down, one never up not
    const std::tuple<CountChoice, List, bool> menus[] = {
        {onlyCell, {{ras, "A & B"}, wifi, cell, unnamed, {adapter, "Never up"}}, true},
        {{K::kChosen, adapter, "Gone"},
         {{ConnectionSource::kNetwork, "Cell"}, down, {ras, "Never up"}, {adapter, "Never up"}},
         true},
        {byId, {{adapter, "Cellular 2", false, false, "{G}"}}, false},
        {internet, {}, true},
        {dialUp, {}, true}};
    for (const auto& [chosen, listed, complete] : menus)
        for (const CountMenuItem& item : CountMenu(chosen, listed, up, complete))
            menu +=
                item.text.substr(0, 10) + (item.checked ? "*" : "") + (item.enabled ? "|" : "-|");
    EXPECT_EQ(menu,
              "&Dial-up a|&Metered c|Any &inter|Only A && |Only Wi-Fi|Only Cell*|"
              "&Dial-up a|&Metered c|Any &inter|Only Cell |Only Cell|Only Never|Only Gone *|"
              "&Dial-up a|&Metered c|Any &inter|Only Cellu*|Still look-|"
              "&Dial-up a|&Metered c|Any &inter*|&Dial-up a*|&Metered c|Any &inter|");
    EXPECT_EQ(std::tuple(AskedOf(dialUp), AskedOf(internet), AskedOf(onlyCell)),
              std::tuple("RAS", "the network list", "the network adapters"));
}

// Each session has what moved from its first reading to its last, a 32-bit counter across its wrap
// (one that fell by half its range or less was reset); none without counters.
TEST_F(TickEngineTest, EachSessionHasTheBytesItsCountersMoved) {
    const std::tuple<const char*, uint64_t, uint64_t> steps[] = {
        {"u", 1000, 100}, {"u", 1500, 300}, {"v", 1600, 300},
        {"v", 1700, 360}, {"d", 9000, 900}, {"u", 4294967200, 2147483748},
        {"u", 4, 100},    {"d", 0, 0},      {"u", 5, 5},
        {"d", 0, 0}};
    for (const auto& [script, received, sent] : steps)
        traffic = {{"ras:a", received, sent, true}}, Ticks(script);
    traffic = {}, Ticks("u"), Ticks("d");
    std::string data;
    for (const SessionRecord& s : sessions)
        data += s.data ? std::to_string(s.data->received) + "/" + std::to_string(s.data->sent) + " "
                       : "- ";
    EXPECT_EQ(data, "600/200 100/60 100/100 0/0 - ");
}

// Drives the real program under Wine and measures it:
//   timer_driver accuracy [long]   connects and disconnects on a schedule and compares the
//                                  program's count with the time really connected
//   timer_driver footprint         start-up time, CPU, memory and file writes, online and offline
//   timer_driver history           time from the menu's "History" to the filled window, with a
//                                  history of 100,000 sessions with their data
//   timer_driver growth            handles, GDI and USER objects and memory over 100,000 ticks
//                                  with every window opened and closed again and again
//   timer_driver probes            what asking Windows costs for each choice of what counts,
//                                  with the byte counters and without them, and how long the
//                                  window thread waits when a call hangs
//   timer_driver data              the bytes each session counted against what the adapter
//                                  cell0 moved, as Linux counts it (/proc/net/dev)
#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <commctrl.h>
#include <iphlpapi.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "core/calendar.h"
#include "store/data_path.h"
#include "store/history_file.h"
#include "store/log_file.h"
#include "store/settings_file.h"
#include "win/connection_probe_win.h"
#include "win_test_support.h"

namespace {

double NowSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SleepUntil(double when) {
    for (double left; (left = when - NowSeconds()) > 0;)
        Sleep(static_cast<DWORD>(left * 1000) / 2 + 1);
}

void FreshFiles() {
    DeleteFileA(kSettingsPath);
    DeleteFileA(kLogPath);
    SetRemoteConnection(0);
}

int Accuracy(bool longSchedule) {
    struct Session {
        int online, offline;  // seconds
    };
    const std::vector<Session> schedule =
        longSchedule ? std::vector<Session>{{600, 30}, {1200, 60}, {45, 15}, {900, 30}, {700, 20}}
                     : std::vector<Session>{{20, 6}, {45, 8}, {7, 6}, {60, 6}, {30, 6}};
    FreshFiles();
    TimerProcess program;
    if (!program.Stats()) return std::puts("the program did not start"), 1;
    Sleep(1500);
    std::printf(
        "| session | connected s | counted s | error s | one second per tick | its error s |\n"
        "|---|---|---|---|---|---|\n");
    double trueTotal = 0;
    int counted = 0, perTick = 0;
    // Lengths with a random fraction, so that sessions start and end anywhere between ticks.
    std::mt19937 random(GetTickCount());
    std::uniform_real_distribution<double> fraction(0, 1);
    for (size_t i = 0; i < schedule.size(); ++i) {
        const int before = program.TotalShown();
        const double start = NowSeconds(), online = schedule[i].online + fraction(random);
        SetRemoteConnection(1);
        SleepUntil(start + online);
        SetRemoteConnection(0);
        const double connected = NowSeconds() - start;
        SleepUntil(start + online + schedule[i].offline + fraction(random));
        const int got = program.TotalShown() - before;
        // The 925 ms timer sees the connection at about this many ticks.
        const int ticks = static_cast<int>(std::lround(connected / 0.925));
        std::printf("| %zu | %.3f | %d | %+.3f | %d | %+.3f |\n", i + 1, connected, got,
                    got - connected, ticks, ticks - connected);
        trueTotal += connected;
        counted += got;
        perTick += ticks;
    }
    program.Close();
    const int saved = ParseLog(ReadFileBytes(kLogPath), kLogPath).total;
    std::printf("| all | %.3f | %d | %+.3f (%+.3f%%) | %d | %+.3f (%+.2f%%) |\n", trueTotal,
                counted, counted - trueTotal, 100 * (counted - trueTotal) / trueTotal, perTick,
                perTick - trueTotal, 100 * (perTick - trueTotal) / trueTotal);
    std::printf("\nThe time log file holds %d s after Exit.\n", saved);
    return saved == counted ? 0 : 1;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Counts the times the time log file is replaced during a phase.
struct Phase {
    double cpu = 0;
    int writes = 0;
};

Phase Measure(const TimerProcess& program, int seconds) {
    Phase phase;
    const double cpuBefore = CpuSeconds(program.Handle());
    WIN32_FILE_ATTRIBUTE_DATA last = {}, now = {};
    GetFileAttributesExA(kLogPath, GetFileExInfoStandard, &last);
    const double end = NowSeconds() + seconds;
    while (NowSeconds() < end) {
        Sleep(100);
        if (GetFileAttributesExA(kLogPath, GetFileExInfoStandard, &now) &&
            CompareFileTime(&now.ftLastWriteTime, &last.ftLastWriteTime) != 0) {
            ++phase.writes;
            last = now;
        }
    }
    phase.cpu = CpuSeconds(program.Handle()) - cpuBefore;
    return phase;
}

int Footprint(int seconds) {
    FreshFiles();
    const double start = NowSeconds();
    TimerProcess program;
    WaitForInputIdle(program.Handle(), 10000);
    const double startUp = NowSeconds() - start;
    if (!program.Main()) return std::puts("the program did not start"), 1;
    // Idle may come while start-up waits on the shell for the icon, before the files are
    // written: the first tick comes after them.
    if (!program.Stats()) return std::puts("the program did not tick"), 1;
    const Phase offline = Measure(program, seconds);
    SetRemoteConnection(1);
    const Phase online = Measure(program, seconds);
    SetRemoteConnection(0);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    program.Close();
    const double perHour = 3600.0 / seconds;
    std::printf("| figure | value |\n|---|---|\n");
    std::printf("| start to idle (tray icon added; WaitForInputIdle) | %.0f ms |\n",
                startUp * 1000);
    std::printf("| CPU per hour offline | %.2f s |\n", offline.cpu * perHour);
    std::printf("| CPU per hour online | %.2f s |\n", online.cpu * perHour);
    // Wine leaves the private bytes of another process at 0; the commit charge stands in.
    std::printf("| private bytes (commit charge) | %zu KB |\n",
                (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1024);
    std::printf("| working set | %zu KB |\n", memory.WorkingSetSize / 1024);
    std::printf("| time log writes per hour offline | %.0f (%d in %d s) |\n",
                offline.writes * perHour, offline.writes, seconds);
    std::printf("| time log writes per hour online | %.0f (%d in %d s) |\n",
                online.writes * perHour, online.writes, seconds);
    return 0;
}

// Every window opened and closed again and again over 100,000 ticks: no handle, GDI or USER
// object and no memory may be left behind. Wine reports no handle or object counts (they read 0
// there), so under Wine the memory is what shows a leak.
int Growth() {
    FreshFiles();
    SetRemoteConnection(1);
    TimerProcess program;
    HWND main = program.Main();
    if (!program.Stats()) return std::puts("the program did not start"), 1;
    auto send = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        DWORD_PTR result;
        SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    };
    auto cycle = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) send(main, WM_TIMER, 1, 0);
        for (WPARAM menu = 201; menu <= 205; ++menu) send(main, WM_COMMAND, menu, 0);
        for (const char* caption : {"Stats", "Velmora Timer Configuration", "Are you sure..."})
            send(FindWindowA("OnlineTimer.Form", caption), WM_CLOSE, 0, 0);
        send(GetDlgItem(FindWindowA("OnlineTimer.Form", "Adjust Time"), 112), BM_CLICK, 0, 0);
        send(GetDlgItem(FindWindowA("OnlineTimer.Form", "About"), 111), BM_CLICK, 0, 0);
    };
    struct Counts {
        DWORD handles, gdi, user;
        SIZE_T memoryKb;
    };
    auto counts = [&] {
        Counts c = {};
        GetProcessHandleCount(program.Handle(), &c.handles);
        c.gdi = GetGuiResources(program.Handle(), GR_GDIOBJECTS);
        c.user = GetGuiResources(program.Handle(), GR_USEROBJECTS);
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(program.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory);
        // The commit charge where reported; Wine gives only the working set of another process.
        c.memoryKb = (memory.PagefileUsage ? memory.PagefileUsage : memory.WorkingSetSize) / 1024;
        return c;
    };
    for (int round = 0; round < 10; ++round) cycle(100);  // every window created, heaps settled
    const Counts before = counts();
    for (int round = 0; round < 100; ++round) cycle(1000);
    const Counts after = counts();
    program.Close();
    std::printf("| figure | before | after 100,000 ticks |\n|---|---|---|\n");
    std::printf(
        "| handles | %lu | %lu |\n| GDI objects | %lu | %lu |\n| USER objects | %lu | %lu |\n",
        before.handles, after.handles, before.gdi, after.gdi, before.user, after.user);
    std::printf("| memory | %zu KB | %zu KB |\n", before.memoryKb, after.memoryKb);
    return 0;
}

int History() {
    FreshFiles();
    const HistoryPaths paths = ResolveHistoryPaths();
    std::string bytes = std::string(kHistoryHeader) + "\r\n";
    for (int i = 0; i < 100000; ++i) {
        const LocalTime start{DateOfDay(20000 - 50000 + i / 2), 20 - 10 * (i % 2), 15, 0, 60};
        LocalTime end = start;
        end.hour += 1;
        bytes += FormatSessionLine({start, end, 3600, "Cellular", Traffic{i * 4099LL, i * 131LL}}) +
                 "\r\n";
    }
    WriteFileBytes(paths.history, bytes);
    TimerProcess program;
    if (!program.Stats()) return std::puts("the program did not start"), 1;
    const double start = NowSeconds();
    program.Menu(207);
    HWND window = program.Window("OnlineTimer.Form", "History");
    // The window may be found before its table is made: asked for again until it is.
    while (SendMessageA(GetDlgItem(window, 161), LVM_GETITEMCOUNT, 0, 0) == 0) Sleep(1);
    const double opened = NowSeconds() - start;
    program.Close();
    DeleteFileA(paths.history.c_str());
    std::printf("| history | open to a filled window |\n|---|---|\n");
    std::printf("| 100,000 sessions, %zu KB | %.0f ms |\n", bytes.size() / 1024, opened * 1000);
    return 0;
}

// Median and worst of `count` calls, in milliseconds.
template <class Call>
std::pair<double, double> Timed(int count, Call call) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const double start = NowSeconds();
        call();
        ms.push_back((NowSeconds() - start) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

int Probes() {
    WriteFileBytes(Beside("ras-double.txt"), "entry Office\nconnected VPN\nbytes 7 8\n");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\RemoteAccess",
                       "Remote Connection");
    using K = CountedKind;
    const std::pair<const char*, ProbeQuestion> questions[] = {
        {"dial-up and VPN, RAS asked (the status value missing)", {{K::kDialUp}, false}},
        {"metered connections", {{K::kMetered}, false}},
        {"any internet connection", {{K::kInternet}, false}},
        {"only the adapter cell0", {{K::kChosen, ConnectionSource::kAdapter, "cell0"}, false}},
        {"only the RAS entry VPN", {{K::kChosen, ConnectionSource::kRas, "VPN"}, false}},
        {"every connection (the menu, when it opens)", {{}, true}}};
    std::puts(
        "| what is asked, 1,000 times | median | worst | with the byte counters: median | worst "
        "| counters read |\n|---|---|---|---|---|---|");
    // Without the byte counters and with them, call by call, so that both see the same load.
    const ProbeWorker::Probe probes[] = {ConnectionProbe(false), ConnectionProbe(true)};
    const auto row = [&](const char* what, const ProbeQuestion& question) {
        std::vector<double> ms[2];
        for (int i = 0; i < 1001; ++i)
            for (int p = 0; p < 2; ++p) {
                const double start = NowSeconds();
                probes[p](question);
                if (i > 0) ms[p].push_back((NowSeconds() - start) * 1000);  // the first sets up
            }
        std::printf("| %s |", what);
        for (std::vector<double>& times : ms) {
            std::sort(times.begin(), times.end());
            std::printf(" %.3f ms | %.3f ms |", times[times.size() / 2], times.back());
        }
        std::printf(" %zu |\n", probes[1](question).traffic.size());
    };
    for (const auto& [what, question] : questions) row(what, question);
    SetRemoteConnection(1);
    row("dial-up and VPN, the status value there", {});
    // A call that hangs for 10 s: the window thread waits for it once, 40 ms, then not at all.
    ProbeWorker hung([](const ProbeQuestion&) { return Sleep(10000), Sighting{}; },
                     std::chrono::milliseconds(40));
    const auto [askMedian, askWorst] = Timed(100, [&] { hung.Ask({}); });
    std::printf("| a tick's question while the call hangs, 100 times | %.3f ms | %.3f ms | | | |\n",
                askMedian, askWorst);
    DeleteFileW(WIDE(Beside("ras-double.txt")));
    return 0;
}

// A command of the tests' network (tools/wine-session): Wine starts Linux programs.
void Network(const std::string& args) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "/bin/ip " + args;
    if (CreateProcessA(nullptr, command.data(), 0, 0, FALSE, 0, 0, 0, &si, &pi))
        WaitForSingleObject(pi.hProcess, 5000), CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
    Sleep(300);
}

// What Linux counts for the interface: received and sent bytes (Wine's drive Z: is /).
Traffic ProcNetDev(const std::string& name) {
    std::ifstream in("Z:\\proc\\net\\dev");
    for (std::string line; std::getline(in, line);) {
        std::replace(line.begin(), line.end(), ':', ' ');  // "cell0:123456789" when wide
        std::istringstream fields(line);
        std::string device;
        int64_t skip = 0;
        Traffic t;
        if (fields >> device >> t.received >> skip >> skip >> skip >> skip >> skip >> skip >>
                skip >> t.sent &&
            device == name)
            return t;
    }
    return {};
}

// Datagrams of 1,472 bytes, 1,514 on the wire, to an IPv4 address, until `bytes` are given.
void SendDatagrams(uint32_t address, int64_t bytes) {
    const SOCKET udp = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = htonl(address);
    const std::string datagram(1472, 'x');
    for (int64_t given = 0; given < bytes; given += 1472)
        sendto(udp, datagram.data(), 1472, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    closesocket(udp);
}

// Sessions of "Only cell0", each moving known bytes through it: out to an address only cell0
// reaches, in from cell0's peer to an address only cell0 takes (its own hardware address). The
// reference is /proc/net/dev in the tests' network, read before the link comes up and after it
// went down: all the session moved.
int Data() {
    FreshFiles();
    const HistoryPaths paths = ResolveHistoryPaths();
    DeleteFileW(WIDE(paths.history));
    WriteFileBytes(paths.options, "count=only\r\ncount-source=adapter\r\ncount-name=cell0\r\n");
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    MIB_IF_ROW2 cell0 = {};
    ConvertInterfaceAliasToLuid(L"cell0", &cell0.InterfaceLuid);
    GetIfEntry2(&cell0);
    char mac[32];
    const UCHAR* a = cell0.PhysicalAddress;
    std::snprintf(mac, sizeof mac, "%x:%x:%x:%x:%x:%x", a[0], a[1], a[2], a[3], a[4], a[5]);
    Network("route replace 10.77.1.8 dev cellpeer");
    Network("neigh replace 10.77.1.8 lladdr " + std::string(mac) + " dev cellpeer");
    Network("link set cell0 down");
    TimerProcess program;
    if (!program.Stats()) return std::puts("the program did not start"), 1;
    constexpr int64_t kMB = 1 << 20;
    const std::pair<int64_t, int64_t> given[] = {
        {1 * kMB, 3 * kMB}, {30 * kMB, 2 * kMB}, {100 * kMB, 100 * kMB}};  // out, in
    std::vector<Traffic> moved;
    for (const auto& [out, in] : given) {
        const Traffic before = ProcNetDev("cell0");
        Network("link set cell0 up");
        Network("route replace 10.77.0.9 dev cell0");
        Network("neigh replace 10.77.0.9 lladdr 2:0:0:0:0:9 dev cell0");
        Sleep(2500);
        SendDatagrams(0x0A4D0009, out);  // 10.77.0.9
        SendDatagrams(0x0A4D0108, in);   // 10.77.1.8
        Sleep(2500);
        Network("link set cell0 down");
        Sleep(2500);
        const Traffic after = ProcNetDev("cell0");
        moved.push_back({after.received - before.received, after.sent - before.sent});
    }
    program.Close();
    Network("link set cell0 up");
    Network("route replace default via 10.77.0.1");
    const std::vector<SessionRecord> sessions = LoadHistory(paths.history).sessions;
    std::puts(
        "| session | cell0 received (/proc/net/dev) | counted | error | cell0 sent | counted | "
        "error |\n|---|---|---|---|---|---|---|");
    const auto error = [](int64_t counted, int64_t real) {
        char text[48];
        std::snprintf(
            text, sizeof text, "%+lld (%+.3f%%)", static_cast<long long>(counted - real),
            real ? 100.0 * static_cast<double>(counted - real) / static_cast<double>(real) : 0.0);
        return std::string(text);
    };
    for (size_t i = 0; i < moved.size(); ++i) {
        const Traffic counted =
            i < sessions.size() ? sessions[i].data.value_or(Traffic{-1, -1}) : Traffic{-1, -1};
        std::printf("| %zu | %lld | %lld | %s | %lld | %lld | %s |\n", i + 1,
                    static_cast<long long>(moved[i].received),
                    static_cast<long long>(counted.received),
                    error(counted.received, moved[i].received).c_str(),
                    static_cast<long long>(moved[i].sent), static_cast<long long>(counted.sent),
                    error(counted.sent, moved[i].sent).c_str());
    }
    std::printf("\n%zu sessions in the history.\n", sessions.size());
    return sessions.size() == moved.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string option = argc > 2 ? argv[2] : "";
    if (mode == "accuracy") return Accuracy(option == "long");
    if (mode == "footprint") return Footprint(option.empty() ? 300 : std::atoi(option.c_str()));
    if (mode == "growth") return Growth();
    if (mode == "history") return History();
    if (mode == "probes") return Probes();
    if (mode == "data") return Data();
    std::puts(
        "usage: timer_driver accuracy [long] | footprint [seconds] | growth | history | probes | "
        "data");
    return 2;
}

// rasapi32.dll as the tests script it: the connections and entries listed in "ras-double.txt"
// beside the program, a line each ("connected NAME", "dialing NAME", "entry NAME"), "error
// CODE" for a failing RAS, or "hang" for one that answers only once the line is gone; "bytes
// RECEIVED SENT" for the connections' counters. Wine loads it from beside the program with
// rasapi32=n.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#define EXPORT extern "C" __declspec(dllexport) DWORD WINAPI
namespace {
template <class Item>  // the lines of these states, the caller's room filled, or the error
DWORD List(std::string states, Item* items, DWORD* bytes, DWORD* count) {
    std::vector<std::pair<bool, std::string>> lines;  // connected, and the name
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::ifstream in(std::filesystem::path(path).replace_filename("ras-double.txt"));
    for (std::string state, name; in >> state && std::getline(in >> std::ws, name);) {
        if (state == "hang") return in.close(), Sleep(100), List(states, items, bytes, count);
        if (state == "error") return std::stoul(name);
        if (states.find(state) != std::string::npos) lines.emplace_back(state[0] == 'c', name);
    }
    const DWORD needed = static_cast<DWORD>(lines.size() * sizeof(Item));
    if (*bytes < needed || items->dwSize != sizeof(Item))
        return *bytes = needed, ERROR_BUFFER_TOO_SMALL;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& [connected, name] = lines[i];
        MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, items[i].szEntryName, RAS_MaxEntryName);
        if constexpr (std::is_same_v<Item, RASCONNW>)  // odd when connected
            items[i].hrasconn = reinterpret_cast<HRASCONN>(2 * i + 2 + connected);
    }
    return *bytes = needed, *count = static_cast<DWORD>(lines.size()), 0;
}
}  // namespace

// Hung up, every connection listed is gone: ras-double.txt is emptied.
EXPORT RasHangUpW(HRASCONN) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::ofstream(std::filesystem::path(path).replace_filename("ras-double.txt"));
    return 0;
}

EXPORT RasEnumConnectionsW(RASCONNW* c, DWORD* bytes, DWORD* count) {
    return List("connected dialing", c, bytes, count);
}
EXPORT RasGetConnectStatusW(HRASCONN c, RASCONNSTATUSW* status) {
    status->rasconnstate = reinterpret_cast<size_t>(c) % 2 ? RASCS_Connected : RASCS_OpenPort;
    return 0;
}
EXPORT RasEnumEntriesW(LPCWSTR, LPCWSTR, RASENTRYNAMEW* e, DWORD* bytes, DWORD* count) {
    return List("entry", e, bytes, count);
}

// The counters of each connection, from a line "bytes RECEIVED SENT": RAS keeps 32 bits of them.
EXPORT RasGetConnectionStatistics(HRASCONN, RAS_STATS* stats) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::ifstream in(std::filesystem::path(path).replace_filename("ras-double.txt"));
    uint64_t received = 0, sent = 0;
    for (std::string state; in >> state && !(state == "bytes" && in >> received >> sent);)
        in.ignore(1 << 20, '\n');
    stats->dwBytesRcved = DWORD(received), stats->dwBytesXmited = DWORD(sent);
    return stats->dwSize == sizeof(RAS_STATS) ? 0 : ERROR_INVALID_SIZE;
}

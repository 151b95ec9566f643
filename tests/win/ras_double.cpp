// rasapi32.dll (rasapi32=n) as ras-double.txt beside the program scripts it, a line each:
// "connected|dialing|entry NAME", "error CODE", "hang" (until the line is gone), "bytes IN OUT".
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#define EXPORT extern "C" __declspec(dllexport) DWORD WINAPI
namespace {
std::filesystem::path Script() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).replace_filename("ras-double.txt");
}
template <class Item>  // the lines of these states, the caller's room filled, or the error
DWORD List(std::string states, Item* items, DWORD* bytes, DWORD* count) {
    std::vector<std::pair<bool, std::string>> lines;  // connected, and the name
    std::ifstream in(Script());
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

EXPORT RasHangUpW(HRASCONN) {  // every connection listed is gone
    return std::ofstream(Script()), 0;
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

// Every connection's counters, of which RAS keeps 32 bits.
EXPORT RasGetConnectionStatistics(HRASCONN, RAS_STATS* stats) {
    std::ifstream in(Script());
    uint64_t received = 0, sent = 0;
    for (std::string state; in >> state && !(state == "bytes" && in >> received >> sent);)
        in.ignore(1 << 20, '\n');
    stats->dwBytesRcved = DWORD(received), stats->dwBytesXmited = DWORD(sent);
    return stats->dwSize == sizeof(RAS_STATS) ? 0 : ERROR_INVALID_SIZE;
}

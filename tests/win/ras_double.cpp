// rasapi32.dll as the tests script it: the connections and entries listed in "ras-double.txt"
// beside the program, a line each ("connected NAME", "dialing NAME", "entry NAME"), "error
// CODE" for a failing RAS, or "hang" for one that answers only once the line is gone. Wine loads
// it from beside the program with rasapi32=n.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {
template <class Item>  // the lines of these states, the caller's room filled, or the error
DWORD List(std::string states, Item* items, DWORD* bytes, DWORD* count) {
    std::vector<std::string> lines;
    wchar_t path[MAX_PATH];
    std::wstring file(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    file = file.substr(0, file.rfind(L'\\') + 1) + L"ras-double.txt";
    std::ifstream in(std::filesystem::path{file});
    for (std::string state, name; in >> state && std::getline(in >> std::ws, name);)
        if (state == "hang")
            return in.close(), Sleep(100), List(states, items, bytes, count);
        else if (state == "error")
            return std::stoul(name);
        else if (states.find(state) != std::string::npos)
            lines.push_back(state + " " + name);
    const DWORD needed = static_cast<DWORD>(lines.size() * sizeof(Item));
    if (*bytes < needed || items->dwSize != sizeof(Item))
        return *bytes = needed, ERROR_BUFFER_TOO_SMALL;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string name = lines[i].substr(lines[i].find(' ') + 1);
        MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, items[i].szEntryName, RAS_MaxEntryName);
        if constexpr (std::is_same_v<Item, RASCONNW>)  // odd when connected
            items[i].hrasconn = reinterpret_cast<HRASCONN>(2 * i + 2 + (lines[i][0] == 'c'));
    }
    return *bytes = needed, *count = static_cast<DWORD>(lines.size()), 0;
}
}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    RasEnumConnectionsW(RASCONNW* c, DWORD* bytes, DWORD* count) {
    return List("connected dialing", c, bytes, count);
}
extern "C" __declspec(dllexport) DWORD WINAPI
    RasGetConnectStatusW(HRASCONN c, RASCONNSTATUSW* status) {
    status->rasconnstate = reinterpret_cast<size_t>(c) % 2 ? RASCS_Connected : RASCS_OpenPort;
    return 0;
}
extern "C" __declspec(dllexport) DWORD WINAPI
    RasEnumEntriesW(LPCWSTR, LPCWSTR, RASENTRYNAMEW* e, DWORD* bytes, DWORD* count) {
    return List("entry", e, bytes, count);
}

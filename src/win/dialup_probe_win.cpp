#include "win/dialup_probe_win.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <vector>

#include "core/dialup_probe.h"

namespace {

using RasConnection = RASCONNA;

class WindowsRegistry : public RegistryApi {
  public:
    long OpenKey(const char* subkey, void** key) override {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, subkey, &opened);
        *key = opened;
        return status;
    }
    long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) override {
        DWORD type = 0, bytes = *size;
        const LONG status =
            RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type, buffer, &bytes);
        *size = bytes;
        return status;
    }
    void CloseKey(void* key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

bool AnyRasConnectionConnected() {
    std::vector<RasConnection> connections;
    DWORD bytes = sizeof(RASCONNA), count = 0, status;
    // The first call says how much room the connections need.
    do {
        connections.assign(bytes / sizeof(RASCONNA) + 1, RasConnection{});
        for (auto& c : connections) c.dwSize = sizeof(RASCONNA);
        bytes = static_cast<DWORD>(connections.size() * sizeof(RASCONNA));
        status = RasEnumConnectionsA(connections.data(), &bytes, &count);
    } while (status == ERROR_BUFFER_TOO_SMALL && bytes > connections.size() * sizeof(RASCONNA));
    if (status != ERROR_SUCCESS) return false;
    for (DWORD i = 0; i < count; ++i) {
        RASCONNSTATUSA connStatus = {};
        connStatus.dwSize = sizeof connStatus;
        if (RasGetConnectStatusA(connections[i].hrasconn, &connStatus) == ERROR_SUCCESS &&
            connStatus.rasconnstate == RASCS_Connected)
            return true;
    }
    return false;
}

}  // namespace

bool IsDialUpConnected() {
    WindowsRegistry registry;
    return IsDialUpConnected(registry, AnyRasConnectionConnected);
}

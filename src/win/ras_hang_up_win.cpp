#include "win/ras_hang_up_win.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <vector>

#include "core/allowance.h"
#include "store/wide_text_win.h"

Sighting HangUpRas(const ProbeQuestion& question) {
    std::vector<RASCONNW> connections(1);
    DWORD bytes = sizeof(RASCONNW), count = 0, status;
    do {  // the first call says how much room it needs
        connections.assign(bytes / sizeof(RASCONNW) + 1, {});
        for (RASCONNW& c : connections) c.dwSize = sizeof(RASCONNW);
        bytes = static_cast<DWORD>(connections.size() * sizeof(RASCONNW));
        status = RasEnumConnectionsW(connections.data(), &bytes, &count);
    } while (status == ERROR_BUFFER_TOO_SMALL && bytes > connections.size() * sizeof(RASCONNW));
    connections.resize(status == ERROR_SUCCESS ? count : 0);
    Sighting hungUp;
    for (const RASCONNW& c : connections) {
        const std::string name = Utf8(c.szEntryName);
        if (!HangsUp(question.choice, name) || RasHangUpW(c.hrasconn) != ERROR_SUCCESS) continue;
        // RAS needs time to close the port: a connection dialled again at once could fail.
        RASCONNSTATUSW state = {};
        state.dwSize = sizeof state;
        for (auto waited = std::chrono::milliseconds(0);
             waited < kHangUpWait - std::chrono::milliseconds(500) &&
             RasGetConnectStatusW(c.hrasconn, &state) != ERROR_INVALID_HANDLE;
             waited += std::chrono::milliseconds(50))
            Sleep(50);
        hungUp.connections.push_back({ConnectionSource::kRas, name, false, false});
    }
    return hungUp;
}

#include "win/ras_hang_up_win.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <vector>

#include "core/allowance.h"
#include "store/wide_text_win.h"
#include "win/ras_list_win.h"

Sighting HangUpRas(const ProbeQuestion& question) {
    Sighting hungUp;
    for (const RASCONNW& c : RasList<RASCONNW>(RasEnumConnectionsW)) {
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

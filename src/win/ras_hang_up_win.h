#pragma once
#include "core/probe_worker.h"

// For a ProbeWorker of its own: hangs up the RAS connections (dial-up, PPPoE, VPN) the question's
// choice counts, each waited for until RAS says it is gone, at most a few seconds; the answer lists
// those hung up. Network adapters are never switched off: that needs an administrator.
Sighting HangUpRas(const ProbeQuestion& question);
// How long a hang-up may take: the worker's destructor waits as long, so that the program does not
// end in the middle of one.
inline constexpr std::chrono::milliseconds kHangUpWait{3500};

#pragma once
#include "core/probe_worker.h"

// What Windows says of the connections a question asks about: the dial-up status value and RAS,
// the network adapters, the Network List Manager and its costs. The probe keeps its COM objects
// and the adapter it last found, and is called on one thread only, which it may block as long as
// Windows does; what it keeps lives as long as the probe, never in a static that the end of the
// process destroys under a call still hanging. With `readCounters`, it also reads the byte
// counters of what the question's choice counts (not for the menu's questions).
ProbeWorker::Probe ConnectionProbe(bool readCounters = true);

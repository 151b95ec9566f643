#pragma once
#include "core/probe_worker.h"

// What Windows says of the connections the question asks about: the dial-up status value and RAS,
// the network adapters, the Network List Manager and its costs. Called on one thread only: it
// keeps its COM objects and the adapter it last found there. It may block as long as Windows does.
Sighting ProbeConnections(const ProbeQuestion& question);

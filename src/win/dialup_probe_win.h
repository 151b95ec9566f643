#pragma once

// The registry's "Remote Connection" value where it exists; elsewhere, whether any dial-up
// connection is connected.
bool IsDialUpConnected();

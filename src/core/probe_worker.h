#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/connection.h"

struct ProbeQuestion {
    CountChoice choice;
    bool everything = false;  // every connection the system lists, for the choice's menu
    friend bool operator==(const ProbeQuestion&, const ProbeQuestion&) = default;
};

struct ProbeAnswer {
    Sighting seen;
    // Answered since the same question was last asked; else `seen` is the last answer, if any.
    bool fresh = false;
};

// Asks the system on a thread of its own, as a call into it can hang: the caller waits for the
// answer at most its patience, and not at all for a call that has taken longer, so a hung call
// never freezes the windows. Questions are asked in
// turn, each once however often it is asked meanwhile. The probe lives as long as the thread: one
// left hanging at the end never reaches freed memory.
class ProbeWorker {
  public:
    using Probe = std::function<Sighting(const ProbeQuestion&)>;
    ProbeWorker(Probe probe, std::chrono::milliseconds patience);
    ~ProbeWorker();
    ProbeWorker(const ProbeWorker&) = delete;
    ProbeWorker& operator=(const ProbeWorker&) = delete;
    ProbeAnswer Ask(const ProbeQuestion& question) { return Ask(question, patience_); }
    ProbeAnswer Ask(const ProbeQuestion& question, std::chrono::milliseconds patience);

  private:
    struct Shared;
    std::chrono::milliseconds patience_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

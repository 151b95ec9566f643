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

// Asks the system on a thread of its own, as a call into it can hang: the caller waits for the
// answer at most `patience`, and otherwise goes on with the last one, so a hung call never
// freezes the windows.
class ProbeWorker {
  public:
    using Probe = std::function<Sighting(const ProbeQuestion&)>;
    ProbeWorker(Probe probe, std::chrono::milliseconds patience);
    ~ProbeWorker();
    ProbeWorker(const ProbeWorker&) = delete;
    ProbeWorker& operator=(const ProbeWorker&) = delete;
    // A fresh answer when the probe gives it in time; else the last one to the same question,
    // or nothing seen. A question asked while the probe still works on one waits for nothing.
    Sighting Ask(const ProbeQuestion& question);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

#include "core/probe_worker.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

struct ProbeWorker::Shared {
    Probe probe;
    std::chrono::milliseconds patience;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<ProbeQuestion> asked;
    bool busy = false, stop = false, ended = false;
    uint64_t answers = 0;
    // One per question asked: a few, as each is a choice the user made.
    std::vector<std::pair<ProbeQuestion, Sighting>> last;

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || asked; });
            if (stop) break;
            const ProbeQuestion question = *std::exchange(asked, std::nullopt);
            busy = true;
            lock.unlock();
            Sighting seen = probe(question);
            lock.lock();
            busy = false;
            std::erase_if(last, [&](const auto& a) { return a.first == question; });
            last.emplace_back(question, std::move(seen));
            ++answers;
            changed.notify_all();
        }
        ended = true;
        changed.notify_all();
    }
};

ProbeWorker::ProbeWorker(Probe probe, std::chrono::milliseconds patience)
    : shared_(std::make_shared<Shared>()) {
    shared_->probe = std::move(probe);
    shared_->patience = patience;
    // The thread holds the state too: one left hanging at the end never reaches freed memory.
    thread_ = std::thread([shared = shared_] { shared->Run(); });
}

ProbeWorker::~ProbeWorker() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    // Ended, the thread no longer needs the lock; hung, it takes it after this returns.
    if (shared_->changed.wait_for(lock, shared_->patience, [&] { return shared_->ended; }))
        thread_.join();
    else
        thread_.detach();  // hung in the system: the process's end ends it
}

Sighting ProbeWorker::Ask(const ProbeQuestion& question) {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    if (!s.busy && !s.asked) {
        s.asked = question;
        s.changed.notify_all();
        const uint64_t before = s.answers;
        s.changed.wait_for(lock, s.patience, [&] { return s.answers != before; });
    }
    for (const auto& [asked, seen] : s.last)
        if (asked == question) return seen;
    return {};
}

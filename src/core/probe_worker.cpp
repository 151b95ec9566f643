#include "core/probe_worker.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

struct ProbeWorker::Shared {
    Probe probe;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<ProbeQuestion> queue;  // the first is being asked
    bool stop = false, ended = false, busy = false;
    std::chrono::steady_clock::time_point askedAt;  // of the call in progress
    struct Known {
        ProbeQuestion question;
        Sighting seen;
        uint64_t answers = 0, served = 0;  // given by the probe; handed to an asker
    };
    // A deque, so that a caller's reference stays valid while the thread adds another.
    std::deque<Known> known;

    Known& Of(const ProbeQuestion& question) {
        for (Known& k : known)
            if (k.question == question) return k;
        return known.emplace_back(Known{question, {}});
    }

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || !queue.empty(); });
            if (stop) break;
            const ProbeQuestion question = queue.front();
            busy = true;
            askedAt = std::chrono::steady_clock::now();
            lock.unlock();
            Sighting seen = probe(question);
            lock.lock();
            busy = false;
            queue.pop_front();
            Known& k = Of(question);
            k.seen = std::move(seen);
            ++k.answers;
            changed.notify_all();
        }
        ended = true;
        changed.notify_all();
    }
};

ProbeWorker::ProbeWorker(Probe probe, std::chrono::milliseconds patience)
    : patience_(patience), shared_(std::make_shared<Shared>()) {
    shared_->probe = std::move(probe);
    thread_ = std::thread([shared = shared_] { shared->Run(); });
}

ProbeWorker::~ProbeWorker() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    // Ended, the thread no longer needs the lock; hung, it takes it after this returns.
    if (shared_->changed.wait_for(lock, patience_, [&] { return shared_->ended; }))
        thread_.join();
    else
        thread_.detach();  // hung in the system: the process's end ends it
}

ProbeAnswer ProbeWorker::Ask(const ProbeQuestion& question, std::chrono::milliseconds patience) {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    Shared::Known& k = s.Of(question);
    if (std::find(s.queue.begin(), s.queue.end(), question) == s.queue.end()) {
        s.queue.push_back(question);
        s.changed.notify_all();
    }
    // A call in progress is waited for until it has taken as long as this asker would wait.
    auto until = std::chrono::steady_clock::now() + patience;
    if (s.busy) until = std::min(until, s.askedAt + patience);
    s.changed.wait_until(lock, until, [&] { return k.answers > k.served; });
    const bool fresh = k.answers > k.served;
    k.served = k.answers;
    return {k.seen, fresh};
}

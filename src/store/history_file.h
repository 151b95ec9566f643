#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/history.h"
#include "store/file_ops.h"

inline constexpr const char* kHistoryWhat = "history file";

// The history, only ever appended to, and the sessions not yet in it, replaced at each change.
struct HistoryPaths {
    std::string history;
    std::string session;
    std::string options;  // the options that are not in the settings file, beside them
};

// Appends one session's line, starting the file with its header. A last line that a crash cut off
// gets its line end first: it stays one line that cannot be read, and this one stays whole.
// Throws AppError naming the file.
void AppendSession(const std::string& path, const SessionRecord& session,
                   FileOps& ops = SystemFileOps());
// Throws AppError when the file exists but cannot be read; a missing file is an empty history.
HistoryRead LoadHistory(const std::string& path, FileOps& ops = SystemFileOps());

// The history and what waits beside it as they stand, read while the program may change them and
// changing nothing: the sessions not in the history yet, and the one in progress at its last
// checkpoint. Throws AppError naming the file that cannot be read.
struct HistorySnapshot {
    HistoryRead history;
    std::vector<SessionRecord> waiting;
    std::optional<SessionRecord> inProgress;
};
HistorySnapshot ReadHistorySnapshot(const HistoryPaths& paths, FileOps& ops);

// Every session reaches the history exactly once, whatever holds its file: a session that cannot
// be appended waits, beside the session in progress, in the second file, and is appended at the
// next chance. Failures are not thrown but kept as the problem to show.
//
// Once: the second file also keeps how long the history was before any of its sessions could be
// in it. Appends come in order, so what follows that point in the history, after a crash or an
// append that failed halfway, is the sessions appended since: those at the head of the waiting
// ones, each its whole line, then the end of the one that was in progress (of its start), and
// maybe the part of a line whose append was cut off, which goes.
class HistoryRecorder {
  public:
    explicit HistoryRecorder(const HistoryPaths& paths, FileOps& ops = SystemFileOps())
        : paths_(paths), ops_(ops) {}
    // At start: what a crash or an earlier failure left waiting.
    void Recover();
    // The session in progress, so that a crash loses at most the time since.
    void Checkpoint(const SessionRecord& current);
    void Record(const SessionRecord& ended);
    // Appends the sessions that wait; true when none is left.
    bool Flush();
    // The sessions not in the history yet.
    const std::vector<SessionRecord>& Waiting() const { return waiting_; }
    // What went wrong with the files at the last change, or "".
    std::string Problem() const {
        return appendProblem_ + (appendProblem_.empty() || saveProblem_.empty() ? "" : " ") +
               saveProblem_;
    }

  private:
    void DropAppended(std::string_view since);
    void SaveWaiting();

    const HistoryPaths& paths_;
    FileOps& ops_;
    std::vector<SessionRecord> waiting_;
    std::optional<SessionRecord> current_;
    std::optional<SessionRecord> keptInProgress_;  // a waiting one read as the session in progress
    std::optional<size_t> before_;                 // the history's length before any of them
    std::string appendProblem_, saveProblem_;
};

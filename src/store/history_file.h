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

// Appends one session's line, starting the file with its header, unless a line of the same start
// is already there: a session is never written twice. A last line that a crash cut off gets its
// line end first: it stays one line that cannot be read, and this one stays whole. Throws
// AppError naming the file.
void AppendSession(const std::string& path, const SessionRecord& session,
                   FileOps& ops = SystemFileOps());
// Throws AppError when the file exists but cannot be read; a missing file is an empty history.
HistoryRead LoadHistory(const std::string& path, FileOps& ops = SystemFileOps());

// Every session reaches the history exactly once, whatever holds its file: a session that cannot
// be appended waits, beside the session in progress, in the second file, and is appended at the
// next chance. Failures are not thrown but kept as the problem to show.
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
    size_t Waiting() const { return waiting_.size(); }
    // What went wrong with the files at the last change, or "".
    std::string Problem() const {
        return appendProblem_ + (appendProblem_.empty() || saveProblem_.empty() ? "" : " ") +
               saveProblem_;
    }

  private:
    void SaveWaiting();

    const HistoryPaths& paths_;
    FileOps& ops_;
    std::vector<SessionRecord> waiting_;
    std::optional<SessionRecord> current_;
    std::string appendProblem_, saveProblem_;
};

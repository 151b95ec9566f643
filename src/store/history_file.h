#pragma once
#include <string>

#include "core/history.h"
#include "store/file_ops.h"

inline constexpr const char* kHistoryWhat = "history file";

// The history, only ever appended to, and the session in progress, replaced at each checkpoint.
struct HistoryPaths {
    std::string history;
    std::string session;
};

// Appends one session's line, starting the file with its header. A last line that a crash cut
// off gets its line end first: it stays one line that cannot be read, and this one stays whole.
// Throws AppError naming the file.
void AppendSession(const std::string& path, const SessionRecord& session,
                   FileOps& ops = SystemFileOps());
void SaveSessionInProgress(const std::string& path, const SessionRecord& session);
// A session left in progress by a crash goes into the history; throws AppError.
void RecoverSessionInProgress(const HistoryPaths& paths);
// Throws AppError when the file exists but cannot be read; a missing file is an empty history.
HistoryRead LoadHistory(const std::string& path);

#include "store/history_file.h"

#include "core/app_error.h"
#include "store/text_file.h"

namespace {

AppError WriteError(const std::string& path, const std::string& reason) {
    return AppError(kErrFileAccess,
                    "The history file \"" + path + "\" could not be written: " + reason + ".");
}

}  // namespace

void AppendSession(const std::string& path, const SessionRecord& session, FileOps& ops) {
    // Read whole: years of history are a few hundred kilobytes, read once a session.
    const std::string old = ReadWholeFile(path, kHistoryWhat, ops).value_or("");
    const std::string start = FormatLocalTime(session.start) + ",";
    if (old.starts_with(start) || old.find("\n" + start) != std::string::npos) return;
    std::string bytes = old.empty()          ? std::string(kHistoryHeader) + "\r\n"
                        : old.back() != '\n' ? "\r\n"
                                             : "";
    bytes += FormatSessionLine(session) + "\r\n";
    std::string reason;
    std::FILE* f = ops.Open(path, "ab", reason);
    if (!f) throw WriteError(path, reason);
    const bool written = ops.WriteAll(f, bytes) && ops.FlushToDisk(f);
    if (std::fclose(f) != 0 || !written) throw WriteError(path, "the disk may be full");
}

HistoryRead LoadHistory(const std::string& path, FileOps& ops) {
    const auto bytes = ReadWholeFile(path, kHistoryWhat, ops);
    return bytes ? ParseHistory(*bytes) : HistoryRead{};
}

void HistoryRecorder::Recover() {
    try {
        waiting_ = LoadHistory(paths_.session, ops_).sessions;
    } catch (const AppError& e) {
        saveProblem_ = e.what();
        return;
    }
    Flush();
}

void HistoryRecorder::Checkpoint(const SessionRecord& current) {
    current_ = current;
    SaveWaiting();
}

void HistoryRecorder::Record(const SessionRecord& ended) {
    current_.reset();
    waiting_.push_back(ended);
    Flush();
}

bool HistoryRecorder::Flush() {
    appendProblem_.clear();
    for (; !waiting_.empty(); waiting_.erase(waiting_.begin())) {
        try {
            AppendSession(paths_.history, waiting_.front(), ops_);
        } catch (const AppError& e) {
            const size_t n = waiting_.size();
            appendProblem_ = std::to_string(n) + (n == 1 ? " session waits" : " sessions wait") +
                             " to be added to it: " + e.what() +
                             " The timer adds them as soon as the file can be written.";
            break;
        }
    }
    SaveWaiting();
    return waiting_.empty();
}

// A removal that fails costs nothing: appending the same session again adds no line.
void HistoryRecorder::SaveWaiting() {
    std::string lines;
    for (const SessionRecord& s : waiting_) lines += FormatSessionLine(s) + "\r\n";
    if (current_) lines += FormatSessionLine(*current_) + "\r\n";
    saveProblem_.clear();
    if (lines.empty()) {
        ops_.Remove(paths_.session);
        return;
    }
    try {
        WriteFileAtomically(paths_.session, lines, kHistoryWhat, ops_);
    } catch (const AppError& e) {
        saveProblem_ = e.what();
    }
}

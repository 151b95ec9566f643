#include "store/history_file.h"

#include "core/app_error.h"
#include "store/text_file.h"

namespace {

// Sessions are appended in the order they end: one already there is among the last lines, and a
// history of years stays quick to append to.
constexpr long kTailBytes = 1 << 16;

AppError WriteError(const std::string& path, const std::string& reason) {
    return AppError(kErrFileAccess,
                    "The history file \"" + path + "\" could not be written: " + reason + ".");
}

std::string Tail(const std::string& path, FileOps& ops) {
    if (ops.KindOf(path) == PathKind::kMissing) return "";
    std::string reason, bytes;
    std::FILE* f = ops.Open(path, "rb", reason);
    if (!f) throw WriteError(path, reason);
    if (std::fseek(f, -kTailBytes, SEEK_END) != 0) std::rewind(f);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw WriteError(path, "it could not be read");
    return bytes;
}

}  // namespace

void AppendSession(const std::string& path, const SessionRecord& session, FileOps& ops) {
    const std::string tail = Tail(path, ops);
    const std::string start = FormatLocalTime(session.start) + ",";
    if (tail.starts_with(start) || tail.find("\n" + start) != std::string::npos) return;
    std::string bytes = tail.empty()          ? std::string(kHistoryHeader) + "\r\n"
                        : tail.back() != '\n' ? "\r\n"
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

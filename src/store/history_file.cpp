#include "store/history_file.h"

#include <charconv>

#include "core/app_error.h"
#include "store/text_file.h"

namespace {

constexpr std::string_view kLengthKey = "history-bytes=", kInProgress = ",in-progress";

AppError WriteError(const std::string& path, const std::string& reason) {
    return AppError(kErrFileAccess,
                    "The history file \"" + path + "\" could not be written: " + reason + ".");
}

// Appends to `old`, the file's bytes, what it writes.
void Append(const std::string& path, const SessionRecord& session, std::string& old, FileOps& ops) {
    std::string bytes = old.empty()          ? std::string(kHistoryHeader) + "\r\n"
                        : old.back() != '\n' ? "\r\n"
                                             : "";
    bytes += FormatSessionLine(session) + "\r\n";
    std::string reason;
    std::FILE* f = ops.Open(path, "ab", reason);
    if (!f) throw WriteError(path, reason);
    const bool written = ops.WriteAll(f, bytes) && ops.FlushToDisk(f);
    if (std::fclose(f) != 0 || !written) throw WriteError(path, "the disk may be full");
    old += bytes;
}

struct WaitingFile {
    std::vector<SessionRecord> sessions;
    std::optional<size_t> historyBytes;       // the history's length before any of them
    std::optional<SessionRecord> inProgress;  // the last one, when it was kept in progress
};

WaitingFile ParseWaitingFile(std::string_view bytes) {
    WaitingFile file{ParseHistory(bytes).sessions, std::nullopt, std::nullopt};
    // Written by a version that did not keep the length: each is appended.
    const size_t at = bytes.rfind(kLengthKey);
    size_t length = 0;
    if (at != std::string::npos &&
        std::from_chars(bytes.data() + at + kLengthKey.size(), bytes.data() + bytes.size(), length)
                .ec == std::errc()) {
        file.historyBytes = length;
        if (bytes.find(kInProgress, at) != std::string::npos && !file.sessions.empty())
            file.inProgress = file.sessions.back();
    }
    return file;
}

// How many at the head of the waiting ones the history holds in `since`, what follows the length
// kept: in order, each as the next line that can be read.
size_t AppendedSince(std::string_view since, const std::vector<SessionRecord>& waiting,
                     const std::optional<SessionRecord>& inProgress) {
    const auto read = ParseHistory(since).sessions;
    size_t appended = 0;
    for (const SessionRecord& s : read) {
        if (appended == waiting.size()) break;
        const SessionRecord& w = waiting[appended];
        // The one in progress ended later than it was kept: the same start and connection.
        const bool kept = inProgress == w;
        if (!(s == w || (kept && s.start == w.start && s.connection == w.connection))) break;
        ++appended;
    }
    return appended;
}

}  // namespace

HistorySnapshot ReadHistorySnapshot(const HistoryPaths& paths, FileOps& ops) {
    // The waiting ones first: one the program adds meanwhile is then found in the history.
    WaitingFile file =
        ParseWaitingFile(ReadWholeFile(paths.session, kHistoryWhat, ops).value_or(""));
    const std::string bytes = ReadWholeFile(paths.history, kHistoryWhat, ops).value_or("");
    HistorySnapshot snapshot{ParseHistory(bytes), std::move(file.sessions), std::nullopt};
    std::vector<SessionRecord>& waiting = snapshot.waiting;
    if (file.historyBytes && *file.historyBytes <= bytes.size())
        waiting.erase(waiting.begin(),
                      waiting.begin() + static_cast<std::ptrdiff_t>(AppendedSince(
                                            std::string_view(bytes).substr(*file.historyBytes),
                                            waiting, file.inProgress)));
    if (file.inProgress && !waiting.empty() && waiting.back() == *file.inProgress) {
        snapshot.inProgress = waiting.back();
        waiting.pop_back();
    }
    return snapshot;
}

void AppendSession(const std::string& path, const SessionRecord& session, FileOps& ops) {
    std::string old = ReadWholeFile(path, kHistoryWhat, ops).value_or("");
    Append(path, session, old, ops);
}

HistoryRead LoadHistory(const std::string& path, FileOps& ops) {
    const auto bytes = ReadWholeFile(path, kHistoryWhat, ops);
    return bytes ? ParseHistory(*bytes) : HistoryRead{};
}

void HistoryRecorder::Recover() {
    std::string bytes;
    try {
        bytes = ReadWholeFile(paths_.session, kHistoryWhat, ops_).value_or("");
    } catch (const AppError& e) {
        saveProblem_ = e.what();
        return;
    }
    WaitingFile file = ParseWaitingFile(bytes);
    waiting_ = std::move(file.sessions);
    before_ = file.historyBytes;
    keptInProgress_ = file.inProgress;
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

void HistoryRecorder::DropAppended(std::string_view since) {
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(AppendedSince(
                                                            since, waiting_, keptInProgress_)));
}

bool HistoryRecorder::Flush() {
    appendProblem_.clear();
    try {
        std::string bytes = ReadWholeFile(paths_.history, kHistoryWhat, ops_).value_or("");
        // A history shorter than it was (edited, or replaced) holds none of them.
        if (before_ && *before_ <= bytes.size()) {
            DropAppended(std::string_view(bytes).substr(*before_));
            // What follows the last line end since is an append that was cut off: left there,
            // the next line's end would make it a line, which may read as a session.
            const size_t cut = bytes.find_last_of('\n') + 1;
            std::string reason;
            if (cut >= *before_ && cut < bytes.size()) {
                if (!ops_.Truncate(paths_.history, cut, reason))
                    throw WriteError(paths_.history, reason);
                bytes.resize(cut);
            }
        }
        for (; !waiting_.empty(); waiting_.erase(waiting_.begin())) {
            before_ = bytes.size();
            Append(paths_.history, waiting_.front(), bytes, ops_);
        }
        before_ = bytes.size();
    } catch (const AppError& e) {
        const size_t n = waiting_.size();
        if (n > 0)
            appendProblem_ = std::to_string(n) + (n == 1 ? " session waits" : " sessions wait") +
                             " to be added to it: " + e.what() +
                             " The timer adds them as soon as the file can be written.";
    }
    SaveWaiting();
    return waiting_.empty();
}

// A removal that fails costs nothing: what the file holds is in the history after the length it
// gives.
void HistoryRecorder::SaveWaiting() {
    std::string lines;
    for (const SessionRecord& s : waiting_) lines += FormatSessionLine(s) + "\r\n";
    if (current_) lines += FormatSessionLine(*current_) + "\r\n";
    saveProblem_.clear();
    if (lines.empty()) {
        ops_.Remove(paths_.session);
        return;
    }
    if (before_)
        lines += std::string(kLengthKey) + std::to_string(*before_) +
                 (current_ || (!waiting_.empty() && keptInProgress_ == waiting_.back())
                      ? std::string(kInProgress)
                      : "") +
                 "\r\n";
    try {
        WriteFileAtomically(paths_.session, lines, kHistoryWhat, ops_);
    } catch (const AppError& e) {
        saveProblem_ = e.what();
    }
}

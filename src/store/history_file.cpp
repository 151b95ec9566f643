#include "store/history_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/app_error.h"
#include "store/text_file.h"

namespace {

AppError WriteError(const std::string& path, const std::string& reason) {
    return AppError(kErrFileAccess, "The history file \"" + path +
                                        "\" could not be written: " + reason +
                                        ". The timer goes on counting; check that the disk is "
                                        "not full and the file is not read-only.");
}

}  // namespace

void AppendSession(const std::string& path, const SessionRecord& session, FileOps& ops) {
    std::FILE* f = std::fopen(path.c_str(), "a+b");
    if (!f) throw WriteError(path, std::strerror(errno));
    // Only the last byte is read: a history of years stays quick to append to.
    std::string bytes;
    if (std::fseek(f, -1, SEEK_END) != 0)
        bytes = std::string(kHistoryHeader) + "\r\n";
    else if (std::fgetc(f) != '\n')
        bytes = "\r\n";
    bytes += FormatSessionLine(session) + "\r\n";
    std::fseek(f, 0, SEEK_END);
    const bool written = ops.WriteAll(f, bytes) && ops.FlushToDisk(f);
    if (std::fclose(f) != 0 || !written) throw WriteError(path, "the disk may be full");
}

void SaveSessionInProgress(const std::string& path, const SessionRecord& session) {
    WriteFileAtomically(path, FormatSessionLine(session) + "\r\n", kHistoryWhat);
}

void RecoverSessionInProgress(const HistoryPaths& paths) {
    const auto bytes = ReadWholeFile(paths.session, kHistoryWhat);
    if (!bytes) return;
    const size_t end = bytes->find('\n');
    if (const auto session = ParseSessionLine(std::string_view(*bytes).substr(0, end)))
        AppendSession(paths.history, *session);
    std::remove(paths.session.c_str());
}

HistoryRead LoadHistory(const std::string& path) {
    const auto bytes = ReadWholeFile(path, kHistoryWhat);
    return bytes ? ParseHistory(*bytes) : HistoryRead{};
}

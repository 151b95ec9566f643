#include "store/text_file.h"

#include "core/app_error.h"

namespace {

AppError AccessError(const std::string& what, const std::string& path, const std::string& action,
                     const std::string& reason) {
    return AppError(kErrFileAccess, "The " + what + " \"" + path + "\" could not be " + action +
                                        ": " + reason +
                                        ". Check that the file and its folder exist, are not "
                                        "read-only and are not in use, then try again.");
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, const std::string& what,
                                         FileOps& ops) {
    const PathKind kind = ops.KindOf(path);
    if (kind == PathKind::kMissing) return std::nullopt;
    if (kind == PathKind::kFolder)
        throw AccessError(what, path, "read", "a folder stands where the file should be");
    std::string reason;
    std::FILE* f = ops.Open(path, "rb", reason);
    if (!f) throw AccessError(what, path, "opened", reason);
    std::string bytes;
    char buffer[16384];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw AccessError(what, path, "read", "the read failed");
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes, const std::string& what,
                         FileOps& ops) {
    const std::string temp = path + ".new";
    std::string reason;
    std::FILE* f = ops.Open(temp, "wb", reason);
    if (!f) throw AccessError(what, path, "written", reason);
    const bool written = ops.WriteAll(f, bytes);
    const bool flushed = written && ops.FlushToDisk(f);
    const bool closed = std::fclose(f) == 0;
    reason = "the disk may be full";
    if (!(written && flushed && closed) || !ops.Replace(temp, path, reason)) {
        ops.Remove(temp);
        throw AccessError(what, path, "written", reason);
    }
}

#include "store/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "app/app_error.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

AppError AccessError(const std::string& what, const std::string& path, const std::string& action,
                     const std::string& reason) {
    return AppError(kErrFileAccess, "The " + what + " " + Quoted(path) + " could not be " + action +
                                        ": " + reason +
                                        ". Check that the file and its folder exist, are not "
                                        "read-only and are not in use, then try again.");
}

enum class Kind { Missing, Folder, File };

// std::filesystem would triple the size of the program for this one question.
Kind KindOf(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::Missing
                                                                              : Kind::File;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::File;
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? Kind::Missing : Kind::File;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::File;
#endif
}

bool FlushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Replaces target with source; on Windows rename() refuses an existing target.
bool ReplaceWith(const std::string& source, const std::string& target, std::string& reason) {
#ifdef _WIN32
    // Said outright, as Windows refuses it; Wine running as root would replace it.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason = "the file is read-only";
        return false;
    }
    if (MoveFileExA(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
#else
    if (std::rename(source.c_str(), target.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
#endif
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, const std::string& what) {
    const Kind kind = KindOf(path);
    if (kind == Kind::Missing) return std::nullopt;
    if (kind == Kind::Folder)
        throw AccessError(what, path, "read", "a folder stands where the file should be");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw AccessError(what, path, "opened", std::strerror(errno));
    std::string bytes;
    char buffer[16384];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw AccessError(what, path, "read", "the read failed");
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes,
                         const std::string& what) {
    const std::string temp = path + ".new";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) throw AccessError(what, path, "written", std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool flushed = written && FlushToDisk(f);
    const bool closed = std::fclose(f) == 0;
    std::string reason = "the disk may be full";
    if (!(written && flushed && closed) || !ReplaceWith(temp, path, reason)) {
        std::remove(temp.c_str());
        throw AccessError(what, path, "written", reason);
    }
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/file_ops.h"

PathKind FileOps::KindOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? PathKind::kMissing : PathKind::kFile;
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

std::FILE* FileOps::Open(const std::string& path, const char* mode, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) reason = std::strerror(errno);
    return file;
}

bool FileOps::WriteAll(std::FILE* file, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileOps::FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool FileOps::Replace(const std::string& source, const std::string& target, std::string& reason) {
    if (std::rename(source.c_str(), target.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

void FileOps::Remove(const std::string& path) {
    std::remove(path.c_str());
}

bool FileOps::Truncate(const std::string& path, size_t size, std::string& reason) {
    if (truncate(path.c_str(), static_cast<off_t>(size)) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

std::FILE* ReadOnlyFileOps::Open(const std::string& path, const char* mode, std::string& reason) {
    if (std::string_view(mode) == "rb") return FileOps::Open(path, mode, reason);
    reason = kReadOnly;
    return nullptr;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

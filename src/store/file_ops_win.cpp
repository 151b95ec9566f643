#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <system_error>

#include "store/file_ops.h"
#include "store/wide_text_win.h"

namespace {

std::string ReasonFor(DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return "another program has it open";
    return std::system_category().message(static_cast<int>(error));
}

}  // namespace

// std::filesystem would triple the size of the program for these few questions.
PathKind FileOps::KindOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::kMissing
                                                                              : PathKind::kFile;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::kFolder : PathKind::kFile;
}

std::FILE* FileOps::Open(const std::string& path, const char* mode, std::string& reason) {
    SetLastError(ERROR_SUCCESS);
    std::FILE* file = _wfopen(WidePath(path).c_str(), Wide(mode).c_str());
    // The runtime keeps the system's error, which tells a file in use from one read-only.
    if (!file) reason = ReasonFor(GetLastError());
    return file;
}

bool FileOps::WriteAll(std::FILE* file, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileOps::FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool FileOps::Replace(const std::string& source, const std::string& target, std::string& reason) {
    const std::wstring from = WidePath(source), to = WidePath(target);
    // Said outright, as Windows refuses it; Wine running as root would replace it.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason = "the file is read-only";
        return false;
    }
    // Antivirus, backup and indexing programs hold a file open for a moment: wait them out.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) Sleep(50);
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
            error != ERROR_LOCK_VIOLATION)
            break;
    }
    reason = ReasonFor(error);
    return false;
}

void FileOps::Remove(const std::string& path) {
    DeleteFileW(WidePath(path).c_str());
}

bool FileOps::Truncate(const std::string& path, size_t size, std::string& reason) {
    HANDLE file =
        CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    const bool cut = file != INVALID_HANDLE_VALUE &&
                     SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    if (!cut) reason = ReasonFor(GetLastError());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return cut;
}

// The runtime's fopen does not share deletion: the program could not replace a file held so.
std::FILE* ReadOnlyFileOps::Open(const std::string& path, const char* mode, std::string& reason) {
    if (std::string_view(mode) != "rb") {
        reason = kReadOnly;
        return nullptr;
    }
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = ReasonFor(GetLastError());
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    std::FILE* stream = fd == -1 ? nullptr : _fdopen(fd, "rb");
    if (!stream) {
        reason = "the file could not be read";
        fd == -1 ? CloseHandle(file) : _close(fd);
    }
    return stream;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

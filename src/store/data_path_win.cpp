#include <windows.h>

#include <shlobj.h>

#include "store/data_path.h"
#include "store/wide_text_win.h"

namespace {

// SHCreateDirectoryEx stops at 260 characters; a folder may be made where it already is.
void CreateFolders(const std::string& folder) {
    for (size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
        CreateDirectoryW(WidePath(folder.substr(0, at)).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

std::string LocalAppData() {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)))
        folder = Utf8(path);
    CoTaskMemFree(path);
    return folder;
}

class WindowsFileSystem : public FileSystemProbe {
  public:
    bool Exists(const std::string& path) override {
        return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The file is replaced through a new file beside it, so both must be possible.
    bool CanWrite(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return false;
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            HANDLE file =
                CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            CloseHandle(file);
        }
        // The temporary file of the save; one left by a crash may be overwritten.
        HANDLE file = CreateFileW(WidePath(path + ".new").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }
    void CreateFolderOf(const std::string& path) override {
        CreateFolders(path.substr(0, path.find_last_of('\\')));
    }
    bool Copy(const std::string& from, const std::string& to) override {
        // The copy is the user's own to write, whatever the attributes of the original.
        return CopyFileW(WidePath(from).c_str(), WidePath(to).c_str(), TRUE) &&
               SetFileAttributesW(WidePath(to).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
};

// The program reads a fixed file it cannot write through the copy it makes of it: the same bytes.
class ReadingFileSystem : public WindowsFileSystem {
  public:
    bool CanWrite(const std::string&) override { return true; }
    void CreateFolderOf(const std::string&) override {}
    bool Copy(const std::string&, const std::string&) override { return false; }
};

}  // namespace

std::string PerUserCopy(const std::string& fixedPath) {
    const std::string appData = LocalAppData();
    if (appData.empty()) return "";
    return appData + "\\VirtualStore\\Windows" + fixedPath.substr(fixedPath.find_last_of('\\'));
}

DataPaths ResolveDataPaths() {
    WindowsFileSystem fs;
    return ResolveDataPaths({}, {PerUserCopy(kSettingsPath), PerUserCopy(kLogPath)}, fs);
}

DataPaths FindDataPaths() {
    ReadingFileSystem fs;
    return ResolveDataPaths({}, {PerUserCopy(kSettingsPath), PerUserCopy(kLogPath)}, fs);
}

HistoryPaths FindHistoryPaths() {
    const std::string appData = LocalAppData();
    if (appData.empty()) return {};
    const std::string folder = appData + "\\Velmora Online Timer";
    return {folder + "\\history.csv", folder + "\\session-in-progress.csv",
            folder + "\\options.ini"};
}

HistoryPaths ResolveHistoryPaths() {
    const HistoryPaths paths = FindHistoryPaths();
    if (!paths.history.empty()) CreateFolders(paths.history.substr(0, paths.history.rfind('\\')));
    return paths;
}

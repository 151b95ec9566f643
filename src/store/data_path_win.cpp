#include <windows.h>

#include <shlobj.h>

#include "store/data_path.h"

namespace {

class WindowsFileSystem : public FileSystemProbe {
  public:
    bool Exists(const std::string& path) override {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The file is replaced through a new file beside it, so both must be possible.
    bool CanWrite(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return false;
        if (Exists(path)) {
            HANDLE file =
                CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            CloseHandle(file);
        }
        // The temporary file of the save; one left by a crash may be overwritten.
        const std::string probe = path + ".new";
        HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }
    void CreateFolderOf(const std::string& path) override {
        const std::string folder = path.substr(0, path.find_last_of('\\'));
        SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    }
    bool Copy(const std::string& from, const std::string& to) override {
        // The copy is the user's own to write, whatever the attributes of the original.
        return CopyFileA(from.c_str(), to.c_str(), TRUE) &&
               SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
};

}  // namespace

std::string PerUserCopy(const std::string& fixedPath) {
    char appData[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData))) return "";
    return std::string(appData) + "\\VirtualStore\\Windows" +
           fixedPath.substr(fixedPath.find_last_of('\\'));
}

DataPaths ResolveDataPaths() {
    WindowsFileSystem fs;
    return ResolveDataPaths({}, {PerUserCopy(kSettingsPath), PerUserCopy(kLogPath)}, fs);
}

HistoryPaths ResolveHistoryPaths() {
    char appData[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData))) return {};
    const std::string folder = std::string(appData) + "\\Velmora Online Timer";
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    return {folder + "\\history.csv", folder + "\\session-in-progress.csv"};
}

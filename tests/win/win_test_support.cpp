#include "win_test_support.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "win/stats_window_win.h"

std::string ReadFileBytes(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::string TakeMessageBox(DWORD processId, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50, Sleep(50)) {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != processId || !IsWindowVisible(w)) continue;
            const std::string text = WindowText(w) + "\n" + WindowText(GetDlgItem(w, 0xFFFF));
            PostMessageA(w, WM_COMMAND, IDOK, 0);
            return text;
        }
    }
    return "";
}

void SetRemoteConnection(std::optional<DWORD> value) {
    const char* key = "System\\CurrentControlSet\\Services\\RemoteAccess";
    if (!value) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
        return;
    }
    HKEY opened;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr);
    RegSetValueExA(opened, "Remote Connection", 0, REG_DWORD, reinterpret_cast<BYTE*>(&*value),
                   sizeof(DWORD));
    RegCloseKey(opened);
}

ProgramFiles FilesInUse() {
    HANDLE probe = CreateFileA("c:\\windows\\tavo-test.tmp", GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return {PerUserCopy(kSettingsPath), PerUserCopy(kLogPath), true};
    CloseHandle(probe);
    return {kSettingsPath, kLogPath, false};
}

void RemoveProgramFiles() {
    const ProgramFiles files = FilesInUse();
    for (const std::string& path : {files.settings, files.log, files.history.history,
                                    files.history.session, PerUserCopy(kSettingsPath)}) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());
    }
    const std::string copy = PerUserCopy(kLogPath);
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(copy.substr(0, copy.find_last_of('\\')).c_str());
}

TimerProcess::TimerProcess() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path);
    exe = exe.substr(0, exe.find_last_of('\\')) + "\\OnlineTimer.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                   &process_);
}

TimerProcess::~TimerProcess() {
    Kill();
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

HWND TimerProcess::Window(const char* cls, const char* caption) const {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == Id()) return (found = w) != nullptr;
        }
        return false;
    });
    return found;
}

int TimerProcess::TotalShown() const {
    int d = 0, h = 0, m = 0, s = 0;
    sscanf(WindowText(GetDlgItem(Stats(), StatsWindow::kTotalLabel)).c_str(), "%d:%d:%d:%d", &d, &h,
           &m, &s);
    return ((d * 24 + h) * 60 + m) * 60 + s;
}

void TimerProcess::Tray(unsigned mouseMessage) const {
    PostMessageA(FindWindowExA(Main(), nullptr, "OnlineTimer.TrayIcon", nullptr), WM_MOUSEMOVE, 1,
                 mouseMessage);
}

#include "win_test_support.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "store/data_path.h"
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
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

std::string TakeMessageBox(DWORD processId, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != processId || !IsWindowVisible(w)) continue;
            const std::string text = WindowText(w) + "\n" + WindowText(GetDlgItem(w, 0xFFFF));
            PostMessageA(w, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(50);
    }
    return "";
}

bool SetRemoteConnection(std::optional<DWORD> value) {
    const char* key = "System\\CurrentControlSet\\Services\\RemoteAccess";
    if (!value) return RegDeleteKeyA(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS;
    HKEY opened;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(opened, "Remote Connection", 0, REG_DWORD,
                                       reinterpret_cast<BYTE*>(&*value), sizeof(DWORD));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

int Seconds(const std::string& text) {
    int d = 0, h = 0, m = 0, s = 0;
    sscanf(text.c_str(), "%d:%d:%d:%d", &d, &h, &m, &s);
    return ((d * 24 + h) * 60 + m) * 60 + s;
}

ProgramFiles FilesInUse() {
    // Whether this account may create files in the Windows folder.
    const std::string probe = "c:\\windows\\tavo-test.tmp";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return {kSettingsPath, kLogPath, false, ResolveHistoryPaths()};
    }
    return {PerUserCopy(kSettingsPath), PerUserCopy(kLogPath), true, ResolveHistoryPaths()};
}

void RemoveProgramFiles() {
    for (const char* path : {kSettingsPath, kLogPath}) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
        RemoveDirectoryA(path);
        DeleteFileA(PerUserCopy(path).c_str());
    }
    const HistoryPaths history = ResolveHistoryPaths();
    DeleteFileA(history.history.c_str());
    DeleteFileA(history.session.c_str());
    // As on a new account, where Windows has redirected no write yet.
    const std::string copy = PerUserCopy(kLogPath);
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
    if (!process_.hProcess) return;
    if (Running()) Kill();
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

HWND TimerProcess::Window(const char* cls, const char* caption, int timeoutMs) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == Id()) return (found = w) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

int TimerProcess::TotalShown() const {
    return Seconds(WindowText(GetDlgItem(Stats(), StatsWindow::kTotalLabel)));
}

void TimerProcess::Tray(unsigned mouseMessage) const {
    HWND icon = FindWindowExA(Main(), nullptr, "OnlineTimer.TrayIcon", nullptr);
    PostMessageA(icon, WM_MOUSEMOVE, 1, mouseMessage);
}

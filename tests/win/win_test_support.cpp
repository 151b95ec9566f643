#include "win_test_support.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

std::string ReadFileBytes(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string WindowText(HWND hwnd) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

HWND WindowOf(DWORD pid, const char* cls, const char* caption, bool shown, int ms) {
    for (int waited = 0; waited <= ms; waited += 20, Sleep(20))
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && (!shown || IsWindowVisible(w))) return w;
        }
    return nullptr;
}

std::string TakeMessageBox(DWORD processId, int timeoutMs) {
    HWND box = WindowOf(processId, "#32770", nullptr, true, timeoutMs);  // filled in when shown
    const std::string text = WindowText(box) + "\n" + WindowText(GetDlgItem(box, 0xFFFF));
    return box && PostMessageA(box, WM_COMMAND, IDOK, 0) ? text : "";
}

void SetRemoteConnection(DWORD value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\RemoteAccess",
                    "Remote Connection", REG_DWORD, &value, sizeof value);
}

TimerProcess::TimerProcess() {
    char command[] = "OnlineTimer.exe";  // found beside the test first
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
}

int TimerProcess::TotalShown() const {
    int d = 0, h = 0, m = 0, s = 0;
    sscanf(WindowText(GetDlgItem(Stats(), StatsWindow::kTotalLabel)).c_str(), "%d:%d:%d:%d", &d, &h,
           &m, &s);
    return ((d * 24 + h) * 60 + m) * 60 + s;
}

#include "win_test_support.h"

#include <fstream>
#include <sstream>

std::string ReadFileBytes(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
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

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char cls[32];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770") return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

std::string TakeMessageBox(DWORD processId, int timeoutMs) {
    Search search = {processId, nullptr};
    for (int waited = 0; waited < timeoutMs && !search.found; waited += 50) {
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    if (!search.found) return "";
    const std::string text =
        WindowText(search.found) + "\n" + WindowText(GetDlgItem(search.found, 0xFFFF));
    PostMessageA(search.found, WM_COMMAND, IDOK, 0);
    return text;
}

// A helper for scripts that look at the program under Wine:
//   win_send post CLASS CAPTION MSG WPARAM LPARAM [CHILD_CLASS [CHILD_CAPTION]]
//                                                                 posts a message to a window
//   win_send rect CLASS CAPTION                                   prints the screen rectangle of
//                                                                 all such windows shown
// CLASS or CAPTION "-" matches any.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string verb = argv[1];
    const char* cls = std::string(argv[2]) == "-" ? nullptr : argv[2];
    const char* caption = std::string(argv[3]) == "-" ? nullptr : argv[3];
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i, Sleep(50)) window = FindWindowA(cls, caption);
    if (!window) return 1;
    if (verb == "rect") {  // a menu and its submenu are two windows
        RECT r;
        GetWindowRect(window, &r);
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption));) {
            RECT more;
            if (IsWindowVisible(w) && GetWindowRect(w, &more)) UnionRect(&r, &r, &more);
        }
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (verb != "post" || argc < 7) return 2;
    if (argc > 7) window = FindWindowExA(window, nullptr, argv[7], argc > 8 ? argv[8] : nullptr);
    return PostMessageA(window, static_cast<UINT>(std::atoi(argv[4])),
                        static_cast<WPARAM>(std::atoi(argv[5])), std::atoi(argv[6]))
               ? 0
               : 1;
}

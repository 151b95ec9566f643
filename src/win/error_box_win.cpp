#include "win/error_box_win.h"

#include <string>

void ReportError(const AppError& error, HWND owner) {
    const std::string text = error.what();
    const std::string caption =
        std::string(kProgramTitle) + " - error " + std::to_string(error.Number());
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

#include "win/error_box_win.h"

#include <string>

#include "store/wide_text_win.h"

void ReportError(const AppError& error, HWND owner) {
    const std::string text = error.what();
    const std::string caption =
        std::string(kProgramTitle) + " - error " + std::to_string(error.Number());
    MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

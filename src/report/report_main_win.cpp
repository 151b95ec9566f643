// The report command: finds the program's files as the program does, reads them without writing
// anything, and hands them to the portable report.
#include <windows.h>

#include "core/app_error.h"
#include "core/report.h"
#include "store/data_path.h"
#include "store/history_file.h"
#include "store/log_file.h"
#include "store/options_file.h"
#include "store/wide_text_win.h"
#include "win/clock_win.h"
#include "win/program_win.h"

namespace {

// A console shows UTF-16 whatever its code page; a file or a pipe gets the UTF-8 bytes.
void Write(DWORD which, const std::string& utf8) {
    const HANDLE handle = GetStdHandle(which);
    if (utf8.empty() || handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Wide(utf8);
        // Older consoles refuse a long write at once.
        for (size_t at = 0; at < wide.size(); at += written) {
            const DWORD part = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 8192));
            if (!WriteConsoleW(handle, wide.data() + at, part, &written, nullptr) || written == 0)
                return;
        }
        return;
    }
    // A pipe may take part of it at a time.
    for (size_t at = 0; at < utf8.size(); at += written)
        if (!WriteFile(handle, utf8.data() + at, static_cast<DWORD>(utf8.size() - at), &written,
                       nullptr) ||
            written == 0)
            return;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));

    ReportInputs in;
    ReadOnlyFileOps ops;
    const HistoryPaths paths = FindHistoryPaths();
    in.historyPath = paths.history;
    try {
        HistorySnapshot snapshot = ReadHistorySnapshot(paths, ops);
        in.history = std::move(snapshot.history);
        in.waiting = std::move(snapshot.waiting);
        in.inProgress = snapshot.inProgress;
    } catch (const AppError& e) {
        in.historyError = e.what();
    }
    try {
        in.total = LoadLogTotal(FindDataPaths().log, ops).value_or(LogRecord{}).total;
        in.allowance = LoadMoreOptions(paths.options, ops).allowance;
    } catch (const AppError& e) {
        in.statusError = e.what();
    }
    in.now = WindowsClock().Now();
    in.running = FindWindowA(kMainWindowClass, nullptr) != nullptr;

    const ReportOutput report = RunReport(args, in);
    Write(STD_OUTPUT_HANDLE, report.out);
    Write(STD_ERROR_HANDLE, report.err);
    return report.exitCode;
}

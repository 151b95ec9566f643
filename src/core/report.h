#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/allowance.h"
#include "core/history.h"

// What the report command reads from the program's files, and when.
struct ReportInputs {
    std::string historyPath{};  // named where lines of it could not be read
    HistoryRead history{};
    std::vector<SessionRecord> waiting{};       // not in the history yet
    std::optional<SessionRecord> inProgress{};  // as at its last checkpoint
    int32_t total = 0;                          // the log
    Allowance allowance{};
    LocalTime now{};
    bool running = false;
    // Why the history's files, or the total and the allowance (only the status needs them), could
    // not be read; "" when they were.
    std::string historyError{}, statusError{};
};

struct ReportOutput {
    int exitCode = 0;  // 1: a file could not be read; 2: the command line is wrong
    std::string out, err;
    friend bool operator==(const ReportOutput&, const ReportOutput&) = default;
};

// The command line after the program's name, in UTF-8, as "--help" tells it; the output in UTF-8
// with CR LF line ends.
ReportOutput RunReport(const std::vector<std::string>& args, const ReportInputs& inputs);

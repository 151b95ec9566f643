#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/allowance.h"
#include "core/connection.h"
#include "store/file_ops.h"

// The options that are not in the settings file, which older versions and users' scripts read:
// "options.ini" beside the history, as "key=value" lines. Lines this version does not know are
// kept as they stand, so that an older or newer version can read the file too.
struct MoreOptions {
    Allowance allowance;
    AllowanceWarnings lastWarnings;
    CountChoice counted;
    std::string unknownLines;  // each with its line end
    friend bool operator==(const MoreOptions&, const MoreOptions&) = default;
};

// A value that cannot be read is left at its default, never an error: the file is a convenience.
MoreOptions ParseMoreOptions(std::string_view bytes);
std::string FormatMoreOptions(const MoreOptions& options);

// A missing file gives the defaults; throws AppError naming the file when it cannot be read.
MoreOptions LoadMoreOptions(const std::string& path, FileOps& ops = SystemFileOps());
// Written in one step; throws AppError naming the file.
void SaveMoreOptions(const MoreOptions& options, const std::string& path,
                     FileOps& ops = SystemFileOps());

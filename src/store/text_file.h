#pragma once
#include <optional>
#include <string>

#include "store/file_ops.h"

// The whole file, or nullopt when there is no such file. Throws AppError when it exists but
// cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, const std::string& what,
                                         FileOps& ops = SystemFileOps());

// Replaces the file in one step: a crash leaves either the old content or the new, never a
// truncated file. Throws AppError naming the file when it cannot be written; the file is then
// as it was.
void WriteFileAtomically(const std::string& path, const std::string& bytes, const std::string& what,
                         FileOps& ops = SystemFileOps());

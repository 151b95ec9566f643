#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/app_error.h"
#include "store/data_path.h"
#include "store/history_file.h"

namespace fs = std::filesystem;

inline void PrintTo(const SessionRecord& s, std::ostream* out) {  // a failure says which
    *out << FormatSessionLine(s);
}

inline const std::string kAdvice =
    ". Check that the file and its folder exist, are not read-only and are not in use, then try "
    "again.";

// "number text" of the AppError that f throws, or "" when it throws none.
inline std::string ErrorOf(auto f) try { return f(), ""; } catch (const AppError& e) {
    return std::to_string(e.Number()) + " " + e.what();
}

// A folder of its own: the mutation tool runs copies of these tests side by side.
class FilesTest : public ::testing::Test {
  protected:
    FilesTest() { fs::create_directories(dir); }
    ~FilesTest() override { fs::remove_all(dir); }
    static void Write(const std::string& p, const std::string& b) { std::ofstream(p) << b; }
    static auto OpenFiles() { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); }
    static std::string Read(const std::string& p) {
        return {std::istreambuf_iterator<char>(std::ifstream(p).rdbuf()), {}};
    }
    const fs::path dir = fs::temp_directory_path() / ("files-test-" + std::to_string(getpid()));
    const DataPaths paths{(dir / "tavo.ini").string(), (dir / "tavo.dat").string()};
};

// File calls that fail as a test asks: appends held, creating refused, writes cut, flushes,
// replaces and removes failing; a path that is no file said to be one.
struct FaultyOps : FileOps {
    bool held{}, full{}, removeFails{}, flushFails{}, inUse{}, notAFile{};
    size_t cut = 0;      // the bytes each write gets through, if set
    int heldAfter = -1;  // the appends let through before they are held, if set
    PathKind KindOf(const std::string& p) override {
        return notAFile ? PathKind::kFile : FileOps::KindOf(p);
    }
    std::FILE* Open(const std::string& p, const char* mode, std::string& reason) override {
        held |= mode[0] == 'a' && heldAfter-- == 0;
        if ((held && mode[0] == 'a') || (full && mode[0] == 'w'))
            return reason = mode[0] == 'a' ? "another program has it open" : "the disk is full",
                   nullptr;
        return FileOps::Open(p, mode, reason);
    }
    bool WriteAll(std::FILE* f, std::string_view bytes) override {
        return FileOps::WriteAll(f, bytes.substr(0, cut ? cut : bytes.npos)) && !cut;
    }
    bool FlushToDisk(std::FILE* f) override { return !flushFails && std::fflush(f) == 0; }
    bool Replace(const std::string& s, const std::string& t, std::string& reason) override {
        return inUse ? (reason = "it is in use", false) : FileOps::Replace(s, t, reason);
    }
    void Remove(const std::string& p) override {
        if (!removeFails) FileOps::Remove(p);
    }
};

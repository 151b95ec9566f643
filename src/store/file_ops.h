#pragma once
#include <cstdio>
#include <string>
#include <string_view>

enum class PathKind { kMissing, kFolder, kFile };

// The platform's part of reading and replacing a file; paths are UTF-8. Each platform has one;
// tests derive from it to make a step fail.
class FileOps {
  public:
    virtual ~FileOps() = default;
    virtual PathKind KindOf(const std::string& path);
    // fopen's modes; on failure, reason says why.
    virtual std::FILE* Open(const std::string& path, const char* mode, std::string& reason);
    virtual bool WriteAll(std::FILE* file, std::string_view bytes);
    // Through the C library's buffer and the system's cache, onto the disk.
    virtual bool FlushToDisk(std::FILE* file);
    // Replaces target with source in one step; on failure, reason says why.
    virtual bool Replace(const std::string& source, const std::string& target, std::string& reason);
    // Nothing to say when it fails: what is left is harmless.
    virtual void Remove(const std::string& path);
    // Cuts the file to its first `size` bytes; on failure, reason says why.
    virtual bool Truncate(const std::string& path, size_t size, std::string& reason);
};

FileOps& SystemFileOps();

// For a reader beside the running program: a file is opened for reading only, and shared so that
// the program can append to it and replace it meanwhile. Every write is refused.
class ReadOnlyFileOps : public FileOps {
  public:
    std::FILE* Open(const std::string& path, const char* mode, std::string& reason) override;
    bool WriteAll(std::FILE*, std::string_view) override { return false; }
    bool FlushToDisk(std::FILE*) override { return false; }
    bool Replace(const std::string&, const std::string&, std::string& reason) override {
        return reason = kReadOnly, false;
    }
    void Remove(const std::string&) override {}
    bool Truncate(const std::string&, size_t, std::string& reason) override {
        return reason = kReadOnly, false;
    }
    static constexpr const char* kReadOnly = "files are only read here";
};

#pragma once
#include <string>

// What deciding where a file lives needs from the file system.
class FileSystemProbe {
  public:
    virtual ~FileSystemProbe() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Whether the file can be created or replaced where it stands.
    virtual bool CanWrite(const std::string& path) = 0;
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
};

// Where a data file is used: the per-user copy when it exists; else the fixed path when it can be
// written; else the per-user copy, seeded from the fixed-path file when there is one. This is
// what Windows does for old programs that write under the Windows folder.
std::string ResolveDataPath(const std::string& fixedPath, const std::string& perUserPath,
                            FileSystemProbe& fs);

#pragma once
#include <string>

#include "store/history_file.h"
#include "store/log_file.h"
#include "store/settings_file.h"

// What deciding where the files live needs from the file system.
class FileSystemProbe {
  public:
    virtual ~FileSystemProbe() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Whether the file can be created or replaced where it stands.
    virtual bool CanWrite(const std::string& path) = 0;
    virtual void CreateFolderOf(const std::string& path) = 0;
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
};

// Where the two files are used in this run, decided once at start-up.
struct DataPaths {
    std::string settings = kSettingsPath;
    std::string log = kLogPath;
};

// Where each file is used: its per-user copy when that exists; else the fixed path when it can
// be written; else the per-user copy, in a folder made for it. This is what Windows does for old
// programs that write under the Windows folder. The fixed files seed the copies on first use
// only, when neither copy exists: a copy the user deleted starts from the default, not from an
// old total that Windows kept.
DataPaths ResolveDataPaths(const DataPaths& fixed, const DataPaths& perUser, FileSystemProbe& fs);

// The same for this machine's files (Windows only).
DataPaths ResolveDataPaths();
// Where Windows keeps a user's copy of a file under its own folder (Windows only).
std::string PerUserCopy(const std::string& fixedPath);
// The history's files in the user's own application data folder, made when missing (Windows
// only); empty paths when there is no such folder.
HistoryPaths ResolveHistoryPaths();
// Where a reader finds the files the program uses, making and copying nothing: the per-user copy
// when it exists, else the fixed path, and the history's files (Windows only).
DataPaths FindDataPaths();
HistoryPaths FindHistoryPaths();

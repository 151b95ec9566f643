#include "store/data_path.h"

namespace {

std::string Resolve(const std::string& fixed, const std::string& perUser, bool firstUse,
                    FileSystemProbe& fs) {
    if (perUser.empty() || fs.Exists(perUser)) return perUser.empty() ? fixed : perUser;
    if (fs.CanWrite(fixed)) return fixed;
    // Windows makes the folder only when it first redirects a write; a new user has none.
    fs.CreateFolderOf(perUser);
    // A copy that failed would start the user from defaults: keep reading the old file instead,
    // and let its save report the problem.
    if (firstUse && fs.Exists(fixed) && !fs.Copy(fixed, perUser)) return fixed;
    return perUser;
}

}  // namespace

DataPaths ResolveDataPaths(const DataPaths& fixed, const DataPaths& perUser, FileSystemProbe& fs) {
    const bool firstUse = !fs.Exists(perUser.settings) && !fs.Exists(perUser.log);
    return {Resolve(fixed.settings, perUser.settings, firstUse, fs),
            Resolve(fixed.log, perUser.log, firstUse, fs)};
}

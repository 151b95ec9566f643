#include "store/data_path.h"

std::string ResolveDataPath(const std::string& fixedPath, const std::string& perUserPath,
                            FileSystemProbe& fs) {
    if (perUserPath.empty()) return fixedPath;
    if (fs.Exists(perUserPath)) return perUserPath;
    if (fs.CanWrite(fixedPath)) return fixedPath;
    // A copy that failed would start the user from defaults: keep reading the old file instead,
    // and let its save report the problem.
    if (fs.Exists(fixedPath) && !fs.Copy(fixedPath, perUserPath)) return fixedPath;
    return perUserPath;
}

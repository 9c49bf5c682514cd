#include "support/ConfigFolder.h"

#include "support/NXFiles.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

bool IsAbsolute(const std::optional<std::string>& path) {
    return path && !path->empty() && path->front() == kPathDelim;
}

} // namespace

bool FolderWritable(const std::string& folder) {
    // access() also answers for a read-only mount, where even root may not write.
    return FolderExists(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

ConfigLookups SystemConfigLookups() {
    ConfigLookups lookups;
    lookups.variable = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value)
            return std::nullopt;
        return std::string(value);
    };
    lookups.writable = FolderWritable;
    lookups.installed = [](const std::string& folder) {
        return FileExists(folder + kInstalledMarkerName);
    };
    return lookups;
}

std::string ConfigFolder(const std::string& programFolder, const ConfigLookups& lookups) {
    if (lookups.writable(programFolder) && !lookups.installed(programFolder))
        return programFolder;
    // XDG: a relative value is invalid and is to be ignored.
    std::optional<std::string> base = lookups.variable("XDG_CONFIG_HOME");
    if (!IsAbsolute(base)) {
        std::optional<std::string> home = lookups.variable("HOME");
        if (!IsAbsolute(home))
            return programFolder;
        base = AddTrailingBackslash(*home) + ".config";
    }
    return AddTrailingBackslash(AddTrailingBackslash(*base) + kConfigFolderName);
}

bool MakeConfigFolder(const std::string& folder) {
    if (folder.empty())
        return false;
    std::string path;
    size_t start = 0;
    // Step by step from the root: each missing folder is made in turn.
    while (start < folder.size()) {
        size_t end = folder.find(kPathDelim, start);
        if (end == std::string::npos)
            end = folder.size();
        path = folder.substr(0, end + 1);
        start = end + 1;
        if (path.size() <= 1 || FolderExists(path))
            continue;
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return FolderExists(folder);
}

} // namespace tw

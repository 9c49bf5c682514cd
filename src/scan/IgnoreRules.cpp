#include "scan/IgnoreRules.h"

#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <sys/stat.h>

namespace tw {

IgnoreRules::IgnoreRules(const TMapProfile& profile) {
    // The finder reports expanded paths, so entries are expanded alike: two
    // spellings of one folder are one folder.
    for (const auto& f : SplitLineList(profile.IgnoreFolders()))
        if (!f.empty())
            folders_.insert(AsciiLowerCase(ExpandFileName(f)));
    for (const auto& f : SplitLineList(profile.IgnoreFiles()))
        if (!f.empty())
            files_.insert(AsciiLowerCase(ExpandFileName(f)));
}

bool IgnoreRules::FolderIgnored(const std::string& folder) const {
    return folders_.count(AsciiLowerCase(folder)) != 0;
}

bool IgnoreRules::FileIgnored(const std::string& path) const {
    return files_.count(AsciiLowerCase(path)) != 0;
}

bool IgnoreRules::IsSiteFile(const std::string& siteFolder, const std::string& path) const {
    if (siteFolder.empty() || path.size() <= siteFolder.size() || !path.starts_with(siteFolder) ||
        FileIgnored(path))
        return false;
    for (size_t sep = path.find(kPathDelim, siteFolder.size()); sep != std::string::npos;
         sep = path.find(kPathDelim, sep + 1))
        if (FolderIgnored(path.substr(0, sep + 1)))
            return false;
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace tw

#pragma once

#include "model/SiteMapProfile.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

// The profile's ignore lists, read once: entries are expanded and compared
// ignoring ASCII letter case, whole entries only.
class IgnoreRules {
public:
    explicit IgnoreRules(const TMapProfile& profile);

    // Folder is expanded and ends in the separator.
    bool FolderIgnored(const std::string& folder) const;
    bool FileIgnored(const std::string& path) const;
    // FileIgnored of a path already folded to lower case.
    bool FoldedFileIgnored(const std::string& folded) const { return files_.count(folded) != 0; }
    // Whether Path is a regular file below SiteFolder (which ends in the
    // separator) that the lists leave in: neither it nor a folder on its
    // way down is ignored. The file types play no part.
    bool IsSiteFile(const std::string& siteFolder, const std::string& path) const;

private:
    std::unordered_set<std::string> folders_; // folded to lower case
    std::unordered_set<std::string> files_;   // folded to lower case
};

// The entries of the profile's ignore lists, as stored, that name no folder
// or file of the site: outside the index page's folder tree, or nothing
// there. Names are compared as the scan compares them, ASCII case ignored.
std::vector<std::string> IgnoreEntriesMatchingNothing(const TMapProfile& profile);

} // namespace tw

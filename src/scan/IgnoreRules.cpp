#include "scan/IgnoreRules.h"

#include "model/SiteLinks.h"
#include "scan/DirectoryListing.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

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
    return FileExists(path);
}

namespace {

// The entry of Folder (which ends in the separator) whose name equals Name
// ASCII case ignored, preferring the exact name, that is a folder (or a
// regular file); empty when none is.
std::string FindIgnoringCase(const std::string& folder, const std::string& name, bool wantFolder) {
    auto fits = [wantFolder](const std::string& path) {
        return wantFolder ? FolderExists(path) : FileExists(path);
    };
    if (fits(folder + name))
        return folder + name;
    // The listing the scan walks by, which already follows links and knows
    // each entry's type.
    std::vector<TSearchRec> entries;
    if (!ListFolder(folder, entries, ListingDetail::Types))
        return {};
    const std::string folded = AsciiLowerCase(name);
    for (const TSearchRec& entry : entries)
        if (AsciiLowerCase(entry.Name) == folded && ((entry.Attr & faDirectory) != 0) == wantFolder)
            return folder + entry.Name;
    return {};
}

// Whether the path below Site (given after it, without a trailing
// separator) names a folder or a file there, ASCII case ignored at every
// step, as the scan compares its entries.
bool ExistsBelow(const std::string& site, std::string_view below, bool folder) {
    std::string at = site;
    while (!below.empty()) {
        size_t sep = below.find(kPathDelim);
        bool last = sep == std::string_view::npos;
        std::string name(below.substr(0, last ? below.size() : sep));
        at = FindIgnoringCase(at, name, !last || folder);
        if (at.empty())
            return false;
        if (last)
            return true;
        at += kPathDelim;
        below.remove_prefix(sep + 1);
    }
    return folder; // the site folder itself
}

} // namespace

std::vector<std::string> IgnoreEntriesMatchingNothing(const TMapProfile& profile) {
    const std::string site = SiteFolderOf(profile.IndexPage());
    const std::string foldedSite = AsciiLowerCase(site);
    std::vector<std::string> unmatched;
    auto test = [&](const std::string& list, bool folder) {
        for (const auto& entry : SplitLineList(list)) {
            if (entry.empty())
                continue;
            std::string path = ExpandFileName(entry);
            while (path.size() > 1 && path.back() == kPathDelim)
                path.pop_back();
            bool inside = AsciiLowerCase(AddTrailingBackslash(path)).starts_with(foldedSite);
            if (!inside ||
                !ExistsBelow(site,
                             std::string_view(path).substr(std::min(path.size(), site.size())),
                             folder))
                unmatched.push_back(entry);
        }
    };
    test(profile.IgnoreFolders(), true);
    test(profile.IgnoreFiles(), false);
    return unmatched;
}

} // namespace tw

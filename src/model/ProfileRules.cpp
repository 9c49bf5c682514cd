#include "model/ProfileRules.h"

#include "model/SiteLinks.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

namespace tw {

std::string ProposedOutputFile(const std::string& indexPage) {
    return ExtractFilePath(indexPage) + kDefaultOutputName;
}

OutputPlace OutputPlaceOf(const std::string& outputFile, const std::string& indexPage) {
    // Two spellings of one folder ("a//b/", "a/./b/") are one folder.
    const std::string site = SiteFolderOf(indexPage);
    const std::string folder = AddTrailingBackslash(ExpandFileName(ExtractFilePath(outputFile)));
    if (folder == site)
        return OutputPlace::IndexFolder;
    return folder.starts_with(site) ? OutputPlace::InsideSite : OutputPlace::OutsideSite;
}

TMapOutputType ShownOutputType(TMapOutputType type) {
    if (type == TMapOutputType::moutInsert || type == TMapOutputType::moutClipboard)
        return TMapOutputType::moutFile;
    return type;
}

namespace {

// A list from a profile may lack its last line break, which a plain append
// would glue the entry onto.
std::string Appended(const std::string& list, const std::string& entry) {
    std::vector<std::string> entries = SplitLineList(list);
    entries.push_back(entry);
    return JoinLineList(entries);
}

} // namespace

void AppendIgnoreFolder(TMapProfile& profile, const std::string& folder) {
    profile.SetIgnoreFolders(Appended(profile.IgnoreFolders(), folder));
}

void AppendIgnoreFile(TMapProfile& profile, const std::string& file) {
    profile.SetIgnoreFiles(Appended(profile.IgnoreFiles(), file));
}

} // namespace tw

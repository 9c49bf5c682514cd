#include "scan/NXFileFinder.h"

#include "support/NXFiles.h"
#include "support/NXStrings.h"

namespace tw {

namespace {

bool GlobMatch(const char* n, const char* p) {
    // Iterative wildcard match with single-star backtracking.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n) {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p == '?' || (*p && AsciiLower(*p) == AsciiLower(*n))) {
            ++p;
            ++n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

} // namespace

bool MatchesFilePattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (GlobMatch(name.c_str(), pattern.c_str()))
        return true;
    if (pattern.size() >= 2 && pattern.ends_with(".*") && name.find('.') == std::string::npos)
        return GlobMatch(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

void TNXFileFinder::SetFilename(const std::string& value) {
    if (ExtractFileName(value) != value)
        throw EFindFileError(FormatText("%s\n\rInvalid filename specified", {value}));
    filename_ = value;
}

void TNXFileFinder::SetLocation(const std::string& value) {
    if (!value.empty() && !FolderExists(value))
        throw EFindFileError(
            FormatText("%s\n\rdirectory does not exists", {ExpandFileName(value)}));
    std::string stored = value;
    // A root ("/") keeps its separator; any other folder is stored without it.
    if (stored.size() >= 2 && stored.back() == kPathDelim && stored[stored.size() - 2] != ':')
        stored.pop_back();
    location_ = stored;
}

std::string TNXFileFinder::StartFolder() const {
    return AddTrailingBackslash(ExpandFileName(location_.empty() ? std::string(".") : location_));
}

bool TNXFileFinder::EntryPasses(const TSearchRec& rec) const {
    if (rec.Name.empty() || rec.Name[0] == '.')
        return false;
    return (rec.Attr == 0 && normal_) || (rec.Attr & mask_) != 0;
}

void TNXFileFinder::Execute() {
    static const std::uint32_t kBits[] = {0, faArchive, faReadOnly, faHidden, faSysFile,
                                          faDirectory};
    mask_ = 0;
    for (int m = ffNormal; m <= ffDirectory; ++m)
        if (attributes_ & (1u << m))
            mask_ |= kBits[m];
    normal_ = (attributes_ & (1u << ffNormal)) != 0;

    std::string start = StartFolder();
    if (filename_.empty())
        pattern_ = "*.*";
    else if (filename_.find('.') != std::string::npos)
        pattern_ = filename_;
    else
        pattern_ = filename_ + ".*";
    stopped_ = false;
    ancestors_.clear();
    Search(start);
    ancestors_.clear();
}

void TNXFileFinder::Search(const std::string& folder) {
    if (OnNewFolder) {
        bool ignore = false;
        OnNewFolder(*this, folder, ignore);
        if (ignore)
            return;
    }
    if (stopped_)
        return;

    std::uint64_t dev = 0, ino = 0;
    bool identified = FolderIdentity(folder, dev, ino);
    if (identified)
        ancestors_.emplace_back(dev, ino);

    std::vector<TSearchRec> entries;
    ListFolder(folder, entries);

    // File phase. The platform leaves out entries that carry a special
    // attribute (hidden, system, volume, directory) that was not asked for.
    constexpr std::uint32_t kSpecial = faHidden | faSysFile | faVolumeID | faDirectory;
    std::vector<TSearchRec> subfolders;
    for (TSearchRec& rec : entries) {
        if (rec.Attr & faDirectory) {
            if (!(rec.Attr & (faHidden | faSysFile)))
                subfolders.push_back(rec);
            if (!(mask_ & faDirectory))
                continue;
        }
        if (stopped_)
            break;
        if ((rec.Attr & kSpecial & ~mask_) != 0 || !MatchesFilePattern(rec.Name, pattern_))
            continue;
        if (EntryPasses(rec) && OnFound)
            OnFound(*this, folder, rec);
        if (stopped_)
            break;
    }
    entries.clear();
    entries.shrink_to_fit();

    if (!stopped_ && subfolders_) {
        for (const TSearchRec& sub : subfolders) {
            if (stopped_)
                break;
            if (sub.Name[0] == '.')
                continue;
            bool onWalk = false;
            for (const auto& a : ancestors_)
                if (a.first == sub.Device && a.second == sub.Inode)
                    onWalk = true;
            if (onWalk)
                continue;
            Search(folder + sub.Name + kPathDelim);
        }
    }
    if (identified)
        ancestors_.pop_back();
}

} // namespace tw

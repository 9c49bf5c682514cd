#include "scan/NXFileFinder.h"

#include "support/FileDescriptor.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    static const std::uint32_t kBits[] = {0,        faArchive, faReadOnly,
                                          faHidden, faSysFile, faDirectory};
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
    // Every regular file has the archive bit; the read-only bit, which only
    // a status call tells, matters only when that bit is not asked for.
    detail_ = (mask_ & faArchive) ? ListingDetail::Types : ListingDetail::Full;
    walked_.clear();
    Search(start, -1, std::string());
    walked_ = {};
}

bool TNXFileFinder::Reports(const TSearchRec& rec) const {
    // The platform leaves out entries that carry a special attribute
    // (hidden, system, volume, directory) that was not asked for.
    constexpr std::uint32_t kSpecial = faHidden | faSysFile | faVolumeID | faDirectory;
    if ((rec.Attr & faDirectory) && !(mask_ & faDirectory))
        return false;
    if ((rec.Attr & kSpecial & ~mask_) != 0 || !MatchesFilePattern(rec.Name, pattern_))
        return false;
    return EntryPasses(rec);
}

void TNXFileFinder::Search(const std::string& folder, int parentFd, const std::string& name) {
    // Paths longer than the platform opens by name are reached one step at a
    // time from the parent's descriptor.
    UniqueFd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid() && errno == ENAMETOOLONG && parentFd >= 0)
        dir.Reset(openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int openError = dir.Valid() ? 0 : errno;
    struct stat st {};
    const bool identified = dir.Valid() && fstat(dir.Get(), &st) == 0;
    const FolderId id{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    if (identified) {
        // Walked already, by another name or higher up (a loop): left out.
        if (auto it = walked_.find(id); it != walked_.end()) {
            if (OnRevisit)
                OnRevisit(*this, folder, it->second);
            return;
        }
    }

    if (OnNewFolder) {
        const FolderAction action = OnNewFolder(*this, folder);
        if (action == FolderAction::Stop)
            Stop();
        if (action == FolderAction::Skip)
            return;
    }
    if (stopped_)
        return;
    if (identified)
        walked_.emplace(id, folder);

    std::vector<TSearchRec> entries;
    const bool listed = dir.Valid() && ListFolderAt(dir.Get(), entries, detail_);
    if (!listed && OnUnreadable)
        OnUnreadable(*this, folder, dir.Valid() ? errno : openError);
    folderFd_ = dir.Get();
    if (OnListed)
        OnListed(*this, folder, entries);

    std::vector<TSearchRec> subfolders;
    for (TSearchRec& rec : entries) {
        if ((rec.Attr & faDirectory) && !(rec.Attr & (faHidden | faSysFile)))
            subfolders.push_back(rec);
        if (stopped_)
            break;
        if (Reports(rec) && OnFound)
            OnFound(*this, folder, rec);
        if (stopped_)
            break;
    }
    if (OnFilesDone)
        OnFilesDone(*this, folder);
    folderFd_ = -1;
    entries.clear();
    entries.shrink_to_fit();
    // The descriptor is kept for the sub folders only when their paths may
    // be too long to open by name; otherwise deep sites would hold one
    // descriptor per level.
    if (dir.Valid() && folder.size() + NAME_MAX + 2 < PATH_MAX)
        dir.Reset();

    if (!stopped_ && subfolders_) {
        for (const TSearchRec& sub : subfolders) {
            if (stopped_)
                break;
            if (sub.Name[0] == '.')
                continue;
            Search(folder + sub.Name + kPathDelim, dir.Get(), sub.Name);
        }
    }
}

} // namespace tw

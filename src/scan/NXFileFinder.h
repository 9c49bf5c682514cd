#pragma once

#include "scan/DirectoryListing.h"
#include "support/Errors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tw {

enum TFileAttribute : std::uint8_t {
    ffNormal,
    ffArchive,
    ffReadonly,
    ffHidden,
    ffSystem,
    ffDirectory
};

// A set of TFileAttribute, one bit per member (bit n for ordinal n).
using TFileAttributes = std::uint8_t;
constexpr TFileAttributes AttrSet(std::initializer_list<TFileAttribute> members) {
    TFileAttributes set = 0;
    for (TFileAttribute m : members)
        set = static_cast<TFileAttributes>(set | (1u << m));
    return set;
}
inline constexpr TFileAttributes kDefaultFinderAttributes =
    AttrSet({ffNormal, ffArchive, ffReadonly, ffHidden, ffSystem}); // 0x1F

class EFindFileError : public TError {
    using TError::TError;
};

class TNXFileFinder;

// Folder ends in the separator; Folder + FileInfo.Name is the file's path.
using TFoundEvent =
    std::function<void(TNXFileFinder& sender, const std::string& folder, const TSearchRec& info)>;
// What the walk does with a folder it has just come to.
enum class FolderAction {
    Enter, // list it and walk below it
    Skip,  // leave out the folder and everything below it
    Stop,  // end the walk, as Stop does
};
using TNewFolderEvent =
    std::function<FolderAction(TNXFileFinder& sender, const std::string& folder)>;
// A folder's entries, once listed and before its files are reported.
using TListedEvent = std::function<void(TNXFileFinder& sender, const std::string& folder,
                                        const std::vector<TSearchRec>& entries)>;
// After the last file of a folder was reported, before its sub folders.
using TFolderEvent = std::function<void(TNXFileFinder& sender, const std::string& folder)>;
// A folder whose real folder was already walked at FirstPlace: left out.
using TRevisitEvent = std::function<void(TNXFileFinder& sender, const std::string& folder,
                                         const std::string& firstPlace)>;
// A folder that could not be opened or listed (Error: the errno value).
using TUnreadableEvent =
    std::function<void(TNXFileFinder& sender, const std::string& folder, int error)>;

// Walks a folder tree depth first: for each folder first OnNewFolder, then
// OnListed, the folder's files that pass the attribute test, OnFilesDone,
// then each sub folder.
// Names beginning with "." are never reported or entered. A real folder
// (device and inode) is walked once, at its first place in the walk's order;
// wherever it turns up again (a link loop, a sibling link, links that fan
// out) it is left out and OnRevisit names both places, so no arrangement of
// links makes the walk grow beyond the real folders.
class TNXFileFinder {
public:
    TNXFileFinder() = default;

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value);
    const std::string& Location() const { return location_; }
    void SetLocation(const std::string& value);
    TFileAttributes Attributes() const { return attributes_; }
    void SetAttributes(TFileAttributes value) { attributes_ = value; }
    bool Subfolders() const { return subfolders_; }
    void SetSubfolders(bool value) { subfolders_ = value; }
    bool Stopped() const { return stopped_; }

    TFoundEvent OnFound;
    TNewFolderEvent OnNewFolder;
    TListedEvent OnListed;
    TFolderEvent OnFilesDone;
    TRevisitEvent OnRevisit;
    // After OnNewFolder, for a folder not ignored there.
    TUnreadableEvent OnUnreadable;

    // The folder being listed, open from OnListed to OnFilesDone (-1 when
    // it could not be opened, and outside those events): files can be
    // opened relative to it.
    int FolderFd() const { return folderFd_; }
    // Whether the walk reports this entry of a listing through OnFound.
    bool Reports(const TSearchRec& rec) const;

    // Runs the walk to its end or until Stop; errors raised by the event
    // handlers end the walk and reach the caller.
    void Execute();
    // Requests the walk to end at its next check point.
    void Stop() { stopped_ = true; }

    // The start folder Execute searches: Location (or the current folder)
    // made absolute, with a trailing separator.
    std::string StartFolder() const;

private:
    using FolderId = std::pair<std::uint64_t, std::uint64_t>;
    struct FolderIdHash {
        size_t operator()(const FolderId& id) const {
            return std::hash<std::uint64_t>{}(id.first * 0x9E3779B97F4A7C15ull ^ id.second);
        }
    };

    // ParentFd and Name let a folder whose path is too long to open by name
    // be opened relative to its parent (ParentFd is -1 when not available).
    void Search(const std::string& folder, int parentFd, const std::string& name);
    bool EntryPasses(const TSearchRec& rec) const;

    std::string filename_ = "*.*";
    std::string location_;
    TFileAttributes attributes_ = kDefaultFinderAttributes;
    bool subfolders_ = true;
    bool stopped_ = false;

    // State of one walk.
    std::string pattern_;
    std::uint32_t mask_ = 0;
    bool normal_ = false;
    ListingDetail detail_ = ListingDetail::Full;
    int folderFd_ = -1;
    // Every real folder walked so far, with the place it was walked at.
    std::unordered_map<FolderId, std::string, FolderIdHash> walked_;
};

// Windows-style name pattern test ("*" and "?", letter case ignored; a
// trailing ".*" also matches a name without extension).
bool MatchesFilePattern(const std::string& name, const std::string& pattern);

} // namespace tw

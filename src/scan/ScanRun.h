#pragma once

#include "model/LinkTexts.h"
#include "model/SiteLinks.h"
#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "scan/IgnoreRules.h"
#include "scan/NXFileFinder.h"
#include "scan/SiteMapBuilder.h"
#include "scan/TitlePrefetch.h"
#include "support/NXFiles.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

// What a scan reports while it walks; the wizard turns these into its labels,
// its log and its event processing. Every method has an empty default.
class ScanListener {
public:
    virtual ~ScanListener() = default;
    // A folder was entered: Ignored tells whether it is on the ignore list
    // (then nothing below it is visited) or got a folder node.
    virtual void FolderEntered(const std::string& folder, bool ignored) {
        (void)folder;
        (void)ignored;
    }
    // Every file the finder reports, whatever its type.
    virtual void FileReported(const std::string& path) { (void)path; }
    // A reported file of a listed type, before it is tested against the
    // output file and the ignore list.
    virtual void FileListed(const std::string& path) { (void)path; }
    // A file node was added; FoundCount is the new count.
    virtual void FileAdded(int foundCount) { (void)foundCount; }
    // Once after every folder and every file: the place to let a window
    // repaint and to take a stop request.
    virtual void Idle() {}
    // Something the user should know of the site (a folder left out, one
    // that could not be read), worded for the log and stderr alike.
    virtual void Warning(const std::string& text) { (void)text; }
    // A folder that could not be read: none of its files are in the tree.
    // Warning tells of it too.
    virtual void FolderUnreadable(const std::string& folder) { (void)folder; }
    // A folder left out because the walk had walked it at FirstPlace.
    // Warning tells of it too.
    virtual void FolderRevisited(const std::string& folder, const std::string& firstPlace) {
        (void)folder;
        (void)firstPlace;
    }
};

// The warnings of a scan, one wording for the wizard and the command line.
std::string RevisitedFolderWarning(const std::string& folder, const std::string& firstPlace);
std::string UnreadableFolderWarning(const std::string& folder, int error);

// One scan of a site folder into a site map tree, with the rules that decide
// which folders are entered and which files become nodes.
class ScanRun {
public:
    // The ignore lists are the profile's line lists, read once here.
    ScanRun(TSiteMapTree& tree, const TMapProfile& profile, ScanListener* listener = nullptr);

    // Empties the tree and points the finder at the index page's folder;
    // raises EFindFileError when that folder does not exist.
    void Prepare();
    // Walks the folder; returns when done or stopped.
    void Execute();
    // Prunes the folders that received no file, then gives the items the
    // link texts the profile asks for (trimmed titles, folder titles, order).
    void Finish();
    // Prepare, Execute and Finish.
    void Run();

    void Stop() { finder_.Stop(); }
    // Every file node gets its last write time (folders: their default
    // page's), from the status the scan takes anyway where it reads a page,
    // with one status call for each other file; off, only read pages have it.
    void SetFileTimesWanted(bool on) { fileTimes_ = on; }
    // Pages (of the titled types) are read for what they say of themselves
    // to search engines, into their records' Facts, in the read that takes
    // their titles; the whole page only with Pictures, else its head.
    void SetPageFactsWanted(bool on, bool pictures = true) {
        facts_ = on;
        factPictures_ = pictures;
    }
    bool Searching() const { return searching_; }
    int FoundCount() const { return foundCount_; }
    const TNXFileFinder& Finder() const { return finder_; }
    // The part Finish cut from the titles (the site's name, when found).
    const TitlePart& TrimmedTitlePart() const { return trimmedPart_; }

private:
    FolderAction NewFolder(const std::string& folder);
    void Listed(const std::string& folder, const std::vector<TSearchRec>& entries);
    void Found(const std::string& folder, const TSearchRec& info);
    // Whether a file of the listing becomes a node (the finder reports it).
    bool Takes(const std::string& path) const;
    void NoteFileTime(TDataRec& file, const std::string& name);

    TSiteMapTree& tree_;
    const TMapProfile& profile_;
    ScanListener* listener_;
    ScanListener silent_;
    TNXFileFinder finder_;
    IgnoreRules ignore_;
    FileTypeMatcher fileTypes_;
    std::string outputFile_;   // folded; empty when no file is to be skipped
    bool outputParts_ = false; // and its parts sitemap-2.html, ... too
    std::string templateFile_; // folded; the modern page's template, or empty
    SiteMapBuilder* builder_ = nullptr;
    SiteMapNode* folderNode_ = nullptr; // of the folder being listed
    std::string defaultPage_;           // its default page's name, or empty
    bool fileTimes_ = false;
    bool facts_ = false;
    bool factPictures_ = true;
    std::unique_ptr<TitlePrefetch> titles_; // while a walk runs
    int foundCount_ = 0;
    TitlePart trimmedPart_;
    bool searching_ = false;
};

} // namespace tw

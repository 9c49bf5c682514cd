#include "scan/ScanRun.h"

#include "model/SiteMapParts.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace tw {

std::string RevisitedFolderWarning(const std::string& folder, const std::string& firstPlace) {
    return "the folder " + folder + " is left out: it is " + firstPlace +
           ", which the scan has walked already (through a symbolic link)";
}

std::string UnreadableFolderWarning(const std::string& folder, int error) {
    return "the folder " + folder + " could not be read (" + std::strerror(error) +
           "): its files are left out";
}

ScanRun::ScanRun(TSiteMapTree& tree, const TMapProfile& profile, ScanListener* listener)
    : tree_(tree), profile_(profile), listener_(listener ? listener : &silent_), ignore_(profile),
      fileTypes_(profile.FileTypes()) {
    if (profile.OutputType() == TMapOutputType::moutFile && !profile.OutputFileName().empty()) {
        outputFile_ = AsciiLowerCase(ExpandFileName(profile.OutputFileName()));
        outputParts_ = SiteMapPaged(profile);
    }
    if (profile.ModernLayout() && !profile.PageTemplate().empty())
        templateFile_ = AsciiLowerCase(ExpandFileName(profile.PageTemplate()));
    finder_.OnNewFolder = [this](TNXFileFinder&, const std::string& folder) {
        return NewFolder(folder);
    };
    finder_.OnListed = [this](TNXFileFinder&, const std::string& folder,
                              const std::vector<TSearchRec>& entries) { Listed(folder, entries); };
    finder_.OnFilesDone = [this](TNXFileFinder&, const std::string&) { titles_->End(); };
    finder_.OnRevisit = [this](TNXFileFinder&, const std::string& folder,
                               const std::string& firstPlace) {
        listener_->FolderRevisited(folder, firstPlace);
        listener_->Warning(RevisitedFolderWarning(folder, firstPlace));
    };
    finder_.OnUnreadable = [this](TNXFileFinder&, const std::string& folder, int error) {
        listener_->FolderUnreadable(folder);
        listener_->Warning(UnreadableFolderWarning(folder, error));
    };
    finder_.OnFound = [this](TNXFileFinder&, const std::string& folder, const TSearchRec& info) {
        try {
            Found(folder, info);
        } catch (...) {
            // The folder's descriptor closes on the way out: no worker may
            // still read through it.
            titles_->End();
            throw;
        }
    };
}

void ScanRun::Prepare() {
    foundCount_ = 0;
    tree_.Clear();
    finder_.SetLocation(SiteFolderOf(profile_.IndexPage()));
}

void ScanRun::Execute() {
    // Links are based on the folder the finder really walks.
    SiteMapBuilder builder(tree_, finder_.StartFolder(), profile_.UsePageTitles());
    builder_ = &builder;
    const PageReadWanted wanted{profile_.UsePageTitles(), facts_, factPictures_};
    titles_ = std::make_unique<TitlePrefetch>(
        wanted.Titles || wanted.Facts ? TitleWorkerCount() : 0, wanted);
    searching_ = true;
    try {
        finder_.Execute();
    } catch (...) {
        searching_ = false;
        titles_.reset();
        builder_ = nullptr;
        folderNode_ = nullptr;
        throw;
    }
    searching_ = false;
    titles_.reset();
    builder_ = nullptr;
    folderNode_ = nullptr;
}

void ScanRun::Finish() {
    tree_.RemoveEmptyFolders();
    trimmedPart_ = ApplyLinkTexts(tree_, LinkTextOptionsOf(profile_));
}

void ScanRun::Run() {
    Prepare();
    Execute();
    Finish();
}

FolderAction ScanRun::NewFolder(const std::string& folder) {
    // Only entries ending in the separator can equal a folder path.
    const bool ignoreFolder = ignore_.FolderIgnored(folder);
    // The default page is known once the folder is listed.
    folderNode_ = ignoreFolder ? nullptr : builder_->AddFolderNode(folder, std::string());
    listener_->FolderEntered(folder, ignoreFolder);
    listener_->Idle();
    return ignoreFolder ? FolderAction::Skip : FolderAction::Enter;
}

void ScanRun::NoteFileTime(TDataRec& file, const std::string& name) {
    struct stat st {};
    if (file.Modified == kUnknownTime && fstatat(finder_.FolderFd(), name.c_str(), &st, 0) == 0)
        file.Modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    if (folderNode_ && name == defaultPage_)
        folderNode_->Data.Modified = file.Modified;
}

bool ScanRun::Takes(const std::string& path) const {
    if (!fileTypes_.Matches(path))
        return false;
    std::string folded = AsciiLowerCase(path);
    // The site map's own output file, and the parts it may be written in,
    // never become part of the site map; nor does the template it is
    // written into, a frame with a marker rather than a page to visit.
    return (outputFile_.empty() || (folded != outputFile_ &&
                                    !(outputParts_ && IsLaterSiteMapPart(outputFile_, folded)))) &&
           folded != templateFile_ && !ignore_.FoldedFileIgnored(folded);
}

void ScanRun::Listed(const std::string& folder, const std::vector<TSearchRec>& entries) {
    defaultPage_.clear();
    if (folderNode_) {
        defaultPage_ = DefaultPageName(entries);
        builder_->SetDefaultPage(folderNode_->Data,
                                 defaultPage_.empty() ? defaultPage_ : folder + defaultPage_);
    }
    // The pages whose titles Found will ask for, in its order.
    std::vector<std::string> pages;
    if (builder_->UsePageTitles() || facts_)
        for (const TSearchRec& rec : entries)
            if (finder_.Reports(rec) && HasTitledType(rec.Name) && Takes(folder + rec.Name))
                pages.push_back(rec.Name);
    titles_->Begin(finder_.FolderFd(), std::move(pages));
}

void ScanRun::Found(const std::string& folder, const TSearchRec& info) {
    std::string path = folder + info.Name;
    listener_->FileReported(path);
    if (fileTypes_.Matches(path)) {
        listener_->FileListed(path);
        if (Takes(path)) {
            PageLinkText text{info.Name};
            if ((builder_->UsePageTitles() || facts_) && HasTitledType(info.Name))
                text = titles_->Take(info.Name);
            SiteMapNode* node = builder_->AddFileNode(path, std::move(text));
            if (fileTimes_)
                NoteFileTime(node->Data, info.Name);
            ++foundCount_;
            listener_->FileAdded(foundCount_);
        }
    }
    listener_->Idle();
}

} // namespace tw

#include "scan/ScanRun.h"

#include "support/NXFiles.h"
#include "model/PageTitle.h"
#include "support/NXStrings.h"

#include <thread>

namespace tw {

ScanRun::ScanRun(TSiteMapTree& tree, const TMapProfile& profile,
                 std::vector<std::string> ignoreFolders, std::vector<std::string> ignoreFiles,
                 ScanListener* listener)
    : tree_(tree), profile_(profile), listener_(listener ? listener : &silent_),
      fileTypes_(profile.FileTypes()), titledTypes_(kTitledFileTypes) {
    for (const auto& f : ignoreFolders)
        ignoreFolders_.insert(AsciiLowerCase(f));
    for (const auto& f : ignoreFiles)
        ignoreFiles_.insert(AsciiLowerCase(f));
    if (profile.OutputType() == TMapOutputType::moutFile)
        outputFile_ = AsciiLowerCase(profile.OutputFileName());
    finder_.OnNewFolder = [this](TNXFileFinder&, const std::string& folder, bool& ignore) {
        NewFolder(folder, ignore);
    };
    finder_.OnFound = [this](TNXFileFinder&, const std::string& folder, const TSearchRec& info) {
        Found(folder, info);
    };
    finder_.OnFolderListed = [this](TNXFileFinder&, const std::string& folder,
                                    const std::vector<TSearchRec>& files) {
        FolderListed(folder, files);
    };
}

void ScanRun::Prepare() {
    foundCount_ = 0;
    tree_.Clear();
    finder_.SetLocation(AddTrailingBackslash(ExtractFilePath(profile_.IndexPage())));
}

void ScanRun::Execute() {
    SiteMapBuilder builder(tree_, finder_.Location(), profile_.UsePageTitles());
    builder_ = &builder;
    // Titles are read ahead on the cores the walk itself does not use.
    if (profile_.UsePageTitles()) {
        unsigned cores = std::thread::hardware_concurrency();
        prefetcher_ = std::make_unique<TitlePrefetcher>(true, cores > 1 ? cores - 1 : 0);
    }
    searching_ = true;
    try {
        finder_.Execute();
    } catch (...) {
        searching_ = false;
        builder_ = nullptr;
        prefetcher_.reset();
        throw;
    }
    searching_ = false;
    builder_ = nullptr;
    prefetcher_.reset();
}

void ScanRun::Finish() { tree_.RemoveEmptyFolders(); }

void ScanRun::Run() {
    Prepare();
    Execute();
    Finish();
}

void ScanRun::NewFolder(const std::string& folder, bool& ignoreFolder) {
    // Only entries ending in the separator can equal a folder path.
    ignoreFolder = ignoreFolders_.count(AsciiLowerCase(folder)) != 0;
    if (!ignoreFolder)
        builder_->AddMapNode(folder, true);
    listener_->FolderEntered(folder, ignoreFolder);
    listener_->Idle();
}

bool ScanRun::Skipped(const std::string& foldedPath) const {
    // The site map's own output file never becomes part of the site map.
    return (!outputFile_.empty() && foldedPath == outputFile_) ||
           ignoreFiles_.count(foldedPath) != 0;
}

void ScanRun::FolderListed(const std::string& folder, const std::vector<TSearchRec>& files) {
    if (!prefetcher_)
        return;
    for (const TSearchRec& info : files) {
        std::string path = folder + info.Name;
        if (fileTypes_.Matches(path) && titledTypes_.Matches(path) &&
            !Skipped(AsciiLowerCase(path)))
            prefetcher_->Submit(std::move(path));
    }
}

void ScanRun::Found(const std::string& folder, const TSearchRec& info) {
    std::string path = folder + info.Name;
    listener_->FileReported(path);
    if (fileTypes_.Matches(path)) {
        listener_->FileListed(path);
        if (!Skipped(AsciiLowerCase(path))) {
            if (prefetcher_ && titledTypes_.Matches(path))
                builder_->AddFileNode(path, prefetcher_->Take(path));
            else
                builder_->AddMapNode(path, false);
            ++foundCount_;
            listener_->FileAdded(foundCount_);
        }
    }
    listener_->Idle();
}

} // namespace tw

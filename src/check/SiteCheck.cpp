#include "check/SiteCheck.h"

#include "model/SiteMapTree.h"
#include "scan/ScanRun.h"

namespace tw {

namespace {

// Hands the scan's progress on, and stops the walk once a stop is asked for.
class ScanRelay : public ScanListener {
public:
    explicit ScanRelay(SiteCheckListener& listener) : listener_(listener) {}
    void Attach(ScanRun& scan) { scan_ = &scan; }
    bool Stopped() const { return stopped_; }
    const ScanFolders& Folders() const { return folders_; }

    void FileAdded(int foundCount) override { listener_.FilesFound(foundCount); }
    void Warning(const std::string& text) override { listener_.ScanWarning(text); }
    void FolderUnreadable(const std::string& folder) override {
        folders_.Unreadable.push_back(folder);
    }
    void FolderRevisited(const std::string& folder, const std::string& firstPlace) override {
        folders_.Revisited.emplace_back(folder, firstPlace);
    }
    void Idle() override {
        if (!stopped_ && scan_ && listener_.StopRequested()) {
            stopped_ = true;
            scan_->Stop();
        }
    }

private:
    SiteCheckListener& listener_;
    ScanRun* scan_ = nullptr;
    bool stopped_ = false;
    ScanFolders folders_;
};

} // namespace

std::vector<std::string> SiteUrlsFor(const TMapProfile& profile, std::vector<std::string> given) {
    if (given.empty() && IsHttpLink(profile.XmlBaseURL()))
        given.push_back(profile.XmlBaseURL());
    return given;
}

std::optional<LinkReport> CheckSite(TMapProfile profile, const LinkCheckLimits& limits,
                                    SiteCheckListener* listener) {
    SiteCheckListener silent;
    SiteCheckListener& told = listener ? *listener : silent;
    // As generate: the site map file named by the profile is no page of the site.
    if (profile.OutputType() != TMapOutputType::moutFile)
        profile.SetOutputType(TMapOutputType::moutFile);
    profile.SetUsePageTitles(false);
    // The check reads each page's title itself; its reports follow the scan's order.
    profile.SetTrimTitles(TMapTrimTitles::mttNone);
    profile.SetFolderTitles(false);
    profile.SetItemSort(TMapItemSort::msortNone);

    TSiteMapTree tree;
    ScanRelay relay(told);
    ScanRun scan(tree, profile, &relay);
    relay.Attach(scan);
    scan.Run();
    if (relay.Stopped() || told.StopRequested())
        return std::nullopt;
    try {
        return CheckLinks(tree, profile.IndexPage(), limits, &told, relay.Folders());
    } catch (const ECheckStopped&) {
        return std::nullopt;
    }
}

} // namespace tw

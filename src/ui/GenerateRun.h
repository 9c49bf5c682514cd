#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"

#include <QString>
#include <memory>
#include <string>

namespace tw {
class SitemapJob;
} // namespace tw

namespace tw::ui {

class IDialogs;
class OutputStatusPage;
class ScanSession;

// The generation run of the last page: the site map page built from the
// tree, written with its item images, then the sitemaps, each file listed
// on the status page as it is written. The window keeps its buttons.
class GenerateRun {
public:
    GenerateRun(const TSiteMapTree& tree, const TMapProfile& profile, OutputStatusPage& page,
                IDialogs& dialogs, std::string programFolder);
    ~GenerateRun();

    // Planned is what Finish planned, or null: a run started otherwise
    // plans here, before the page is replaced, so that a setting that
    // cannot work changes nothing. Scan tells what the scan read. Raises the
    // page's write error; a sitemap's is shown and the page stays written.
    void Run(std::unique_ptr<SitemapJob> planned, const ScanSession& scan);
    bool Running() const { return running_; }
    // The whole page of the last run, in the profile's layout.
    const std::string& Text() const { return text_; }

private:
    void WriteFiles(std::unique_ptr<SitemapJob> job, const ScanSession& scan);
    void WriteSitemaps(SitemapJob& job, const ScanSession& scan);
    // Paging: writes the page in its parts, each listed; false when the user
    // would not have a page of the site replaced and nothing was written.
    bool WriteParts();

    const TSiteMapTree& tree_;
    const TMapProfile& profile_;
    OutputStatusPage& page_;
    IDialogs& dialogs_;
    std::string programFolder_;
    std::string text_;
    bool running_ = false;
};

} // namespace tw::ui

#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/GitDates.h"
#include "output/OutputGuard.h"
#include "output/SearchSitemaps.h"
#include "support/Errors.h"

#include <functional>
#include <future>
#include <memory>
#include <string>

namespace tw {

// A sitemap setting of the profile that cannot work, and which one it is, so
// that each front end can name it in its own terms.
class SitemapSettingError : public TError {
public:
    enum class Setting {
        BaseURL,   // missing, or not an absolute http(s) URL without query or fragment
        RobotsTxt, // the base URL is no host root, where crawlers read robots.txt
        PageFile,  // a sitemap would replace the site map page
        SameFile,  // the XML and the text sitemap name one file
        LastMod,   // git times asked for outside a git work tree
    };
    SitemapSettingError(Setting setting, const std::string& message)
        : TError(message), setting_(setting) {}
    Setting Which() const { return setting_; }

private:
    Setting setting_;
};

// A file the job wrote, in the order written.
struct SitemapJobFile {
    enum class Kind { XmlSitemap, XmlIndex, Text, RobotsTxt };
    Kind FileKind;
    std::string Path;
    size_t Entries; // URLs, sitemaps of an index; robots.txt: 1 changed, 0 already right
};

// The search-engine sitemaps (and the robots.txt line) a profile asks for:
// planned and checked before the scan, written from the tree after it. The
// command line and the wizard both run them through this.
class SitemapJob {
public:
    // Null when the profile asks for no XML sitemap. Raises
    // SitemapSettingError for a setting that cannot work; with git times, it
    // starts reading them at once, while the caller scans.
    static std::unique_ptr<SitemapJob> Plan(const TMapProfile& profile);

    const std::string& BaseURL() const { return baseURL_; }
    const std::string& XmlOutput() const { return xmlOutput_; }
    const std::string& TextOutput() const { return textOutput_; }
    // Empty unless the profile asks for the robots.txt line.
    const std::string& RobotsTxtPath() const { return robotsTxt_; }
    const SearchSitemapOptions& Options() const { return options_; }

    // The tree's files as the scan left them, for a tree the user edited
    // since: the pages no longer in it are counted as deleted or ignored.
    void SetScannedFiles(const SitemapFileCount& scanned) { options_.Scanned = scanned; }

    struct Outcome {
        SearchSitemapResult Result;
        bool RobotsTxtChanged = false;
        // The robots.txt names the XML sitemap in its other form too
        // (Result.OtherFormURL), a line an earlier run added.
        bool RobotsTxtNamesOtherForm = false;
        // The site's robots.txt goes on past what crawlers read
        // (kRobotsTxtReadLimit), as the rules or the line were read.
        bool RobotsTxtLonger = false;
    };
    // Writes the sitemaps of Tree, then the robots.txt line; each file is
    // told to Written once complete. Raises as WriteSearchSitemaps and
    // AddSitemapToRobotsTxt do. Without FactsInTree (a scan that was not
    // asked for them) each page's facts are read as the rules need them.
    Outcome Write(const TSiteMapTree& tree,
                  const std::function<void(const SitemapJobFile&)>& written = {},
                  bool factsInTree = true);

private:
    SitemapJob() = default;

    std::string baseURL_;
    std::string xmlOutput_;
    std::string textOutput_;
    std::string robotsTxt_;
    SearchSitemapOptions options_;
    std::future<GitFileTimes> gitTimes_;
};

// Every file a run of the profile writes that it names before it writes:
// the site map page, the XML and the text sitemap, and robots.txt, to which
// a line is added. Job is null when no sitemap is asked for.
std::vector<RunOutput> PlannedOutputs(const TMapProfile& profile, const SitemapJob* job);

} // namespace tw

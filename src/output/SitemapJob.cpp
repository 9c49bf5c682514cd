#include "output/SitemapJob.h"

#include "model/SiteLinks.h"
#include "output/RobotsTxt.h"
#include "scan/IgnoreRules.h"
#include "scan/PageReading.h"
#include "support/NXFiles.h"

#include <fcntl.h>

namespace tw {

std::unique_ptr<SitemapJob> SitemapJob::Plan(const TMapProfile& profile) {
    using Setting = SitemapSettingError::Setting;
    if (!profile.XmlSitemap())
        return nullptr;
    std::unique_ptr<SitemapJob> job(new SitemapJob);
    job->baseURL_ = profile.XmlBaseURL();
    if (job->baseURL_.empty())
        throw SitemapSettingError(Setting::BaseURL, "an XML sitemap needs a base URL");
    if (std::string error = SitemapBaseURLError(job->baseURL_); !error.empty())
        throw SitemapSettingError(Setting::BaseURL, error);
    if (profile.RobotsTxt() && !SitemapBaseIsHostRoot(job->baseURL_))
        throw SitemapSettingError(Setting::RobotsTxt,
                                  "crawlers read robots.txt only at the root of a host, and " +
                                      job->baseURL_ + " is not one");
    const std::string site = SiteFolderOf(profile.IndexPage());
    job->xmlOutput_ = SitemapXmlFileName(profile.XmlOutputFileName().empty()
                                             ? site + "sitemap.xml"
                                             : ExpandFileName(profile.XmlOutputFileName()),
                                         profile.XmlGzip());
    if (!profile.TextSitemapFileName().empty())
        job->textOutput_ = ExpandFileName(profile.TextSitemapFileName());
    const std::string page = ExpandFileName(profile.OutputFileName());
    if (job->xmlOutput_ == page || job->textOutput_ == page)
        throw SitemapSettingError(Setting::PageFile,
                                  "the sitemaps may not replace the site map page " + page);
    if (job->xmlOutput_ == job->textOutput_)
        throw SitemapSettingError(Setting::SameFile,
                                  "the XML and the text sitemap name the same file " +
                                      job->xmlOutput_);
    if (profile.RobotsTxt())
        job->robotsTxt_ = site + "robots.txt";

    SearchSitemapOptions& options = job->options_;
    options.BaseURL = job->baseURL_;
    options.SiteFolder = site;
    options.XmlOutput = job->xmlOutput_;
    options.TextOutput = job->textOutput_;
    options.SiteMapPage = page;
    options.IncludePictures = profile.XmlIncludePictures();
    options.CleanURLs = profile.XmlCleanURLs();
    options.AllPages = profile.XmlAllPages();
    options.Images = profile.XmlImages();
    if (options.Images)
        options.IsSiteFile = [rules = IgnoreRules(profile), site](const std::string& relative) {
            return rules.IsSiteFile(site, site + relative);
        };
    options.Gzip = profile.XmlGzip();
    options.Lastmod = profile.XmlLastMod() == TMapLastMod::mlmGit    ? SitemapLastmod::Git
                      : profile.XmlLastMod() == TMapLastMod::mlmNone ? SitemapLastmod::None
                                                                     : SitemapLastmod::Mtime;
    if (options.Lastmod == SitemapLastmod::Git) {
        // Refused at once outside a work tree; the history is read while the
        // site is scanned.
        try {
            CheckGitWorkTree(site);
        } catch (const TError& e) {
            throw SitemapSettingError(Setting::LastMod, e.what());
        }
        job->gitTimes_ = std::async(std::launch::async, ReadGitFileTimes, site);
    }
    return job;
}

SitemapJob::Outcome SitemapJob::Write(const TSiteMapTree& tree,
                                      const std::function<void(const SitemapJobFile&)>& written,
                                      bool factsInTree) {
    if (gitTimes_.valid())
        options_.GitTimes = std::make_shared<GitFileTimes>(gitTimes_.get());
    std::vector<SiteMapNode*> nodes;
    std::vector<std::shared_ptr<const PageFacts>> facts;
    if (!factsInTree) {
        nodes = tree.NodesInIndexOrder();
        facts.resize(nodes.size());
        const PageReadWanted wanted{false, true, options_.Images};
        options_.FactsOf = [&nodes, &facts, wanted](int index) -> const PageFacts* {
            auto& known = facts[static_cast<size_t>(index)];
            const std::string& path = nodes[static_cast<size_t>(index)]->Data.FilePath;
            if (!known && HasTitledType(path))
                known = ReadPageLinkTextAt(AT_FDCWD, path, wanted).Facts;
            return known.get();
        };
    }
    struct Reset {
        SearchSitemapOptions& options;
        ~Reset() { options.FactsOf = nullptr; }
    } reset{options_};
    auto tell = [&written](const SitemapFileWritten& file) {
        if (!written)
            return;
        SitemapJobFile::Kind kind =
            file.Kind == SitemapFileKind::XmlIndex ? SitemapJobFile::Kind::XmlIndex
            : file.Kind == SitemapFileKind::Text   ? SitemapJobFile::Kind::Text
                                                   : SitemapJobFile::Kind::XmlSitemap;
        written({kind, file.Path, file.Entries});
    };
    Outcome outcome;
    outcome.Result = WriteSearchSitemaps(tree, options_, tell);
    if (!robotsTxt_.empty()) {
        RobotsTxtUpdate update = AddSitemapToRobotsTxt(robotsTxt_, outcome.Result.XmlURL);
        outcome.RobotsTxtChanged = update.Changed;
        outcome.RobotsTxtLonger = update.Longer;
        const std::string& other = outcome.Result.OtherFormURL;
        outcome.RobotsTxtNamesOtherForm =
            !other.empty() && RobotsTxtNamesSitemap(robotsTxt_, other);
        if (written)
            written(
                {SitemapJobFile::Kind::RobotsTxt, robotsTxt_, outcome.RobotsTxtChanged ? 1u : 0u});
    }
    outcome.RobotsTxtLonger = outcome.RobotsTxtLonger || outcome.Result.RobotsTxtLonger;
    return outcome;
}

std::vector<RunOutput> PlannedOutputs(const TMapProfile& profile, const SitemapJob* job) {
    std::vector<RunOutput> outputs{{ExpandFileName(profile.OutputFileName())}};
    if (!job)
        return outputs;
    outputs.push_back({job->XmlOutput()});
    if (!job->TextOutput().empty())
        outputs.push_back({job->TextOutput()});
    if (!job->RobotsTxtPath().empty())
        outputs.push_back({job->RobotsTxtPath(), true});
    return outputs;
}

} // namespace tw

#include "cli/GenerateCommand.h"

#include "cli/ProfileOptions.h"
#include "model/ProfileRules.h"
#include "model/SiteLinks.h"
#include "model/SiteMapTree.h"
#include "output/OutputTargets.h"
#include "output/PagedSiteMap.h"
#include "output/RobotsTxt.h"
#include "output/SearchSitemaps.h"
#include "output/SiteMapWriter.h"
#include "output/SitemapJob.h"
#include "scan/ScanRun.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <chrono>
#include <memory>
#include <ostream>

namespace tw {

namespace {

// Progress of a command-line run: a line on a terminal, nothing otherwise.
class ProgressLine : public ScanListener, public WriterListener {
public:
    ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    // A run that fails leaves the line standing and ends it, so that the
    // error's message starts a line of its own.
    ~ProgressLine() override {
        if (enabled_ && shown_)
            err_ << "\n" << std::flush;
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void FileAdded(int foundCount) override {
        found_ = foundCount;
        Tick("Scanning", false);
    }
    void FolderEntered(const std::string&, bool) override { Tick("Scanning", false); }
    // A warning takes the progress line's place; the next tick draws it again.
    void Warning(const std::string& text) override {
        if (enabled_ && shown_)
            err_ << "\r\033[K";
        err_ << "trailwright-cli: warning: " << PrintableText(text) << "\n" << std::flush;
        shown_ = false;
    }
    void AfterNode(const SiteMapNode&, int index, int count) override {
        written_ = index + 1;
        total_ = count;
        Tick("Writing", false);
    }
    void Done() {
        if (enabled_ && shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    void Tick(const char* what, bool force) {
        if (!enabled_)
            return;
        auto now = std::chrono::steady_clock::now();
        if (!force && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        shown_ = true;
        err_ << "\r\033[K" << what << ": ";
        if (total_ > 0)
            err_ << written_ << " of " << total_ << " items";
        else
            err_ << found_ << " files";
        err_ << std::flush;
    }

    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    int found_ = 0;
    int written_ = 0;
    int total_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

// The search-engine sitemaps of a generate run, as the built profile asks,
// with what goes wrong worded for the command line.
struct SitemapRun {
    std::unique_ptr<SitemapJob> job;

    // Before the scan, so that a mistake costs no scanning time.
    bool Prepare(const TMapProfile& profile) {
        using Setting = SitemapSettingError::Setting;
        try {
            job = SitemapJob::Plan(profile);
        } catch (const SitemapSettingError& e) {
            switch (e.Which()) {
            case Setting::BaseURL:
                // Only a profile file can bring these: the option is checked as parsed.
                if (profile.XmlBaseURL().empty())
                    throw TError("the profile asks for an XML sitemap but names no base URL "
                                 "(--xml-sitemap BASEURL)");
                throw TError(std::string("XmlBaseURL: ") + e.what());
            case Setting::RobotsTxt:
                throw UsageError(std::string("--robots-txt: ") + e.what());
            case Setting::PageFile:
                throw UsageError(e.what());
            case Setting::SameFile:
                throw UsageError("--xml-output and --text-sitemap name the same file " +
                                 ExpandFileName(profile.TextSitemapFileName()));
            case Setting::LastMod:
                throw;
            }
            throw;
        }
        return job != nullptr;
    }

    void Write(const TSiteMapTree& tree, bool quiet, const CliStreams& streams) {
        auto urls = [](size_t count) {
            return CountOf(static_cast<long long>(count), "URL", "URLs");
        };
        auto report = [&](const SitemapJobFile& file) {
            if (quiet)
                return;
            switch (file.FileKind) {
            case SitemapJobFile::Kind::XmlSitemap:
                streams.err << "XML sitemap: " << urls(file.Entries) << " -> ";
                break;
            case SitemapJobFile::Kind::XmlIndex:
                streams.err << "XML sitemap index: "
                            << CountOf(static_cast<long long>(file.Entries), "sitemap", "sitemaps")
                            << " -> ";
                break;
            case SitemapJobFile::Kind::Text:
                streams.err << "Text sitemap: " << urls(file.Entries) << " -> ";
                break;
            case SitemapJobFile::Kind::RobotsTxt:
                return; // told below, with the URL it names
            }
            streams.err << PrintableText(file.Path) << "\n";
        };
        SitemapJob::Outcome outcome = job->Write(tree, report);
        const SearchSitemapResult& result = outcome.Result;
        if (outcome.RobotsTxtChanged && !quiet)
            streams.err << "robots.txt: Sitemap " << PrintableText(result.XmlURL) << " -> "
                        << PrintableText(job->RobotsTxtPath()) << "\n";
        // One line a sitemap: how much of the site it lists, and why not the rest.
        if (!quiet) {
            const std::string listed = PrintableText(SitemapListedText(result));
            streams.err << "XML sitemap: " << listed << "\n";
            if (!job->TextOutput().empty())
                streams.err << "Text sitemap: " << listed << "\n";
        }
        // Warnings, not errors: the files are valid, but not complete or not
        // readable by every search engine. Shown under --quiet too.
        const char* warning = "trailwright-cli: warning: ";
        if (result.BadLength.Count > 0)
            streams.err << warning << urls(result.BadLength.Count)
                        << " left out of the sitemaps: a sitemap URL has 12 to 2048 "
                           "characters\n";
        if (!job->TextOutput().empty() && result.Urls > kSitemapMaxUrls)
            streams.err << warning << PrintableText(job->TextOutput()) << " lists "
                        << urls(result.Urls) << "; search engines read at most " << kSitemapMaxUrls
                        << " from one text sitemap\n";
        if (result.RobotsNotApplied)
            streams.err << warning << "the rules of " << PrintableText(job->Options().SiteFolder)
                        << "robots.txt were not applied: crawlers read robots.txt only at the "
                           "root of a host, and "
                        << PrintableText(job->BaseURL()) << " is not one\n";
        // Another run's sitemaps may still be served: named, never deleted.
        for (const std::string& path : result.LeftBehind)
            streams.err << warning << PrintableText(path)
                        << " is a sitemap this run did not write; delete it unless it is still "
                           "served\n";
        if (outcome.RobotsTxtNamesOtherForm)
            streams.err << warning << PrintableText(job->RobotsTxtPath()) << " also names "
                        << PrintableText(result.OtherFormURL)
                        << ", a sitemap this run did not write; remove that line unless it is "
                           "still served\n";
        if (outcome.RobotsTxtLonger)
            streams.err << warning << PrintableText(job->Options().SiteFolder)
                        << "robots.txt is longer than " << kRobotsTxtReadLimit / 1024
                        << " KiB, where crawlers may stop reading: only its start was read\n";
        for (const SitemapBadAlternates& page : result.BadAlternates)
            streams.err << warning << PrintableText(SitemapBadAlternatesText(page)) << "\n";
        if (result.ShallowGitClone)
            streams.err << warning
                        << "the git work tree is a shallow clone: "
                           "files last changed before its oldest commit take that commit's "
                           "time\n";
    }
};

// Links are based on the index page's folder: a page elsewhere in the site
// would link nowhere, one outside it leads where the site's copy lies.
void CheckOutputPlace(const TMapProfile& profile, const CliStreams& streams) {
    const std::string site = SiteFolderOf(profile.IndexPage());
    switch (OutputPlaceOf(profile.OutputFileName(), profile.IndexPage())) {
    case OutputPlace::IndexFolder:
        return;
    case OutputPlace::InsideSite:
        throw UsageError("--output: " + profile.OutputFileName() +
                         " is not in the index page's folder " + site +
                         "; the site map's links are based on that folder and would all be "
                         "broken there");
    case OutputPlace::OutsideSite:
        Warn(streams, "the output file " + profile.OutputFileName() +
                          " is outside the site: its links are based on the index page's folder " +
                          site + " and work only where a copy of the site lies beside it");
        return;
    }
}

// Nothing is written when one output would harm the site or the run: a
// link out of the site is an error of the run, the rest usage errors.
void CheckOutputs(const TMapProfile& profile, const SitemapJob* job, bool overwrite,
                  const std::vector<std::string>& pageParts = {}) {
    try {
        std::vector<RunOutput> outputs = PlannedOutputs(profile, job);
        for (const std::string& part : pageParts)
            outputs.push_back({part});
        CheckRunOutputs(outputs, profile.IndexPage(), profile.FileTypes(), overwrite);
    } catch (const EOutputRefused& e) {
        switch (e.Which()) {
        case EOutputRefused::Reason::LinkOutOfSite:
            throw;
        case EOutputRefused::Reason::Protected:
            throw UsageError(e.what());
        case EOutputRefused::Reason::SitePage:
            throw UsageError(std::string(e.what()) + " (--overwrite replaces it)");
        }
        throw;
    }
}

} // namespace

int RunGenerate(const CLI::App& app, const ProfileOptions& options, bool quiet, bool overwrite,
                const CliStreams& streams) {
    TMapProfile profile = BuildProfile(app, options);
    options.CheckSitemapNeeds(app, profile);
    options.CheckModernNeeds(app, profile);
    // The command line has no editor to hand a page to: the file is the target.
    if (profile.OutputType() != TMapOutputType::moutFile)
        profile.SetOutputType(TMapOutputType::moutFile);

    CheckIndexPage(profile, streams);
    CheckOutputPlace(profile, streams);
    CheckPageTemplate(profile);
    SitemapRun sitemaps;
    bool writeSitemaps = sitemaps.Prepare(profile);
    CheckOutputs(profile, sitemaps.job.get(), overwrite);

    ProgressLine progress(streams.err, streams.errIsTerminal && !quiet);
    TSiteMapTree tree;
    ScanRun scan(tree, profile, &progress);
    // The sitemaps' lastmod comes from the scan's own status calls, and what
    // pages say of themselves from its reads.
    scan.SetFileTimesWanted(writeSitemaps);
    scan.SetPageFactsWanted(writeSitemaps, profile.XmlImages());
    scan.Run();
    // The parts of a paged page are known only now: checked as the other outputs were.
    if (SiteMapPaged(profile))
        CheckOutputs(profile, sitemaps.job.get(), overwrite, SiteMapPartFiles(tree, profile));
    // Streamed to the file: the page of a very large site is never held whole.
    std::vector<std::pair<std::string, size_t>> parts;
    WriteSiteMapFile(
        tree, profile, &progress, ProgramFolder(),
        [&parts](const std::string& path, size_t links) { parts.emplace_back(path, links); });
    progress.Done();

    if (!quiet) {
        int folders = 0;
        tree.ForEach([&folders](SiteMapNode& n, int) { folders += n.IsFolderNode() ? 1 : 0; });
        streams.err << CountOf(scan.FoundCount(), "file", "files") << ", "
                    << CountOf(folders, "folder", "folders") << " -> "
                    << PrintableText(profile.OutputFileName()) << "\n";
        // Paging: every part written, with its links.
        for (size_t k = 0; parts.size() > 1 && k < parts.size(); ++k)
            streams.err << "Page " << k + 1 << " of " << parts.size() << ": "
                        << CountOf(static_cast<long long>(parts[k].second), "link", "links")
                        << " -> " << PrintableText(parts[k].first) << "\n";
        if (profile.TrimTitles() == TMapTrimTitles::mttAuto) {
            const TitlePart& part = scan.TrimmedTitlePart();
            if (part.Text.empty())
                streams.err << "Titles: no part that most of them share was found\n";
            else
                streams.err << "Titles: \"" << PrintableText(part.Text) << "\" cut at their "
                            << (part.Place == TitlePartPlace::Start ? "start" : "end") << "\n";
        }
    }
    // Paging: an earlier run's further parts may still be linked: named, never deleted.
    for (const std::string& path : LeftoverSiteMapParts(profile.OutputFileName(), parts.size()))
        Warn(streams, path + " is a page of an earlier, longer site map that this run did not "
                             "write; delete it unless it is still linked");
    if (writeSitemaps)
        sitemaps.Write(tree, quiet, streams);
    return 0;
}

} // namespace tw

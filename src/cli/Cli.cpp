#include "cli/Cli.h"

#include "cli/CheckCommand.h"
#include "model/ProfileRules.h"
#include "model/SiteLinks.h"
#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/OutputTargets.h"
#include "output/RobotsTxt.h"
#include "output/SearchSitemaps.h"
#include "output/SiteMapWriter.h"
#include "output/SitemapJob.h"
#include "persist/ProfileFiles.h"
#include "scan/IgnoreRules.h"
#include "scan/PageReading.h"
#include "scan/ScanRun.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace tw {

namespace {

// An error of the command line itself: exit status 2 with the usage text.
class UsageError : public TError {
    using TError::TError;
};

// The options that build a profile, shared by every command that takes them.
struct ProfileOptions {
    CLI::Option* profileFile = nullptr;
    CLI::Option* index = nullptr;
    CLI::Option* output = nullptr;
    CLI::Option* format = nullptr;
    CLI::Option* fileTypes = nullptr;
    CLI::Option* ignoreFolder = nullptr;
    CLI::Option* ignoreFile = nullptr;
    CLI::Option* color = nullptr;
    CLI::Option* xmlSitemap = nullptr;
    CLI::Option* xmlOutput = nullptr;
    CLI::Option* textSitemap = nullptr;
    CLI::Option* lastmod = nullptr;
    // The sitemap options that mean nothing without a base URL.
    std::vector<const CLI::Option*> needBaseURL;
    // Flag pairs: the option that turns the setting on and the one that turns it off.
    std::map<CLI::Option*, std::pair<void (*)(TMapProfile&, bool), bool>> flags;

    // LayoutOptions: the options of the written page (--output, --format,
    // --color and the item options), which mean nothing to check; check has
    // a --format of its own.
    void Add(CLI::App& app, bool layoutOptions = true) {
        auto value = [&app](const char* name, const char* help) {
            return app.add_option(name)->description(help)->expected(1)->multi_option_policy(
                CLI::MultiOptionPolicy::TakeAll);
        };
        // Read before every other option, wherever it stands; given once at most.
        profileFile = app.add_option("--profile")
                          ->description("A profile file to start from, read as the wizard opens it")
                          ->type_name("FILE")
                          ->expected(1);
        index =
            value("--index", "Full or relative path of the site's index page")->type_name("PATH");
        if (layoutOptions)
            output = value("--output", "The site map file to write")->type_name("PATH");
        if (layoutOptions)
            format = value("--format", "Layout of the site map")
                         ->type_name("list|paragraph")
                         ->check(CLI::IsMember({"list", "paragraph"}));
        fileTypes = value("--file-types", "File types to include, separated by \";\", \",\" or "
                                          "spaces, e.g. \"*.htm;*.html\" or \"htm html\"")
                        ->type_name("MASKS");
        ignoreFolder =
            value("--ignore-folder", "A folder to leave out (repeatable)")->type_name("DIR");
        ignoreFile = value("--ignore-file", "A file to leave out (repeatable)")->type_name("FILE");
        if (layoutOptions)
            color = value("--color", "A page colour: KEY=#RRGGBB or KEY=none, KEY one of "
                                     "background, text, link, visited, active (repeatable)")
                        ->type_name("KEY=VALUE");
        Pair(app, "titles", "link texts from the pages' titles",
             [](TMapProfile& p, bool v) { p.SetUsePageTitles(v); });
        if (!layoutOptions)
            return;
        Pair(app, "styles", "style sheet classes for the items",
             [](TMapProfile& p, bool v) { p.SetClassAttribs(v); });
        Pair(app, "images", "images before the items",
             [](TMapProfile& p, bool v) { p.SetAddImages(v); });
        Pair(app, "folder-images", "images before folder items",
             [](TMapProfile& p, bool v) { p.SetNoFolderImages(!v); });
        Pair(app, "folder-links", "links on folder names",
             [](TMapProfile& p, bool v) { p.SetNoFolderLinks(!v); });
    }

    // The search-engine sitemaps, which generate writes beside the page.
    void AddSitemaps(CLI::App& app) {
        auto value = [&app](const char* name, const char* help) {
            return app.add_option(name)->description(help)->expected(1)->multi_option_policy(
                CLI::MultiOptionPolicy::TakeAll);
        };
        xmlSitemap = value("--xml-sitemap",
                           "Also write an XML sitemap (sitemaps.org) with URLs below BASEURL")
                         ->type_name("BASEURL")
                         ->check([](const std::string& url) { return SitemapBaseURLError(url); });
        auto* noXml = app.add_flag("--no-xml-sitemap")
                          ->description("Write no XML sitemap, whatever the profile says")
                          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        flags[noXml] = {[](TMapProfile& p, bool v) { p.SetXmlSitemap(v); }, false};
        xmlOutput = value("--xml-output",
                          "The XML sitemap file (default: sitemap.xml, or sitemap.xml.gz with "
                          "--xml-gzip, beside the index page)")
                        ->type_name("PATH");
        Pair(app, "xml-include-pictures", "List pictures in the XML and text sitemaps too",
             "List no pictures in the sitemaps",
             [](TMapProfile& p, bool v) { p.SetXmlIncludePictures(v); });
        // A text sitemap holds absolute URLs, so it takes the XML sitemap's base.
        textSitemap =
            value("--text-sitemap", "Also write a text sitemap, one URL a line")->type_name("PATH");
        Pair(app, "clean-urls",
             "List pages without their .html or .htm ending (folders always end in /)",
             "List pages with their file names",
             [](TMapProfile& p, bool v) { p.SetXmlCleanURLs(v); });
        Pair(app, "xml-all-pages",
             "List every page, whatever robots.txt, 404.html and the pages' noindex and "
             "canonical links say",
             "Leave out the pages that ask search engines to leave them out",
             [](TMapProfile& p, bool v) { p.SetXmlAllPages(v); });
        Pair(app, "xml-images",
             "List with each page the local pictures it shows, whatever the file types",
             "List no image entries with the pages",
             [](TMapProfile& p, bool v) { p.SetXmlImages(v); });
        lastmod = value("--lastmod", "Where lastmod comes from: the file's time, its last git "
                                     "commit, or none (default: mtime)")
                      ->type_name("mtime|git|none")
                      ->check(CLI::IsMember({"mtime", "git", "none"}));
        Pair(app, "xml-gzip", "Write the XML sitemaps gzip-compressed",
             "Write the XML sitemaps uncompressed",
             [](TMapProfile& p, bool v) { p.SetXmlGzip(v); });
        Pair(app, "robots-txt",
             "Add a Sitemap line to the robots.txt beside the index page (BASEURL must be a "
             "host root)",
             "Leave robots.txt alone", [](TMapProfile& p, bool v) { p.SetRobotsTxt(v); });
        needBaseURL.insert(needBaseURL.end(), {xmlOutput, textSitemap, lastmod});
    }

    // An option given on the command line that needs a base URL the built
    // profile lacks is the usage error it was when the options were separate.
    void CheckSitemapNeeds(const CLI::App& app, const TMapProfile& profile) const {
        if (!profile.XmlBaseURL().empty())
            return;
        for (const CLI::Option* opt : app.parse_order())
            if (std::find(needBaseURL.begin(), needBaseURL.end(), opt) != needBaseURL.end())
                throw UsageError(opt->get_name() + " requires --xml-sitemap");
    }

    void Pair(CLI::App& app, const std::string& name, const std::string& what,
              void (*set)(TMapProfile&, bool)) {
        Pair(app, name, "Use " + what, "Do not use " + what, set);
    }

    // The on option keeps its name, the off option is it with "no-" in front.
    void Pair(CLI::App& app, const std::string& name, const std::string& onHelp,
              const std::string& offHelp, void (*set)(TMapProfile&, bool)) {
        std::string onName = "--" + name, offName = "--no-" + name;
        // The description goes through description(): add_flag(name, std::string&)
        // would bind the flag's result to that local string.
        auto* on = app.add_flag(onName)->description(onHelp)->multi_option_policy(
            CLI::MultiOptionPolicy::TakeAll);
        auto* off = app.add_flag(offName)->description(offHelp)->multi_option_policy(
            CLI::MultiOptionPolicy::TakeAll);
        flags[on] = {set, true};
        flags[off] = {set, false};
        // Pairs added after --xml-sitemap are the sitemap ones.
        if (xmlSitemap != nullptr)
            needBaseURL.push_back(on);
    }

    static TColor ParseColor(const std::string& value) {
        if (SameTextIgnoringCase(value, "none"))
            return kColorNone;
        if (value.size() != 7 || value[0] != '#')
            throw UsageError("--color: expected #RRGGBB or none, got \"" + value + "\"");
        unsigned rgb = 0;
        for (size_t i = 1; i < 7; ++i) {
            char c = value[i];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f')
                digit = static_cast<unsigned>(AsciiLower(c) - 'a' + 10);
            else
                throw UsageError("--color: expected #RRGGBB or none, got \"" + value + "\"");
            rgb = rgb * 16 + digit;
        }
        unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        return static_cast<TColor>(r | (g << 8) | (b << 16));
    }

    static void SetColor(TMapProfile& profile, const std::string& setting) {
        size_t eq = setting.find('=');
        if (eq == std::string::npos)
            throw UsageError("--color: expected KEY=VALUE, got \"" + setting + "\"");
        std::string key = AsciiLowerCase(setting.substr(0, eq));
        TColor color = ParseColor(setting.substr(eq + 1));
        std::string keys;
        for (const PageColour& colour : kPageColours) {
            if (key == colour.Key) {
                (profile.*colour.Set)(color);
                return;
            }
            keys += (keys.empty() ? "" : ", ") + std::string(colour.Key);
        }
        throw UsageError("--color: unknown key \"" + key + "\" (" + keys + ")");
    }

    // An --index that names a folder stands for the folder's default page.
    static std::string IndexPageOf(const std::string& given) {
        std::string path = ExpandFileName(given);
        if (!FolderExists(path))
            return path;
        std::string page = FindFolderIndexPage(path);
        if (page.empty())
            throw UsageError("--index: the folder " + AddTrailingBackslash(path) +
                             " has no default page (index.html, index.htm, welcome.html, "
                             "index.php or index.asp); name the index page itself");
        return page;
    }

    // A relative ignore entry is taken from the current folder when that
    // names what it should, else from the index page's folder, which is
    // known only once every option is applied.
    static std::string SiteEntry(const std::string& given, bool folder,
                                 const std::string& indexPage) {
        std::string here = ExpandFileName(given);
        if (given.starts_with(kPathDelim) || indexPage.empty() ||
            (folder ? FolderExists(here) : FileExists(here)))
            return here;
        return ExpandFileName(ExtractFilePath(indexPage) + given);
    }

    // Applies the options through the profile's setters in command-line order.
    void Apply(const CLI::App& app, TMapProfile& profile) const {
        std::vector<std::pair<bool, std::string>> ignores; // (folder?, as given)
        std::map<const CLI::Option*, size_t> taken;
        for (const CLI::Option* opt : app.parse_order()) {
            size_t k = taken[opt]++;
            auto it = flags.find(const_cast<CLI::Option*>(opt));
            if (it != flags.end()) {
                it->second.first(profile, it->second.second);
                continue;
            }
            const auto& results = opt->results();
            if (k >= results.size())
                continue;
            const std::string& v = results[k];
            if (opt == index) {
                std::string path = IndexPageOf(v);
                profile.SetIndexPage(path);
                if (profile.OutputFileName().empty())
                    profile.SetOutputFileName(ProposedOutputFile(path));
            } else if (opt == output) {
                profile.SetOutputFileName(ExpandFileName(v));
            } else if (opt == format) {
                profile.SetOutputFormat(v == "list" ? TMapOutputFormat::mfmtList
                                                    : TMapOutputFormat::mfmtParagraph);
            } else if (opt == fileTypes) {
                std::string types = CanonicalFileTypes(v);
                if (types.empty())
                    throw UsageError("--file-types: \"" + v + "\" names no file type");
                profile.SetFileTypes(types);
            } else if (opt == ignoreFolder || opt == ignoreFile) {
                ignores.emplace_back(opt == ignoreFolder, v);
            } else if (opt == color) {
                SetColor(profile, v);
            } else if (opt == xmlSitemap) {
                profile.SetXmlSitemap(true);
                profile.SetXmlBaseURL(v);
            } else if (opt == xmlOutput) {
                profile.SetXmlOutputFileName(v.empty() ? v : ExpandFileName(v));
            } else if (opt == textSitemap) {
                profile.SetTextSitemapFileName(v.empty() ? v : ExpandFileName(v));
            } else if (opt == lastmod) {
                profile.SetXmlLastMod(v == "git"    ? TMapLastMod::mlmGit
                                      : v == "none" ? TMapLastMod::mlmNone
                                                    : TMapLastMod::mlmFileTime);
            }
        }
        for (const auto& [folder, given] : ignores) {
            std::string path = SiteEntry(given, folder, profile.IndexPage());
            if (folder)
                AppendIgnoreFolder(profile, AddTrailingBackslash(path));
            else
                AppendIgnoreFile(profile, AsciiLowerCase(path));
        }
    }
};

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

// Reads a profile file into the profile as the wizard's Open does: the file
// name first (which titles the profile), then the file, then what showing it
// in the wizard's controls does to the profile.
void OpenProfileFile(TMapProfile& profile, const std::string& fileName) {
    profile.SetFileName(fileName);
    LoadProfile(profile, fileName);
    // The index page field proposes an output file while none is set.
    if (!profile.IndexPage().empty() && profile.OutputFileName().empty())
        profile.SetOutputFileName(ProposedOutputFile(profile.IndexPage()));
    profile.SetOutputType(ShownOutputType(profile.OutputType()));
    profile.SetModified(false);
}

// The start-up profile, then --profile, then the other options left to right.
TMapProfile BuildProfile(const CLI::App& app, const ProfileOptions& options) {
    TMapProfile profile = MakeStartupProfile();
    if (options.profileFile->count() > 0)
        OpenProfileFile(profile, ExpandFileName(options.profileFile->as<std::string>()));
    options.Apply(app, profile);
    return profile;
}

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

// An error's message may name a file of the site; its lines may not be
// read by a terminal or a CI runner either.
std::string PrintableLines(std::string_view text) {
    std::string out;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start))
        out += PrintableText(text.substr(start, end - start)) + "\n";
    return out + PrintableText(text.substr(start));
}

void Warn(const CliStreams& streams, const std::string& text) {
    streams.err << "trailwright-cli: warning: " << PrintableText(text) << "\n";
}

// What a run needs of its index page before it scans: one named, its folder
// there (the run's error the wizard also gives), the page itself there; and
// a word on every ignore entry that would leave nothing out.
void CheckIndexPage(const TMapProfile& profile, const CliStreams& streams) {
    if (profile.IndexPage().empty())
        throw UsageError("no index page: give --index PATH, or a --profile that names one");
    if (!FolderExists(ExtractFilePath(profile.IndexPage())))
        throw TError(kIndexFolderMissing);
    if (!FileExists(profile.IndexPage()))
        throw UsageError("the index page " + profile.IndexPage() +
                         " does not exist: the site map's link to it would not work");
    for (const std::string& entry : IgnoreEntriesMatchingNothing(profile))
        Warn(streams, "the ignore entry " + entry + " matches no folder or file of the site " +
                          SiteFolderOf(profile.IndexPage()));
}

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
void CheckOutputs(const TMapProfile& profile, const SitemapJob* job, bool overwrite) {
    try {
        CheckRunOutputs(PlannedOutputs(profile, job), profile.IndexPage(), profile.FileTypes(),
                        overwrite);
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

int Generate(const CLI::App& app, const ProfileOptions& options, bool quiet, bool overwrite,
             const CliStreams& streams) {
    TMapProfile profile = BuildProfile(app, options);
    options.CheckSitemapNeeds(app, profile);
    // The command line has no editor to hand a page to: the file is the target.
    if (profile.OutputType() != TMapOutputType::moutFile)
        profile.SetOutputType(TMapOutputType::moutFile);

    CheckIndexPage(profile, streams);
    CheckOutputPlace(profile, streams);
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
    // Streamed to the file: the page of a very large site is never held whole.
    WriteSiteMapFile(tree, profile, &progress, ProgramFolder());
    progress.Done();

    if (!quiet) {
        int folders = 0;
        tree.ForEach([&folders](SiteMapNode& n, int) { folders += n.IsFolderNode() ? 1 : 0; });
        streams.err << CountOf(scan.FoundCount(), "file", "files") << ", "
                    << CountOf(folders, "folder", "folders") << " -> "
                    << PrintableText(profile.OutputFileName()) << "\n";
    }
    if (writeSitemaps)
        sitemaps.Write(tree, quiet, streams);
    return 0;
}

// What a file that is no profile file seems to be, from its first bytes, so
// that "Invalid stream format" says what went wrong; empty for a file that
// starts as a profile file does.
std::string LooksLike(const std::string& fileName) {
    std::string head;
    try {
        FileReader(fileName).ReadInto(head, 512);
    } catch (const std::exception&) {
        return {};
    }
    if (head.starts_with("TPF0"))
        return {}; // a profile file, damaged further on
    size_t i = head.find_first_not_of(" \t\r\n");
    if (i == std::string::npos)
        return head.empty() ? "an empty file" : "a blank text file";
    std::string start = AsciiLowerCase(head.substr(i, 16));
    if (start[0] == '{' || start[0] == '[')
        return "JSON";
    if (start.starts_with("<?xml"))
        return "XML";
    if (start.starts_with("<!doctype html") || start.starts_with("<html"))
        return "an HTML page";
    bool text = std::all_of(head.begin(), head.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x20 || c == '\t' || c == '\r' || c == '\n';
    });
    return text ? "a text file" : "binary data";
}

// Prints the profile a file gives a newly made profile, as one JSON object
// with the published properties in stream order, then those of the program's
// own that the file holds.
int ShowProfile(const std::string& fileName, const CliStreams& streams) {
    TMapProfile profile;
    TStreamObject object = ProfileStreamObject(profile);
    std::vector<bool> present(object.Properties.size(), false);
    for (size_t k = kPublishedProfileProperties; k < object.Properties.size(); ++k) {
        TPropInfo& info = object.Properties[k];
        auto seen = [&present, k] { present[k] = true; };
        if (info.SetOrdinal)
            info.SetOrdinal = [set = info.SetOrdinal, seen](std::int32_t v) {
                seen();
                set(v);
            };
        if (info.SetString)
            info.SetString = [set = info.SetString, seen](const std::string& v) {
                seen();
                set(v);
            };
    }
    try {
        LoadObjectFile(fileName, object);
    } catch (const EReadError&) {
        std::string kind = LooksLike(fileName);
        if (kind.empty())
            throw;
        throw TError(std::string(kInvalidStreamFormat) + ": " + fileName +
                     " is not a profile file (it looks like " + kind +
                     "; `profile write` makes profile files)");
    }
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (size_t k = 0; k < object.Properties.size(); ++k) {
        const TPropInfo& info = object.Properties[k];
        if (k >= kPublishedProfileProperties && !present[k])
            continue;
        switch (info.Kind) {
        case TPropKind::Boolean:
            json[info.Name] = info.GetOrdinal() != 0;
            break;
        case TPropKind::Enumeration:
            json[info.Name] = info.Identifiers.at(static_cast<size_t>(info.GetOrdinal()));
            break;
        case TPropKind::Colour:
            json[info.Name] = info.GetOrdinal();
            break;
        case TPropKind::String:
            json[info.Name] = info.GetString();
            break;
        }
    }
    // Strings that are not UTF-8 (file names can be any bytes) print with U+FFFD.
    streams.out << JsonWithoutRunnerMarks(
                       json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace))
                << "\n";
    return 0;
}

// Builds the profile as generate does and saves it as the wizard's Save As does.
int WriteProfileFile(const CLI::App& app, const ProfileOptions& options,
                     const std::string& fileName) {
    TMapProfile profile = BuildProfile(app, options);
    // A profile that asks for what it cannot do is refused as generate refuses it.
    options.CheckSitemapNeeds(app, profile);
    profile.SetFileName(ExpandFileName(fileName));
    WriteProfile(profile);
    return 0;
}

// An on/off option takes no value. CLI11 refuses one on every flag (see
// RunCli) except "true", which it takes for the flag alone: refuse that too.
// An argument that an option takes as its value is skipped.
void RejectFlagValues(const CLI::App& command, const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--"))
            continue;
        size_t eq = arg.find('=');
        const CLI::Option* option = command.get_option_no_throw(arg.substr(0, eq));
        if (option == nullptr)
            continue;
        if (eq == std::string::npos)
            i += static_cast<size_t>(std::max(option->get_items_expected_min(), 0));
        else if (option->get_items_expected_max() == 0)
            throw CLI::ArgumentMismatch::FlagOverride(arg.substr(2, eq - 2)); // as CLI11 says it
    }
}

// The command tree of the program with the values its options fill.
struct CommandLine {
    CommandLine();
    // The innermost command given, whose help goes with a usage error.
    CLI::App* Command();
    // The exit status when the run ends with the parse: help, the version or
    // a usage error.
    std::optional<int> Parse(const std::vector<std::string>& args, const CliStreams& streams);
    int Run(const CliStreams& streams);

    CLI::App app{"Builds an HTML site map of a website in a local folder.", "trailwright-cli"};
    CLI::App* generate = nullptr;
    ProfileOptions generateOptions;
    bool quiet = false;
    bool overwrite = false;
    CLI::App* check = nullptr;
    ProfileOptions checkOptions;
    CheckFlags checkFlags;
    CLI::App* profile = nullptr;
    CLI::App* show = nullptr;
    std::string showFile;
    CLI::App* write = nullptr;
    std::string writeFile;
    ProfileOptions writeOptions;
};

CommandLine::CommandLine() {
    // "--titles=false" would turn titles on: a flag takes no value. The
    // subcommands inherit this.
    app.option_defaults()->disable_flag_override();
    app.set_version_flag("--version", std::string("trailwright-cli ") + TW_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);

    generate = app.add_subcommand("generate", "Scan a site folder and write its site map page");
    generateOptions.Add(*generate);
    generate->add_flag("--quiet", quiet, "No progress and no summary on standard error");
    // A run's own choice, never a profile's: a profile handed on must not
    // carry the permission to replace pages of someone else's site.
    generate->add_flag("--overwrite", overwrite,
                       "Replace an existing page of the site that is not a site map of ours "
                       "(never the index page, robots.txt or another output of the run)");
    generateOptions.AddSitemaps(*generate);

    check = app.add_subcommand(
        "check", "Scan a site folder and report dead links, missing anchors, orphan pages, "
                 "title problems, folders without a default page, pages not fully checked and "
                 "unreadable folders");
    checkOptions.Add(*check, false);
    AddCheckFlags(*check, checkFlags);

    profile = app.add_subcommand("profile", "Show or write a profile file");
    profile->require_subcommand(1);
    show = profile->add_subcommand("show", "Print the properties of a profile file as JSON");
    show->add_option("FILE", showFile, "The profile file to read")->required();
    write = profile->add_subcommand(
        "write", "Write a profile file built from a profile file and the options of generate");
    write->add_option("FILE", writeFile, "The profile file to write")->required();
    writeOptions.Add(*write);
    writeOptions.AddSitemaps(*write);
}

CLI::App* CommandLine::Command() {
    for (CLI::App* c : {show, write, profile, generate, check})
        if (c->parsed())
            return c;
    return &app;
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args,
                                      const CliStreams& streams) {
    std::vector<std::string> argv;
    for (size_t i = args.size(); i > 1; --i)
        argv.push_back(args[i - 1]); // CLI11 takes them in reverse order
    try {
        app.parse(argv);
        RejectFlagValues(*Command(), args);
    } catch (const CLI::CallForHelp&) {
        streams.out << Command()->help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        streams.out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        streams.out << "trailwright-cli " << TW_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n" << Command()->help();
        return 2;
    }
    return std::nullopt;
}

int CommandLine::Run(const CliStreams& streams) {
    try {
        if (generate->parsed())
            return Generate(*generate, generateOptions, quiet, overwrite, streams);
        if (show->parsed())
            return ShowProfile(showFile, streams);
        if (write->parsed())
            return WriteProfileFile(*write, writeOptions, writeFile);
        if (check->parsed()) {
            TMapProfile checked = BuildProfile(*check, checkOptions);
            CheckIndexPage(checked, streams);
            return RunCheck(std::move(checked), checkFlags, streams);
        }
    } catch (const UsageError& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n" << Command()->help();
        return 2;
    } catch (const std::exception& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n";
        return 1;
    }
    return 2;
}

} // namespace

int RunCli(const std::vector<std::string>& args, const CliStreams& streams) {
    CommandLine line;
    if (std::optional<int> status = line.Parse(args, streams))
        return *status;
    return line.Run(streams);
}

} // namespace tw

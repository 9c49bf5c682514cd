#include "cli/ProfileOptions.h"

#include "model/ProfileRules.h"
#include "model/SiteLinks.h"
#include "output/PageTemplate.h"
#include "output/SearchSitemaps.h"
#include "output/SitemapURLStyle.h"
#include "persist/ProfileFiles.h"
#include "scan/IgnoreRules.h"
#include "scan/PageReading.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace tw {

namespace {

TColor ParseColor(const std::string& value) {
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

void SetColor(TMapProfile& profile, const std::string& setting) {
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

// A count of links: decimal digits only, at most what a profile stores.
std::optional<std::int32_t> ParseMaxLinks(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(n);
}

// An --index that names a folder stands for the folder's default page.
std::string IndexPageOf(const std::string& given) {
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
std::string SiteEntry(const std::string& given, bool folder, const std::string& indexPage) {
    std::string here = ExpandFileName(given);
    if (given.starts_with(kPathDelim) || indexPage.empty() ||
        (folder ? FolderExists(here) : FileExists(here)))
        return here;
    return ExpandFileName(ExtractFilePath(indexPage) + given);
}

} // namespace

void ProfileOptions::Add(CLI::App& app, bool layoutOptions) {
    auto value = [&app](const char* name, const char* help) {
        return app.add_option(name)->description(help)->expected(1)->multi_option_policy(
            CLI::MultiOptionPolicy::TakeAll);
    };
    // Read before every other option, wherever it stands; given once at most.
    profileFile = app.add_option("--profile")
                      ->description("A profile file to start from, read as the wizard opens it")
                      ->type_name("FILE")
                      ->expected(1);
    index = value("--index", "Full or relative path of the site's index page")->type_name("PATH");
    if (layoutOptions)
        output = value("--output", "The site map file to write")->type_name("PATH");
    if (layoutOptions)
        format = value("--format", "Layout of the site map: indented lists, paragraphs, or the "
                                   "modern HTML5 page")
                     ->type_name("list|paragraph|modern")
                     ->check(CLI::IsMember({"list", "paragraph", "modern"}));
    fileTypes = value("--file-types", "File types to include, separated by \";\", \",\" or "
                                      "spaces, e.g. \"*.htm;*.html\" or \"htm html\"")
                    ->type_name("MASKS");
    ignoreFolder = value("--ignore-folder", "A folder to leave out (repeatable)")->type_name("DIR");
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

    // The modern layout.
    lang = value("--lang", "Language of the modern page (default: the index page's lang, else en)")
               ->type_name("TAG")
               ->check([](const std::string& tag) {
                   return IsLanguageTag(tag) ? std::string()
                                             : "\"" + tag + "\" is not a well-formed language tag";
               });
    pageTitle = value("--page-title", "Title and heading of the modern page (default: Site Map)")
                    ->type_name("TEXT");
    Pair(app, "collapsible", "Fold each folder of the modern page (no script needed)",
         "Show every folder of the modern page open",
         [](TMapProfile& p, bool v) { p.SetCollapsible(v); });
    Pair(app, "filter-box", "Put a search field over the modern page's list",
         "Put no search field on the modern page",
         [](TMapProfile& p, bool v) { p.SetFilterBox(v); });
    Pair(app, "credit", "Write the one-line credit under the modern page's list",
         "Leave the credit out of the modern page",
         [](TMapProfile& p, bool v) { p.SetNoCredit(!v); });
    modernOnly = {lang, pageTitle};
    for (const char* name : {"--collapsible", "--no-collapsible", "--filter-box", "--no-filter-box",
                             "--credit", "--no-credit"})
        modernOnly.push_back(app.get_option(name));
    // Link texts.
    trimTitles = value("--trim-titles",
                       "Cut the site's name from the titles: auto finds the part most titles "
                       "share at their end or start after \" - \", \" | \", \": \" or the like, "
                       "TEXT cuts that part, none nothing (default: none)")
                     ->type_name("auto|none|TEXT")
                     ->check([](const std::string& v) {
                         return v.empty() ? std::string("--trim-titles: the part to cut is empty")
                                          : std::string();
                     });
    Pair(app, "folder-titles", "Name each folder by its default page's title",
         "Name each folder by its name", [](TMapProfile& p, bool v) { p.SetFolderTitles(v); });
    sort = value("--sort", "Order of each folder's items: as found, or by link text in natural "
                           "order, letter case ignored (default: none)")
               ->type_name("none|name")
               ->check(CLI::IsMember({"none", "name"}));
    // Paging of the modern page.
    maxLinks = value("--max-links", "Split the modern page into pages of at most N links each, "
                                    "along its folders (0: one page)")
                   ->type_name("N")
                   ->check([](const std::string& v) {
                       return ParseMaxLinks(v) ? std::string()
                                               : "--max-links: expected a number of links from 0 "
                                                 "to 2147483647, got \"" +
                                                     v + "\"";
                   });
    auto* noMaxLinks =
        app.add_flag("--no-max-links")
            ->description("Write the modern page as one page, however many links it holds")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    flags[noMaxLinks] = {[](TMapProfile& p, bool) { p.SetMaxLinks(0); }, false};
    modernOnly.insert(modernOnly.end(), {maxLinks, noMaxLinks});
    // Template.
    pageTemplate = value("--template", "A page of the site holding the comment <!-- "
                                       "trailwright:sitemap -->: the modern page is written as "
                                       "that page with the site map in the comment's place")
                       ->type_name("FILE");
    auto* noTemplate = app.add_flag("--no-template")
                           ->description("Write the modern page without a template")
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    flags[noTemplate] = {[](TMapProfile& p, bool) { p.SetPageTemplate({}); }, false};
    modernOnly.insert(modernOnly.end(), {pageTemplate, noTemplate});
}

// An option of the modern layout given on the command line for a profile
// that ends up with a classic layout is a usage error.
void ProfileOptions::CheckModernNeeds(const CLI::App& app, const TMapProfile& profile) const {
    if (profile.ModernLayout())
        return;
    for (const CLI::Option* opt : app.parse_order())
        if (std::find(modernOnly.begin(), modernOnly.end(), opt) != modernOnly.end())
            throw UsageError(opt->get_name() + " requires --format modern");
}

// The search-engine sitemaps, which generate writes beside the page.
void ProfileOptions::AddSitemaps(CLI::App& app) {
    auto value = [&app](const char* name, const char* help) {
        return app.add_option(name)->description(help)->expected(1)->multi_option_policy(
            CLI::MultiOptionPolicy::TakeAll);
    };
    xmlSitemap =
        value("--xml-sitemap", "Also write an XML sitemap (sitemaps.org) with URLs below BASEURL")
            ->type_name("BASEURL")
            ->check([](const std::string& url) { return SitemapBaseURLError(url); });
    auto* noXml = app.add_flag("--no-xml-sitemap")
                      ->description("Write no XML sitemap, whatever the profile says")
                      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    flags[noXml] = {[](TMapProfile& p, bool v) { p.SetXmlSitemap(v); }, false};
    xmlOutput =
        value("--xml-output", "The XML sitemap file (default: sitemap.xml, or sitemap.xml.gz with "
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
         "List pages with their file names", [](TMapProfile& p, bool v) { p.SetXmlCleanURLs(v); });
    Pair(app, "xml-all-pages",
         "List every page, whatever robots.txt, 404.html and the pages' noindex and "
         "canonical links say",
         "Leave out the pages that ask search engines to leave them out",
         [](TMapProfile& p, bool v) { p.SetXmlAllPages(v); });
    Pair(app, "xml-images",
         "List with each page the local pictures it shows, whatever the file types",
         "List no image entries with the pages", [](TMapProfile& p, bool v) { p.SetXmlImages(v); });
    lastmod = value("--lastmod", "Where lastmod comes from: the file's time, its last git "
                                 "commit, or none (default: mtime)")
                  ->type_name("mtime|git|none")
                  ->check(CLI::IsMember({"mtime", "git", "none"}));
    Pair(app, "xml-gzip", "Write the XML sitemaps gzip-compressed",
         "Write the XML sitemaps uncompressed", [](TMapProfile& p, bool v) { p.SetXmlGzip(v); });
    Pair(app, "robots-txt",
         "Add a Sitemap line to the robots.txt beside the index page (BASEURL must be a "
         "host root)",
         "Leave robots.txt alone", [](TMapProfile& p, bool v) { p.SetRobotsTxt(v); });
    needBaseURL.insert(needBaseURL.end(), {xmlOutput, textSitemap, lastmod});
}

// An option given on the command line that needs a base URL the built
// profile lacks is the usage error it was when the options were separate.
void ProfileOptions::CheckSitemapNeeds(const CLI::App& app, const TMapProfile& profile) const {
    if (!profile.XmlBaseURL().empty())
        return;
    for (const CLI::Option* opt : app.parse_order())
        if (std::find(needBaseURL.begin(), needBaseURL.end(), opt) != needBaseURL.end())
            throw UsageError(opt->get_name() + " requires --xml-sitemap");
}

void ProfileOptions::Pair(CLI::App& app, const std::string& name, const std::string& what,
                          void (*set)(TMapProfile&, bool)) {
    Pair(app, name, "Use " + what, "Do not use " + what, set);
}

// The on option keeps its name, the off option is it with "no-" in front.
void ProfileOptions::Pair(CLI::App& app, const std::string& name, const std::string& onHelp,
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

// Applies the options through the profile's setters in command-line order.
void ProfileOptions::Apply(const CLI::App& app, TMapProfile& profile) const {
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
            // The modern page leaves OutputFormat at its default.
            profile.SetOutputFormat(v == "list" ? TMapOutputFormat::mfmtList
                                                : TMapOutputFormat::mfmtParagraph);
            profile.SetPageLayout(v == "modern" ? TMapPageLayout::mlayModern
                                                : TMapPageLayout::mlayClassic);
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
        } else if (opt == lang) {
            profile.SetPageLang(v);
        } else if (opt == pageTitle) {
            profile.SetPageTitle(v);
        } else if (opt == lastmod) {
            profile.SetXmlLastMod(v == "git"    ? TMapLastMod::mlmGit
                                  : v == "none" ? TMapLastMod::mlmNone
                                                : TMapLastMod::mlmFileTime);
        } else if (opt == trimTitles) {
            profile.SetTrimTitles(v == "auto"   ? TMapTrimTitles::mttAuto
                                  : v == "none" ? TMapTrimTitles::mttNone
                                                : TMapTrimTitles::mttText);
            profile.SetTrimTitlesText(v == "auto" || v == "none" ? std::string() : v);
        } else if (opt == sort) {
            profile.SetItemSort(v == "name" ? TMapItemSort::msortName : TMapItemSort::msortNone);
        } else if (opt == maxLinks) {
            profile.SetMaxLinks(ParseMaxLinks(v).value_or(0));
        } else if (opt == pageTemplate) {
            profile.SetPageTemplate(ExpandFileName(v));
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

void CheckPageTemplate(const TMapProfile& profile) {
    if (!profile.ModernLayout() || profile.PageTemplate().empty())
        return;
    try {
        LoadPageTemplate(profile.PageTemplate(), profile.OutputFileName());
    } catch (const ETemplateError& e) {
        throw UsageError(e.what());
    }
}

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

} // namespace tw

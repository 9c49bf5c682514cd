#pragma once

#include "model/PageFacts.h"
#include "model/SiteMapTree.h"
#include "output/GitDates.h"
#include "support/AtomicFile.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tw {

// The sitemaps.org limits on one sitemap file.
inline constexpr size_t kSitemapMaxUrls = 50000;
inline constexpr size_t kSitemapMaxBytes = 52428800;

// What is wrong with a base URL for the sitemaps, or empty when it is an
// absolute http:// or https:// URL with a host and without query or fragment.
std::string SitemapBaseURLError(std::string_view baseURL);

// BaseURL and the relative path, encoded by EncodeUrlPath (support/UrlText.h), joined by exactly
// one "/".
std::string JoinSitemapURL(std::string_view baseURL, std::string_view relativePath);

// EscapeXmlText (support/NXStrings.h) writes the URLs into the XML.

// A time as a W3C datetime in UTC ("2024-05-01T12:00:00Z"), or empty when the
// time has no four-digit year.
std::string W3CDateTime(std::time_t time);

// Whether BaseURL names a host's root (its path is "/" or empty), the only
// place crawlers read a robots.txt from.
bool SitemapBaseIsHostRoot(std::string_view baseURL);

// Whether Tag is a well-formed language tag (RFC 5646 syntax, letter case
// aside) or "x-default": the hreflang values a sitemap may carry.
bool IsSitemapLanguageTag(std::string_view tag);

// The absolute URL as a sitemap may list it, or nothing: an http or https URL
// without user info whose host is a DNS name, an IPv4 or a bracketed IPv6
// address and whose port, if any, is 1 to 65535. Scheme and host come in
// lower case, without the scheme's default port or the fragment; bytes a URL
// may not hold as they are percent-encoded.
std::optional<std::string> SitemapWebURL(std::string_view url);

// PageFacts (model/PageFacts.h): what a page says of itself, which the scan
// reads into each page node's record.

enum class SitemapLastmod { Mtime, Git, None };

// The XML sitemap's file as written: gzip bytes go to a name ending in ".gz"
// (Path followed by ".gz", unless Path ends so already, in any case), so
// that the name tells a server and a crawler what the bytes are.
std::string SitemapXmlFileName(const std::string& path, bool gzip);

// The file of numbered part Number of the XML sitemap XmlOutput: the name
// without its ".xml" or ".xml.gz", "-Number", then ".xml" or, with Gzip,
// ".xml.gz".
std::string SitemapPartFileName(const std::string& xmlOutput, size_t number, bool gzip);

// The files of a tree that a sitemap may list, counted once after the scan:
// compared with the edited tree's count, it tells how many the user deleted
// or ignored without keeping their names.
struct SitemapFileCount {
    size_t Pictures = 0;
    size_t Others = 0;
};
SitemapFileCount CountSitemapFiles(const TSiteMapTree& tree);

struct SearchSitemapOptions {
    std::string BaseURL;
    // The index page's folder, ending in the separator: the URLs of the tree
    // are relative to it.
    std::string SiteFolder;
    // The XML sitemap; with more URLs than one file may hold, the index of
    // the numbered sitemaps written beside it.
    std::string XmlOutput;
    // The text sitemap; empty for none.
    std::string TextOutput;
    // The site map page, whose item images are never listed.
    std::string SiteMapPage;
    bool IncludePictures = false;
    // Page URLs without their .html or .htm ending.
    bool CleanURLs = false;
    SitemapLastmod Lastmod = SitemapLastmod::Mtime;
    // The git times of the site when already read; with Lastmod Git and none
    // given, the writer reads them.
    std::shared_ptr<const GitFileTimes> GitTimes;
    // The XML files gzip-compressed (XmlOutput names the compressed file).
    bool Gzip = false;
    // The facts of a page node (by its index in the tree), nullptr when none were read.
    // Unset, the facts the scan kept in the nodes' records.
    std::function<const PageFacts*(int nodeIndex)> FactsOf;
    // Every page, whatever robots.txt, error pages and the pages' own facts say.
    bool AllPages = false;
    // Each URL lists the pictures its page shows: files below the site
    // folder, whatever the file types.
    bool Images = false;
    // Whether a path below the site folder ("/" separated) is a file of the
    // site that the ignore lists leave in. Unset, only the tree's files are.
    std::function<bool(const std::string& relativePath)> IsSiteFile;
    // The files of the tree as scanned, before the user edited it; unset
    // when the tree was not edited.
    std::optional<SitemapFileCount> Scanned;
    size_t MaxUrlsPerFile = kSitemapMaxUrls;
    size_t MaxBytesPerFile = kSitemapMaxBytes;
};

// How the sitemaps spell the URL of a file below the site folder: a folder's
// default page as the folder ("docs/"), and with CleanURLs other pages
// without .html or .htm. One style serves every URL the sitemaps write or
// compare.
class SitemapURLStyle {
public:
    // Default pages are the tree's folder links.
    SitemapURLStyle(const TSiteMapTree& tree, const SearchSitemapOptions& options);

    // The path a relative path is listed under: always a prefix of it
    // (leading slashes dropped), not yet percent-encoded.
    std::string_view PathOf(std::string_view relativePath) const;
    // The absolute URL a relative path is listed under.
    std::string URLOf(std::string_view relativePath) const;
    // The path below the base of an absolute URL, percent-decoded, or nothing
    // when the URL lies elsewhere or (unless AnyQuery) has a query.
    std::optional<std::string> RelativeOf(std::string_view absoluteURL,
                                          bool anyQuery = false) const;
    // An absolute URL in the style: URLOf its path when it lies below the
    // base, else as it stands.
    std::string Styled(std::string_view absoluteURL) const;

private:
    std::string base_; // without trailing slashes
    bool clean_;
    std::unordered_set<std::string_view> defaultPages_;
};

enum class SitemapFileKind { XmlSitemap, XmlIndex, Text };

// Told once a file has been written completely.
struct SitemapFileWritten {
    SitemapFileKind Kind;
    std::string Path;
    size_t Entries; // URLs, or sitemaps for an index
};

// The pages one rule left out of the sitemaps.
struct SitemapLeftOut {
    size_t Count = 0;
    // The first of them: its path below the site folder, as the site names
    // it (not percent-encoded).
    std::string Example;
};

// A page whose alternate links the sitemap could not take: a hreflang that is
// no language tag, or an href that is no web URL with a valid host and port.
struct SitemapBadAlternates {
    std::string Page; // below the site folder, as the site names it
    size_t Count = 0;
    // The first of them, as the page has it.
    std::string Hreflang, Href;
};

struct SearchSitemapResult {
    size_t Urls = 0;
    size_t XmlFiles = 1; // XML files holding URLs
    // The pages left out, each counted under the first rule that left it
    // out. Pages marked noindex, and naming another page as canonical.
    SitemapLeftOut NoIndex;
    SitemapLeftOut Canonical;
    // What robots.txt keeps crawlers from.
    SitemapLeftOut Disallowed;
    // Pages a server shows for a missing one (404.html).
    SitemapLeftOut ErrorPage;
    // Files of the scan that the edited tree no longer holds (Options.Scanned).
    SitemapLeftOut Deleted;
    // Nodes whose link the user changed to lead away from the base URL.
    SitemapLeftOut OutsideBase;
    // URLs whose length the protocol does not allow (fewer than 12 or more
    // than 2048 characters).
    SitemapLeftOut BadLength;
    // The site folder has a robots.txt, but below a base that is not a host
    // root crawlers never read it: its rules were not applied.
    bool RobotsNotApplied = false;
    // The robots.txt went on past kRobotsTxtReadLimit (output/RobotsTxt.h):
    // only its start was applied.
    bool RobotsTxtLonger = false;
    bool ShallowGitClone = false;
    // Pages that named alternates left out of the XML sitemap, in tree order.
    std::vector<SitemapBadAlternates> BadAlternates;
    // The absolute URL of the XML sitemap (or of the sitemap index).
    std::string XmlURL;
    // The URL the XML sitemap has in its other form (gzip-compressed or not).
    std::string OtherFormURL;
    // Files this run did not write that sit where the XML sitemap in its
    // other form, or a numbered part beyond this run's last, would be: left
    // by an earlier run and still served. They are not deleted.
    std::vector<std::string> LeftBehind;
};

// Pages considered: those listed and those left out.
size_t SitemapPages(const SearchSitemapResult& result);
// What the sitemaps list of the site and why the rest is left out, e.g.
// "1 of 531 pages listed; left out: 530 canonical elsewhere (e.g. library/os.html)";
// a rule that leaves out more than half the pages names its first page.
std::string SitemapListedText(const SearchSitemapResult& result);

// The warning for a page whose alternates were left out, naming the page,
// how many and the first of them.
std::string SitemapBadAlternatesText(const SitemapBadAlternates& page);

using SitemapFileListener = std::function<void(const SitemapFileWritten&)>;
// Opens the file that receives a sitemap; tests hand in failing files.
using SitemapFileFactory = std::function<std::unique_ptr<AtomicFile>(const std::string&)>;

// Writes the XML sitemap (split into numbered sitemaps with an index when
// needed) and the text sitemap of the tree: file nodes give their URLs,
// folder nodes the URL of the folder when they have a default page; each URL
// once, pictures only when asked for, and never the sitemap files, robots.txt
// or the site map page's item images. Unless AllPages, error pages (404.html),
// what the host's robots.txt disallows and pages that ask not to be indexed
// or name another canonical URL are left out. Every file is replaced
// atomically. Raises TError for a bad base URL or unreadable git times and
// EFCreateError "Cannot create file %s" naming the file that could not be
// written.
SearchSitemapResult WriteSearchSitemaps(const TSiteMapTree& tree,
                                        const SearchSitemapOptions& options,
                                        const SitemapFileListener& listener = {},
                                        const SitemapFileFactory& createFile = {});

} // namespace tw

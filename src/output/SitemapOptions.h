#pragma once

// What a sitemap run is given, and what it tells of the pages it listed and
// left out.

#include "model/PageFacts.h"
#include "output/GitDates.h"
#include "support/AtomicFile.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The sitemaps.org limits on one sitemap file.
inline constexpr size_t kSitemapMaxUrls = 50000;
inline constexpr size_t kSitemapMaxBytes = 52428800;

// PageFacts (model/PageFacts.h): what a page says of itself, which the scan
// reads into each page node's record.

enum class SitemapLastmod { Mtime, Git, None };

// The files of a tree that a sitemap may list, counted once after the scan:
// compared with the edited tree's count, it tells how many the user deleted
// or ignored without keeping their names.
struct SitemapFileCount {
    size_t Pictures = 0;
    size_t Others = 0;
};

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
    // The facts of a page node (by its index in the tree), nullptr when none were
    // read. Unset, the facts the scan kept in the nodes' records.
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

enum class SitemapFileKind { XmlSitemap, XmlIndex, Text };

// Told once a file has been written completely.
struct SitemapFileWritten {
    SitemapFileKind Kind;
    std::string Path;
    size_t Entries; // URLs, or sitemaps for an index
};

using SitemapFileListener = std::function<void(const SitemapFileWritten&)>;
// Opens the file that receives a sitemap; tests hand in failing files.
using SitemapFileFactory = std::function<std::unique_ptr<AtomicFile>(const std::string&)>;

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

} // namespace tw

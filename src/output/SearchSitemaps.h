#pragma once

#include "model/SiteMapTree.h"
#include "support/AtomicFile.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tw {

// The sitemaps.org limits on one sitemap file.
inline constexpr size_t kSitemapMaxUrls = 50000;
inline constexpr size_t kSitemapMaxBytes = 52428800;

// What is wrong with a base URL for the sitemaps, or empty when it is an
// absolute http:// or https:// URL with a host and without query or fragment.
std::string SitemapBaseURLError(std::string_view baseURL);

// A relative path made into a URL path: every byte except the unreserved
// characters (A-Z a-z 0-9 - . _ ~) and "/" becomes %XX.
std::string EncodeSitemapPath(std::string_view path);

// BaseURL and the relative path, encoded, joined by exactly one "/".
std::string JoinSitemapURL(std::string_view baseURL, std::string_view relativePath);

// Text escaped for XML content and attribute values.
std::string EscapeXmlText(std::string_view text);

// A time as a W3C datetime in UTC ("2024-05-01T12:00:00Z"), or empty when the
// time has no four-digit year.
std::string W3CDateTime(std::time_t time);

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
    bool IncludePictures = false;
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

struct SearchSitemapResult {
    size_t Urls = 0;
    size_t XmlFiles = 1; // XML files holding URLs
    // URLs left out because the protocol does not allow their length
    // (fewer than 12 or more than 2048 characters).
    size_t BadLength = 0;
};

using SitemapFileListener = std::function<void(const SitemapFileWritten&)>;
// Opens the file that receives a sitemap; tests hand in failing files.
using SitemapFileFactory = std::function<std::unique_ptr<AtomicFile>(const std::string&)>;

// Writes the XML sitemap (split into numbered sitemaps with an index when
// needed) and the text sitemap of the tree: file nodes give their URLs,
// folder nodes the URL of their default page; each URL once, pictures only
// when asked for, and never the sitemap files themselves. Every file is replaced atomically.
// Raises TError for a bad base URL and EFCreateError "Cannot create file %s"
// naming the file that could not be written.
SearchSitemapResult WriteSearchSitemaps(const TSiteMapTree& tree,
                                        const SearchSitemapOptions& options,
                                        const SitemapFileListener& listener = {},
                                        const SitemapFileFactory& createFile = {});

} // namespace tw

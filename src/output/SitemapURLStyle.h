#pragma once

// The URLs the sitemaps write: the base URL's rules, how a file below the
// site folder is spelled (folder URLs, clean URLs), the web URLs alternates
// may name and the W3C date of a lastmod.

#include "model/SiteMapTree.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tw {

struct SearchSitemapOptions;

// What is wrong with a base URL for the sitemaps, or empty when it is an
// absolute http:// or https:// URL with a host and without query or fragment.
std::string SitemapBaseURLError(std::string_view baseURL);

// BaseURL and the relative path, encoded by EncodeUrlPath (support/UrlText.h),
// joined by exactly one "/".
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
// Whether Tag is a well-formed language tag, without "x-default": the
// values an html element's lang may carry.
bool IsLanguageTag(std::string_view tag);

// The absolute URL as a sitemap may list it, or nothing: an http or https URL
// without user info whose host is a DNS name, an IPv4 or a bracketed IPv6
// address and whose port, if any, is 1 to 65535. Scheme and host come in
// lower case, without the scheme's default port or the fragment; bytes a URL
// may not hold as they are percent-encoded.
std::optional<std::string> SitemapWebURL(std::string_view url);

// URL or path text without the slashes at its end, or at its start.
std::string_view WithoutTrailingSlashes(std::string_view url);
std::string_view WithoutLeadingSlashes(std::string_view path);
// The last step of a "/" separated path.
std::string_view LastPathStep(std::string_view relativePath);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);
// The path below SiteFolder (which ends in the separator), "/" separated,
// or empty when Path lies elsewhere.
std::string RelativeToSiteFolder(const std::string& siteFolder, const std::string& path);

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

} // namespace tw

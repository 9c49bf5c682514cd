#include "output/SitemapURLStyle.h"

#include "output/SitemapOptions.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/UrlText.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <vector>

namespace tw {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           SameTextIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view WithoutTrailingSlashes(std::string_view url) {
    while (!url.empty() && url.back() == '/')
        url.remove_suffix(1);
    return url;
}

std::string_view WithoutLeadingSlashes(std::string_view path) {
    while (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    return path;
}

std::string_view LastPathStep(std::string_view relativePath) {
    size_t slash = relativePath.rfind('/');
    return slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
}

std::string RelativeToSiteFolder(const std::string& site, const std::string& path) {
    if (path.empty() || site.empty() || path.size() <= site.size() ||
        path.compare(0, site.size(), site) != 0)
        return {};
    std::string relative = path.substr(site.size());
    if constexpr (kPathDelim != '/')
        std::replace(relative.begin(), relative.end(), kPathDelim, '/');
    return relative;
}

std::string SitemapBaseURLError(std::string_view url) {
    std::string quoted = "\"" + std::string(url) + "\"";
    std::string_view rest;
    if (StartsWithIgnoringCase(url, "http://"))
        rest = url.substr(7);
    else if (StartsWithIgnoringCase(url, "https://"))
        rest = url.substr(8);
    else
        return "the base URL must be an absolute http:// or https:// URL, got " + quoted;
    if (url.find_first_of("?#") != std::string_view::npos)
        return "the base URL may not have a query or a fragment: " + quoted;
    size_t authorityEnd = std::min(rest.find('/'), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view path = rest.substr(authorityEnd);
    for (size_t i = 0; i < url.size(); ++i)
        if (UrlByteNeedsEscape(url, i))
            return "the base URL contains a character that a URL may not hold as it "
                   "is: " +
                   quoted;
    if (path.find_first_of("[]") != std::string_view::npos)
        return "the base URL contains a character that a URL may not hold as it "
               "is: " +
               quoted;
    std::optional<HostAndPort> hostPort =
        SplitHostPort(authority.substr(std::min(authority.rfind('@') + 1, authority.size())));
    if (!hostPort || (!hostPort->Host.starts_with('[') &&
                      hostPort->Host.find_first_of("[]") != std::string_view::npos))
        return "the base URL has no valid host: " + quoted;
    auto [host, port] = *hostPort;
    if (host.empty() || host == "[]")
        return "the base URL has no host: " + quoted;
    if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "the base URL has no valid port: " + quoted;
    return {};
}

std::string JoinSitemapURL(std::string_view baseURL, std::string_view relativePath) {
    std::string_view base = WithoutTrailingSlashes(baseURL);
    std::string_view relative = WithoutLeadingSlashes(relativePath);
    std::string url;
    url.reserve(base.size() + 1 + EncodedUrlPathLength(relative));
    url += base;
    url += '/';
    url += EncodeUrlPath(relative);
    return url;
}

bool SitemapBaseIsHostRoot(std::string_view baseURL) {
    return WithoutTrailingSlashes(SplitURL(baseURL).Path).empty();
}

namespace {

template <typename Pred> bool AllOf(std::string_view text, Pred pred) {
    return std::all_of(text.begin(), text.end(), pred);
}

// A DNS name of letters, digits and hyphens, or an IPv4 address when its
// last label is numeric.
bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    std::string_view label;
    for (size_t start = 0;;) {
        size_t dot = host.find('.', start);
        label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !AllOf(label, [](char c) { return IsAsciiAlnum(c) || c == '-'; }))
            return false;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (!AllOf(label, IsAsciiDigit))
        return true;
    in_addr v4{};
    return inet_pton(AF_INET, std::string(host).c_str(), &v4) == 1;
}

// The tags RFC 5646 keeps for history that its syntax does not cover.
constexpr std::string_view kIrregularLanguageTags[] = {
    "en-GB-oed", "i-ami", "i-bnn",     "i-default", "i-enochian", "i-hak",
    "i-klingon", "i-lux", "i-mingo",   "i-navajo",  "i-pwn",      "i-tao",
    "i-tay",     "i-tsu", "sgn-BE-FR", "sgn-BE-NL", "sgn-CH-DE"};

} // namespace

bool IsSitemapLanguageTag(std::string_view tag) {
    return SameTextIgnoringCase(tag, "x-default") || IsLanguageTag(tag);
}

bool IsLanguageTag(std::string_view tag) {
    for (std::string_view irregular : kIrregularLanguageTags)
        if (SameTextIgnoringCase(tag, irregular))
            return true;
    std::vector<std::string_view> subtags;
    for (size_t start = 0;;) {
        size_t dash = tag.find('-', start);
        std::string_view subtag = tag.substr(start, dash - start);
        if (subtag.empty() || subtag.size() > 8 || !AllOf(subtag, IsAsciiAlnum))
            return false;
        subtags.push_back(subtag);
        if (dash == std::string_view::npos)
            break;
        start = dash + 1;
    }
    size_t i = 0;
    const size_t n = subtags.size();
    auto alpha = [&](size_t min, size_t max) {
        return i < n && subtags[i].size() >= min && subtags[i].size() <= max &&
               AllOf(subtags[i], IsAsciiAlpha);
    };
    // privateuse = "x" 1*("-" (1*8alphanum))
    // A private use part takes the rest of the tag.
    auto privateUse = [&] { return i + 1 < n && SameTextIgnoringCase(subtags[i], "x"); };
    if (privateUse())
        return true;
    // language = 2*3ALPHA ["-" extlang] / 4ALPHA / 5*8ALPHA
    if (alpha(2, 3)) {
        ++i;
        for (int extlang = 0; extlang < 3 && alpha(3, 3); ++extlang)
            ++i;
    } else if (alpha(4, 8)) {
        ++i;
    } else {
        return false;
    }
    if (alpha(4, 4)) // script
        ++i;
    if (alpha(2, 2) || (i < n && subtags[i].size() == 3 && AllOf(subtags[i], IsAsciiDigit)))
        ++i; // region
    // variant = 5*8alphanum / (DIGIT 3alphanum)
    while (i < n &&
           (subtags[i].size() >= 5 || (subtags[i].size() == 4 && IsAsciiDigit(subtags[i].front()))))
        ++i;
    // extension = singleton 1*("-" (2*8alphanum))
    while (i < n && subtags[i].size() == 1 && !SameTextIgnoringCase(subtags[i], "x")) {
        size_t first = ++i;
        while (i < n && subtags[i].size() >= 2)
            ++i;
        if (i == first)
            return false;
    }
    return i == n || privateUse();
}

std::optional<std::string> SitemapWebURL(std::string_view url) {
    URLParts parts = SplitURL(url);
    std::string scheme = AsciiLowerCase(parts.Scheme);
    if (!parts.HasScheme || !parts.HasAuthority || (scheme != "http" && scheme != "https") ||
        parts.Authority.find('@') != std::string_view::npos)
        return std::nullopt;
    std::optional<HostAndPort> hostPort = SplitHostPort(parts.Authority);
    if (!hostPort)
        return std::nullopt;
    auto [host, port] = *hostPort;
    if (host.starts_with('[')) {
        in6_addr v6{};
        if (inet_pton(AF_INET6, std::string(host.substr(1, host.size() - 2)).c_str(), &v6) != 1)
            return std::nullopt;
    } else if (!IsHostName(host)) {
        return std::nullopt;
    }
    unsigned number = 0;
    if (port.size() > 5 || !AllOf(port, IsAsciiDigit))
        return std::nullopt;
    for (char c : port)
        number = number * 10 + static_cast<unsigned>(c - '0');
    if (!port.empty() && (number == 0 || number > 65535))
        return std::nullopt;
    std::string out = scheme + "://" + AsciiLowerCase(host);
    if (!port.empty() && number != (scheme == "https" ? 443u : 80u))
        out += ":" + std::to_string(number);
    AppendUrlBytes(out, parts.Path.empty() ? std::string_view("/") : parts.Path);
    if (parts.HasQuery) {
        out += '?';
        AppendUrlBytes(out, parts.Query);
    }
    return out;
}

SitemapURLStyle::SitemapURLStyle(const TSiteMapTree& tree, const SearchSitemapOptions& options)
    : base_(WithoutTrailingSlashes(options.BaseURL)), clean_(options.CleanURLs) {
    tree.ForEach([this](SiteMapNode& node, int) {
        std::string_view page = WithoutLeadingSlashes(node.Data.LinkURL);
        if (node.IsFolderNode() && !page.empty() && !node.Data.LinkURLEdited)
            defaultPages_.insert(page);
    });
}

std::string_view SitemapURLStyle::PathOf(std::string_view relativePath) const {
    std::string_view path = WithoutLeadingSlashes(relativePath);
    if (defaultPages_.count(path) != 0)
        return path.substr(0, path.rfind('/') + 1);
    if (clean_) {
        std::string_view name = LastPathStep(path);
        for (std::string_view ext : {".html", ".htm"})
            if (name.size() > ext.size() && EndsWithIgnoringCase(name, ext))
                return path.substr(0, path.size() - ext.size());
    }
    return path;
}

std::string SitemapURLStyle::URLOf(std::string_view relativePath) const {
    return JoinSitemapURL(base_, PathOf(relativePath));
}

std::optional<std::string> SitemapURLStyle::RelativeOf(std::string_view absoluteURL,
                                                       bool anyQuery) const {
    URLParts url = SplitURL(absoluteURL);
    URLParts base = SplitURL(base_);
    if (!url.HasScheme || !url.HasAuthority || (url.HasQuery && !anyQuery) ||
        OriginOf(url) != OriginOf(base))
        return std::nullopt;
    std::string_view basePath = WithoutTrailingSlashes(base.Path);
    std::string_view path = url.Path.empty() ? std::string_view("/") : url.Path;
    if (path.size() <= basePath.size() || !path.starts_with(basePath) ||
        path[basePath.size()] != '/')
        return std::nullopt;
    return PercentDecoded(path.substr(basePath.size() + 1));
}

std::string SitemapURLStyle::Styled(std::string_view absoluteURL) const {
    if (std::optional<std::string> relative = RelativeOf(absoluteURL))
        return URLOf(*relative);
    URLParts url = SplitURL(absoluteURL);
    if (!url.HasScheme || !url.HasAuthority)
        return std::string(absoluteURL);
    std::string styled = OriginOf(url) + std::string(url.Path.empty() ? "/" : url.Path);
    if (url.HasQuery)
        styled += "?" + std::string(url.Query);
    return styled;
}

std::string W3CDateTime(std::time_t time) {
    std::tm tm{};
    if (!gmtime_r(&time, &tm))
        return {};
    long long year = static_cast<long long>(tm.tm_year) + 1900;
    if (year < 0 || year > 9999)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", year, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

} // namespace tw

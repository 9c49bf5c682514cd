#pragma once

#include "check/CheckResult.h"
#include "model/SiteMapTree.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// File types whose files are pages: read for their links and titles, and
// expected to be reachable from the index page.
inline constexpr const char* kCheckedPageTypes =
    "*.htm;*.html;*.shtml;*.xhtml;*.php;*.php3;*.php4;*.php5;*.asp;*.aspx;*.jsp;*.cfm;";

bool IsCheckedPage(std::string_view path);

struct LinkCheckLimits {
    // Bytes read of one page; the rest of a longer page is not checked.
    size_t MaxPageBytes = kDefaultMaxPageBytes;
    // Links for which this says true are left unchecked and uncounted; it
    // is given each link as written.
    std::function<bool(std::string_view)> IgnoreLink;
    // Every http and https link not ignored goes to LinkReport::ExternalLinks,
    // to be asked online.
    bool CollectExternal = false;
    // The site's own addresses (absolute http or https URLs): a link that
    // starts with one, at a path boundary, names the local file below the
    // site root that the rest of it names, and is never asked online.
    std::vector<std::string> SiteUrls;
    // The page-quality findings gathered (all by default) and their limit.
    // Mixed content is looked for when a site URL is https.
    QualityOptions Quality;
};

// The link as a path from the site root ("/about.html#team", "/") when it
// starts with one of SiteUrls at a path boundary; nothing otherwise. The
// scheme and host compare without regard to letter case, the path exactly.
std::optional<std::string> SiteUrlPath(std::string_view link,
                                       const std::vector<std::string>& siteUrls);

// Whether a link as written is an absolute http or https URL.
bool IsHttpLink(std::string_view link);

class LinkCheckListener {
public:
    virtual ~LinkCheckListener() = default;
    // After each page: Done of Total pages are read.
    virtual void PageChecked(size_t done, size_t total) {
        (void)done;
        (void)total;
    }
    // Asked after each page and each style sheet, on the checking thread:
    // true ends the check there. Another thread may be the one that decides.
    virtual bool StopRequested() { return false; }
};

// The folders a scan left out, absolute and ending in "/".
struct ScanFolders {
    // Those it could not read.
    std::vector<std::string> Unreadable;
    // A place where a folder that the walk had already walked turned up
    // again, and the place where it was walked.
    std::vector<std::pair<std::string, std::string>> Revisited;
};

// Raised by a check that its listener stopped: no error of the site, and
// no report either.
class ECheckStopped : public std::exception {
public:
    const char* what() const noexcept override { return "The check was stopped"; }
};

// Checks the site a scan has put into Tree. Every local style sheet that a
// page or another style sheet refers to is read once too, whatever its
// type, and its references are checked from its own folder. IndexPage is the absolute path
// of the site's index page; its folder is the site root. The pages are the
// file nodes of checked types and the index page itself, whatever its type
// and whether or not the scan kept it. Raises EFOpenError when the index
// page cannot be read: without it nothing is reachable, and ECheckStopped
// when the listener asked to stop. Folders tells what the scan left out.
LinkReport CheckLinks(const TSiteMapTree& tree, const std::string& indexPage,
                      const LinkCheckLimits& limits = {}, LinkCheckListener* listener = nullptr,
                      const ScanFolders& folders = {});

} // namespace tw

#pragma once

#include "model/PageParser.h"
#include "model/SiteMapTree.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
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

// All paths of a report are relative to the site root (the index page's
// folder) with "/" separators; folders end in "/", the root itself is "./".
// Every list is sorted by path.

enum class DeadLinkReason {
    Missing,       // no file or folder there (or something that is neither)
    NoDefaultPage, // a folder without a default page
    MissingAnchor, // the page is there, the fragment names nothing in it
};

struct DeadLink {
    std::string Page; // the page, or the style sheet, that holds the link
    // The link as written: one URL, also where the attribute holds several
    // (srcset) or more than a URL (a meta refresh's content).
    std::string Link;
    std::string Tag;
    std::string Attribute;
    unsigned Line = 0; // 0 when unknown
    DeadLinkReason Reason = DeadLinkReason::Missing;
    // Missing: a file or folder of that name exists when letter case is
    // ignored, which some hosts do and others do not.
    bool CaseDiffers = false;
    LinkSource Source = LinkSource::Attribute;
    bool CssImport = false; // CSS: an @import rather than a url()
};

enum class TitleProblemKind { Missing, Empty, Duplicate };

struct TitleProblem {
    TitleProblemKind Kind = TitleProblemKind::Missing;
    // Missing and empty: one page. Duplicate: every page of the group.
    std::vector<std::string> Pages;
    // Duplicate: the shared title, whitespace collapsed.
    std::string Title;
};

// A page the check could not cover completely.
enum class PageNoteKind {
    Unreadable, // gone, not a regular file, or no permission
    Truncated,  // longer than the read limit: only its beginning was checked
};

struct PageNote {
    std::string Page;
    PageNoteKind Kind = PageNoteKind::Unreadable;
};

struct LinkReport {
    std::vector<DeadLink> DeadLinks;
    std::vector<std::string> OrphanPages;
    // Missing titles, then empty ones, then duplicate groups.
    std::vector<TitleProblem> TitleProblems;
    std::vector<std::string> FoldersWithoutDefaultPage;
    std::vector<PageNote> Notes;
    // Folders the scan could not read: what lies in them is unknown, so
    // links into them are not reported dead, and each fails the check.
    std::vector<std::string> UnreadableFolders;
    // Every page read for links and every style sheet read, sorted.
    std::vector<std::string> CheckedFiles;
    size_t PageCount = 0;      // pages read for links
    size_t LocalLinkCount = 0; // links that name a local file

    // Findings and notes together: a page that could not be checked leaves
    // the site's state unknown, which must not pass as clean.
    size_t ProblemCount() const {
        return DeadLinks.size() + OrphanPages.size() + TitleProblems.size() +
               FoldersWithoutDefaultPage.size() + Notes.size() + UnreadableFolders.size();
    }
};

struct LinkCheckLimits {
    // Bytes read of one page; the rest of a longer page is not checked.
    size_t MaxPageBytes = size_t{16} << 20;
    // Links for which this says true are left unchecked and uncounted; it
    // is given each link as written.
    std::function<bool(std::string_view)> IgnoreLink;
};

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

// Path relative to the site root SiteRoot (absolute, ending in "/"), as a
// report names it: "docs/", "docs/a.html", "./" for the root itself.
std::string SiteRelativePath(std::string_view siteRoot, std::string_view path);

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

#pragma once

// What a check found, as plain data: the checker fills it in, the report
// code reads it.

#include "model/PageParser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Bytes read of one page or style sheet unless the caller says otherwise;
// the rest of a longer one is not checked.
inline constexpr size_t kDefaultMaxPageBytes = size_t{16} << 20;

// All paths of a report are relative to the site root (the index page's
// folder) with "/" separators; folders end in "/", the root itself is "./".
// Every list is sorted by path.

// Path relative to the site root SiteRoot (absolute, ending in "/"), as a
// report names it: "docs/", "docs/a.html", "./" for the root itself.
inline std::string SiteRelativePath(std::string_view siteRoot, std::string_view path) {
    std::string_view rel = path.starts_with(siteRoot) ? path.substr(siteRoot.size()) : path;
    return rel.empty() ? std::string("./") : std::string(rel);
}

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

// An http or https URL that the pages name, asked online (check --external),
// whose answer is a finding: a dead link, or one moved permanently.
struct ExternalUrl {
    std::string Url;      // as requested: no fragment
    int Status = 0;       // the last HTTP status; 0 when none came
    std::string Error;    // dead: the status or the error in words
    std::string FinalUrl; // where redirects led
    bool Dead = false;    // else moved permanently
    // The links that name it, Reason unused; sorted by page and line.
    std::vector<DeadLink> Links;
};

// What a page-quality audit tells of a page, read in the same pass as its
// links. In the order of their FindingKinds.
enum class QualityKind : std::uint8_t {
    MissingAlt,           // Tag, Value: the element's URL
    MissingLang,          // Line: the html tag's, 0 without one
    MissingDescription,   //
    DuplicateDescription, // Value: the shared description, Detail: the other pages
    MissingH1,            //
    MixedContent,         // Tag, Attribute, Value: the http: URL
    TooDeep,              // Detail: the page's depth
    RedirectPage,         // Value: the refresh's URL as written
    RedirectChain,        // Value: the chain, its pages joined by " -> "
    DuplicateId,          // Value: the id, Detail: the line of its first use
};
inline constexpr size_t kQualityKindCount = 10;

struct QualityProblem {
    QualityKind Kind = QualityKind::MissingAlt;
    std::string Page;
    unsigned Line = 0; // 0: about the page as a whole
    std::string Tag;
    std::string Attribute;
    std::string Value;
    std::string Detail;
};

// Which page-quality findings a check gathers, and their limit.
struct QualityOptions {
    std::array<bool, kQualityKindCount> Enabled{true, true, true, true, true,
                                                true, true, true, true, true};
    unsigned MaxDepth = 5; // links from the index page, which is at depth 0
    bool On(QualityKind kind) const { return Enabled[static_cast<size_t>(kind)]; }
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
    // Asked to collect them: every http and https link, in page order.
    std::vector<DeadLink> ExternalLinks;
    // Once they were asked: the dead and the moved URLs, sorted by URL.
    std::vector<ExternalUrl> ExternalUrls;
    // Page-quality findings, sorted by page and line; none of them fails
    // the check unless it is strict.
    std::vector<QualityProblem> Quality;
    bool ExternalChecked = false;
    size_t ExternalUrlCount = 0; // distinct URLs asked, or answered from the cache

    // Links to dead external URLs: each is a problem; a move only informs.
    size_t ExternalDeadCount() const {
        size_t n = 0;
        for (const ExternalUrl& u : ExternalUrls)
            n += u.Dead ? u.Links.size() : 0;
        return n;
    }

    // Findings and notes together: a page that could not be checked leaves
    // the site's state unknown, which must not pass as clean.
    size_t ProblemCount() const {
        return DeadLinks.size() + OrphanPages.size() + TitleProblems.size() +
               FoldersWithoutDefaultPage.size() + Notes.size() + UnreadableFolders.size() +
               ExternalDeadCount();
    }
};

} // namespace tw

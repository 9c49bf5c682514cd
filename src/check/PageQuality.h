#pragma once

// The page-quality findings: what an accessibility or search-engine audit
// tells of a static site, taken from the one read of each page that the
// link check makes. The checker calls these; the report forms read the
// findings from LinkReport::Quality.

#include "check/CheckResult.h"
#include "model/PageParser.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tw {

// ASCII whitespace collapsed to single spaces, none at either end, as a
// browser shows a title and a search engine a description.
std::string CollapseWhitespace(std::string_view text);

// Whether a link loads a resource into its page (a script, a style sheet,
// a picture, a frame, media, an embedded object, CSS's url()), rather than
// leading the reader elsewhere (a, area, a refresh, a link that is no style
// sheet).
bool IsResourceLink(const PageLink& link);

// Whether a link as written is a plain http: URL, any letter case.
bool IsPlainHttpUrl(std::string_view link);

// Whether a site served at one of SiteUrls is served over https: then an
// http: resource on its pages is mixed content.
bool IsHttpsSite(const std::vector<std::string>& siteUrls);

// The findings one page gives on its own, its links aside: missing alt,
// lang, description and h1, on Page (site-relative). Whole: the page was
// read to its end, so that what it lacks is really missing. Redirect pages
// are not meant to be read: no description or h1 is asked of them.
void PageOwnFindings(const ParsedPage& parsed, const std::string& page, bool whole, bool redirects,
                     const QualityOptions& options, std::vector<QualityProblem>& out);

// Notes each anchor of a page as it goes into the page's set of anchors:
// the second use of an id on a page is a finding, once per id, at most
// kMaxPageElements of them a page.
class DuplicateIds {
public:
    explicit DuplicateIds(bool enabled) : enabled_(enabled) {}
    // Anchor was already in the page's set; Value is the set's copy, which
    // outlives this object's use.
    void Repeated(const std::string& value, unsigned line);
    // The findings, their Page left empty.
    std::vector<QualityProblem> Take() { return std::move(found_); }

private:
    bool enabled_;
    std::unordered_set<std::string_view> reported_;
    std::vector<QualityProblem> found_;
};

// What the findings about the site as a whole need of one page.
struct QualityPage {
    std::string Relative;
    bool Counted = false; // read, and a page the site shows (not just a missing index)
    bool Whole = false;
    std::optional<std::string> Description;
    // Its refresh's URL as written; none when it does not redirect.
    std::optional<std::string> Redirect;
    unsigned RedirectLine = 0;
    std::uint32_t RedirectTarget = kNoQualityPage; // the page the refresh leads to
    static constexpr std::uint32_t kNoQualityPage = UINT32_MAX;
};

// Depth: the fewest links from the index page, kNotReached for orphans.
inline constexpr std::uint32_t kNotReached = UINT32_MAX;

// Too deep pages, shared descriptions, redirect pages and their chains.
// Linear in the pages: a chain is shown with at most ten pages.
void SiteFindings(const std::vector<QualityPage>& pages, const std::vector<std::uint32_t>& depth,
                  const QualityOptions& options, std::vector<QualityProblem>& out);

// Sorted by page, then line, then kind.
void SortQuality(std::vector<QualityProblem>& list);

} // namespace tw

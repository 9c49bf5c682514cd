#include "check/PageQuality.h"

#include "support/NXStrings.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace tw {

std::string CollapseWhitespace(std::string_view text) {
    std::string out;
    bool pending = false;
    for (char c : text) {
        if (IsHtmlSpace(c)) {
            pending = !out.empty();
            continue;
        }
        if (pending)
            out += ' ';
        pending = false;
        out += c;
    }
    return out;
}

bool IsResourceLink(const PageLink& link) {
    if (link.Source != LinkSource::Attribute)
        return true; // CSS's url() and @import load what they name
    const std::string& tag = link.Tag;
    if (tag == "a" || tag == "area" || tag == "meta")
        return false;
    if (tag == "link")
        return link.StyleSheet;
    return true;
}

bool IsPlainHttpUrl(std::string_view link) {
    size_t start = link.find_first_not_of(" \t\n\f\r");
    return start != std::string_view::npos && SameTextIgnoringCase(link.substr(start, 5), "http:");
}

bool IsHttpsSite(const std::vector<std::string>& siteUrls) {
    return std::any_of(siteUrls.begin(), siteUrls.end(), [](const std::string& url) {
        return SameTextIgnoringCase(std::string_view(url).substr(0, 6), "https:");
    });
}

void PageOwnFindings(const ParsedPage& parsed, const std::string& page, bool whole, bool redirects,
                     const QualityOptions& options, std::vector<QualityProblem>& out) {
    if (options.On(QualityKind::MissingAlt))
        for (const PageElement& e : parsed.MissingAlt)
            out.push_back({QualityKind::MissingAlt, page, e.Line, e.Tag, {}, e.Url, {}});
    // What a page lacks is only known once all of it was read.
    if (!whole)
        return;
    auto add = [&](QualityKind kind, unsigned line) {
        if (options.On(kind))
            out.push_back({kind, page, line, {}, {}, {}, {}});
    };
    if (!parsed.Lang || CollapseWhitespace(*parsed.Lang).empty())
        add(QualityKind::MissingLang, parsed.HtmlLine);
    if (redirects)
        return;
    if (!parsed.Description || CollapseWhitespace(*parsed.Description).empty())
        add(QualityKind::MissingDescription, parsed.HtmlLine);
    if (!parsed.HasH1)
        add(QualityKind::MissingH1, parsed.HtmlLine);
}

void DuplicateIds::Repeated(const std::string& value, unsigned line) {
    if (!enabled_ || found_.size() >= kMaxPageElements || !reported_.insert(value).second)
        return;
    found_.push_back({QualityKind::DuplicateId, {}, line, {}, {}, value, {}});
}

namespace {

// The other pages of a group, a few of them by name.
std::string OtherPages(const std::vector<size_t>& group, size_t self,
                       const std::vector<QualityPage>& pages) {
    constexpr size_t kNamed = 3;
    std::string text;
    size_t named = 0;
    for (size_t other : group) {
        if (other == self)
            continue;
        if (named == kNamed)
            return text + " and " +
                   CountOf(static_cast<long long>(group.size() - 1 - kNamed), "more page",
                           "more pages");
        text += (named++ > 0 ? ", " : "") + pages[other].Relative;
    }
    return text;
}

void DuplicateDescriptions(const std::vector<QualityPage>& pages,
                           std::vector<QualityProblem>& out) {
    std::unordered_map<std::string, std::vector<size_t>> byText;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QualityPage& p = pages[i];
        if (!p.Counted || p.Redirect || !p.Description)
            continue;
        std::string text = CollapseWhitespace(*p.Description);
        if (!text.empty())
            byText[std::move(text)].push_back(i);
    }
    for (const auto& [text, group] : byText) {
        if (group.size() < 2)
            continue;
        for (size_t i : group)
            out.push_back({QualityKind::DuplicateDescription,
                           pages[i].Relative,
                           0,
                           {},
                           {},
                           text,
                           OtherPages(group, i, pages)});
    }
}

// A redirect page's next page in a chain: the redirect page its refresh
// leads to, none else.
std::uint32_t NextRedirect(const std::vector<QualityPage>& pages, size_t i) {
    std::uint32_t t = pages[i].RedirectTarget;
    return t != QualityPage::kNoQualityPage && pages[t].Counted && pages[t].Redirect
               ? t
               : QualityPage::kNoQualityPage;
}

// Chains of two or more redirect pages, each once from its start: a page
// no other redirect page leads to, or, in a loop that nothing leads into,
// the loop's first page. The pages redirect to at most one page each, so
// following them covers each page once.
void RedirectChains(const std::vector<QualityPage>& pages, std::vector<QualityProblem>& out) {
    constexpr size_t kShown = 10;
    const auto none = QualityPage::kNoQualityPage;
    std::vector<bool> fedBy(pages.size(), false), covered(pages.size(), false);
    for (size_t i = 0; i < pages.size(); ++i)
        if (std::uint32_t next = NextRedirect(pages, i); next != none)
            fedBy[next] = true;
    auto follow = [&](size_t start) {
        std::string chain = pages[start].Relative;
        size_t shown = 1;
        size_t at = start;
        covered[at] = true;
        for (;;) {
            std::uint32_t next = NextRedirect(pages, at);
            if (next == none) {
                // The last redirect leads to a page, or elsewhere.
                std::uint32_t t = pages[at].RedirectTarget;
                if (shown < kShown)
                    chain += " -> " + (t != none ? pages[t].Relative : *pages[at].Redirect);
                break;
            }
            if (shown < kShown)
                chain += " -> " + pages[next].Relative;
            else if (shown == kShown)
                chain += " -> ...";
            ++shown;
            if (covered[next])
                break; // a loop, or a chain already told
            covered[next] = true;
            at = next;
        }
        out.push_back({QualityKind::RedirectChain,
                       pages[start].Relative,
                       pages[start].RedirectLine,
                       "meta",
                       "content",
                       std::move(chain),
                       {}});
    };
    for (size_t i = 0; i < pages.size(); ++i)
        if (!fedBy[i] && NextRedirect(pages, i) != none)
            follow(i);
    // What is left are loops that nothing leads into.
    for (size_t i = 0; i < pages.size(); ++i)
        if (!covered[i] && NextRedirect(pages, i) != none)
            follow(i);
}

} // namespace

void SiteFindings(const std::vector<QualityPage>& pages, const std::vector<std::uint32_t>& depth,
                  const QualityOptions& options, std::vector<QualityProblem>& out) {
    if (options.On(QualityKind::TooDeep))
        for (size_t i = 0; i < pages.size(); ++i)
            if (pages[i].Counted && depth[i] != kNotReached && depth[i] > options.MaxDepth)
                out.push_back({QualityKind::TooDeep,
                               pages[i].Relative,
                               0,
                               {},
                               {},
                               {},
                               std::to_string(depth[i])});
    if (options.On(QualityKind::DuplicateDescription))
        DuplicateDescriptions(pages, out);
    if (options.On(QualityKind::RedirectPage))
        for (const QualityPage& p : pages)
            if (p.Counted && p.Redirect)
                out.push_back({QualityKind::RedirectPage,
                               p.Relative,
                               p.RedirectLine,
                               "meta",
                               "content",
                               *p.Redirect,
                               {}});
    if (options.On(QualityKind::RedirectChain))
        RedirectChains(pages, out);
}

void SortQuality(std::vector<QualityProblem>& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const QualityProblem& a, const QualityProblem& b) {
                         return std::tie(a.Page, a.Line, a.Kind) < std::tie(b.Page, b.Line, b.Kind);
                     });
}

} // namespace tw

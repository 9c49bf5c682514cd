#include "check/Findings.h"

#include "check/Baseline.h"
#include "check/CheckReport.h"
#include "support/NXStrings.h"

#include <algorithm>

namespace tw {

std::string DescribeLink(const DeadLink& link) {
    std::string css = link.CssImport ? "@import \"" + link.Link + "\"" : "url(" + link.Link + ")";
    switch (link.Source) {
    case LinkSource::StyleElement:
        return "<style> " + css;
    case LinkSource::StyleAttribute:
        return "<" + link.Tag + " style> " + css;
    case LinkSource::StyleSheet:
        return css;
    case LinkSource::Attribute:
        break;
    }
    return "<" + link.Tag + " " + link.Attribute + "=\"" + link.Link + "\">";
}

namespace findings {

const std::array<KindInfo, kFindingKindCount> kKinds = {{
    {"deadLink", "Dead link", "error",
     "A link names a file or folder that the site does not have."},
    {"missingAnchor", "Missing anchor", "error",
     "A link's fragment names no id and no anchor of its page."},
    {"folderLinkWithoutDefaultPage", "Link to a folder without a default page", "error",
     "A link names a folder that has no default page."},
    {"orphanPage", "Orphan page", "warning",
     "No chain of links from the index page reaches the page."},
    {"missingTitle", "Missing title", "warning", "The page has no title element."},
    {"emptyTitle", "Empty title", "warning", "The page's title element holds no text."},
    {"duplicateTitle", "Duplicate title", "warning", "Other pages have the same title."},
    {"folderWithoutDefaultPage", "Folder without a default page", "warning",
     "The folder has no default page."},
    {"notFullyChecked", "Page not fully checked", "warning",
     "The page could not be read, or not all of it was checked."},
    {"unreadableFolder", "Unreadable folder", "error",
     "The folder could not be read: nothing in it was checked, and links into it are not "
     "reported."},
    {"externalDeadLink", "External dead link", "error",
     "An http or https link answers with an error status, or not at all."},
    {"movedPermanently", "Moved permanently", "note",
     "An http or https link is permanently redirected to an address that answers: the link "
     "could name that address."},
    {"missingAlt", "Missing alt", "warning",
     "An img, area or input type=image has no alt attribute (alt=\"\" marks a picture that "
     "says nothing)."},
    {"missingLang", "Missing lang", "warning",
     "The page's html element has no lang attribute, or the page has no html element."},
    {"missingDescription", "Missing description", "warning",
     "The page has no meta description with content."},
    {"duplicateDescription", "Duplicate description", "warning",
     "Other pages have the same meta description."},
    {"missingH1", "Missing h1", "warning", "The page has no h1 heading."},
    {"mixedContent", "Mixed content", "warning",
     "A page of an https site loads a script, style sheet, picture, frame or media over "
     "http."},
    {"tooDeep", "Too deep", "note",
     "More links than --max-depth lead from the index page to the page, at the fewest."},
    {"redirectPage", "Redirect page", "note",
     "The page only redirects elsewhere with a refresh meta element."},
    {"redirectChain", "Redirect chain", "warning",
     "A redirect page leads to another redirect page."},
    {"duplicateId", "Duplicate id", "warning",
     "An id (or an a element's name) occurs more than once on the page: a link to it is "
     "ambiguous."},
}};

std::optional<FindingKind> KindOfId(std::string_view id) {
    for (size_t i = 0; i < kKinds.size(); ++i)
        if (id == kKinds[i].Id)
            return static_cast<FindingKind>(i);
    return std::nullopt;
}

const KindInfo& Info(FindingKind kind) {
    return kKinds.at(static_cast<size_t>(kind));
}

const char* ReasonName(DeadLinkReason reason) {
    switch (reason) {
    case DeadLinkReason::NoDefaultPage:
        return "noDefaultPage";
    case DeadLinkReason::MissingAnchor:
        return "missingAnchor";
    case DeadLinkReason::Missing:
        break;
    }
    return "missing";
}

FindingKind KindOf(DeadLinkReason reason) {
    switch (reason) {
    case DeadLinkReason::NoDefaultPage:
        return FindingKind::FolderLink;
    case DeadLinkReason::MissingAnchor:
        return FindingKind::MissingAnchor;
    case DeadLinkReason::Missing:
        break;
    }
    return FindingKind::DeadLink;
}

const char* TitleKindName(TitleProblemKind kind) {
    switch (kind) {
    case TitleProblemKind::Missing:
        return "missing";
    case TitleProblemKind::Empty:
        return "empty";
    case TitleProblemKind::Duplicate:
        break;
    }
    return "duplicate";
}

FindingKind KindOf(TitleProblemKind kind) {
    switch (kind) {
    case TitleProblemKind::Missing:
        return FindingKind::MissingTitle;
    case TitleProblemKind::Empty:
        return FindingKind::EmptyTitle;
    case TitleProblemKind::Duplicate:
        break;
    }
    return FindingKind::DuplicateTitle;
}

const char* NoteName(PageNoteKind kind) {
    return kind == PageNoteKind::Unreadable ? "unreadable" : "truncated";
}

std::string NoteText(PageNoteKind kind, size_t maxPageBytes) {
    if (kind == PageNoteKind::Unreadable)
        return "cannot be read";
    return "only the first " + std::to_string(maxPageBytes >> 20) + " MB were checked";
}

std::string Count(size_t n, const char* one, const char* many) {
    return CountOf(static_cast<long long>(n), one, many);
}

FindingId IdOf(const DeadLink& d) {
    return {KindOf(d.Reason), d.Page, d.Link, d.Tag, d.Attribute, ReasonName(d.Reason)};
}

FindingId IdOf(FindingKind kind, const std::string& page, std::string link, std::string reason) {
    return {kind, page, std::move(link), {}, {}, std::move(reason)};
}

FindingId IdOf(const TitleProblem& t, const std::string& page) {
    return IdOf(KindOf(t.Kind), page, t.Kind == TitleProblemKind::Duplicate ? t.Title : "");
}

FindingId IdOf(const PageNote& n) {
    return IdOf(FindingKind::NotFullyChecked, n.Page, {}, NoteName(n.Kind));
}

FindingId IdOf(const ExternalUrl& u, const DeadLink& link) {
    return {u.Dead ? FindingKind::ExternalDeadLink : FindingKind::MovedPermanently,
            link.Page,
            link.Link,
            link.Tag,
            link.Attribute,
            u.Dead ? "dead" : "moved"};
}

FindingKind KindOf(QualityKind kind) {
    return static_cast<FindingKind>(static_cast<size_t>(FindingKind::MissingAlt) +
                                    static_cast<size_t>(kind));
}

// Not its line, which moves, nor a chain's later pages or a depth.
FindingId IdOf(const QualityProblem& q) {
    return {KindOf(q.Kind), q.Page, q.Value, q.Tag, q.Attribute, {}};
}

std::string QualityMessage(const QualityProblem& q) {
    std::string title = Info(KindOf(q.Kind)).Title;
    switch (q.Kind) {
    case QualityKind::MissingAlt:
        return title + ": <" + q.Tag +
               (q.Value.empty()
                    ? std::string()
                    : std::string(q.Tag == "area" ? " href=\"" : " src=\"") + q.Value + "\"") +
               "> has no alt attribute";
    case QualityKind::MissingLang:
        return title + (q.Line > 0 ? ": <html> has no lang attribute" : ": the page has no <html>");
    case QualityKind::MissingDescription:
        return title + ": no <meta name=\"description\"> with content";
    case QualityKind::DuplicateDescription:
        return "Duplicate description \"" + q.Value + "\", also on " + q.Detail;
    case QualityKind::MissingH1:
        return title + ": the page has no <h1>";
    case QualityKind::MixedContent:
        return title + ": " + q.Detail + " on an https site";
    case QualityKind::TooDeep:
        return title + ": " + q.Detail + " links from the index page";
    case QualityKind::RedirectPage:
        return title + ": refreshes to " + q.Value;
    case QualityKind::RedirectChain:
        return title + ": " + q.Value;
    case QualityKind::DuplicateId:
        return title + ": \"" + q.Value + "\"";
    }
    return title;
}

std::string ExternalStatusText(const ExternalUrl& u) {
    if (!u.Dead)
        return "moved permanently to " + u.FinalUrl;
    std::string text = u.Error;
    if (!u.FinalUrl.empty())
        text += ", redirected to " + u.FinalUrl;
    return text;
}

std::string ExternalMessage(const ExternalUrl& u, const DeadLink& link) {
    const char* title =
        Info(u.Dead ? FindingKind::ExternalDeadLink : FindingKind::MovedPermanently).Title;
    return std::string(title) + ": " + DescribeLink(link) + " (" + ExternalStatusText(u) + ")";
}

KnownEntries::KnownEntries(const LinkReport& report, const Baseline* known) {
    auto has = [known](const FindingId& id) { return known != nullptr && known->Contains(id); };
    for (const DeadLink& d : report.DeadLinks)
        DeadLinks.push_back(has(IdOf(d)));
    for (const std::string& page : report.OrphanPages)
        OrphanPages.push_back(has(IdOf(FindingKind::OrphanPage, page)));
    for (const TitleProblem& t : report.TitleProblems)
        TitleProblems.push_back(std::all_of(t.Pages.begin(), t.Pages.end(),
                                            [&](const auto& p) { return has(IdOf(t, p)); }));
    for (const std::string& folder : report.FoldersWithoutDefaultPage)
        Folders.push_back(has(IdOf(FindingKind::FolderWithoutDefaultPage, folder)));
    for (const PageNote& n : report.Notes)
        Notes.push_back(has(IdOf(n)));
    for (const std::string& folder : report.UnreadableFolders)
        Unreadable.push_back(has(IdOf(FindingKind::UnreadableFolder, folder)));
    for (const ExternalUrl& u : report.ExternalUrls)
        for (const DeadLink& link : u.Links) {
            External.push_back(has(IdOf(u, link)));
            KnownMoves += !u.Dead && External.back() ? 1 : 0;
        }
    for (const QualityProblem& q : report.Quality)
        Quality.push_back(has(IdOf(q)));
}

size_t KnownEntries::Count() const {
    size_t n = 0;
    for (const auto* list : {&DeadLinks, &OrphanPages, &TitleProblems, &Folders, &Notes,
                             &Unreadable, &External, &Quality})
        n += static_cast<size_t>(std::count(list->begin(), list->end(), true));
    return n - KnownMoves;
}

std::string DeadLinkMessage(const DeadLink& d) {
    std::string message = std::string(Info(KindOf(d.Reason)).Title) + ": " + DescribeLink(d);
    if (d.Reason == DeadLinkReason::Missing && d.CaseDiffers)
        message += " (differs only in letter case)";
    return message;
}

std::string DuplicateMessage(const TitleProblem& t, const std::string& page) {
    constexpr size_t kNamed = 3;
    std::string message = "Duplicate title \"" + t.Title + "\", also on ";
    size_t named = 0;
    for (const std::string& other : t.Pages) {
        if (other == page)
            continue;
        if (named == kNamed)
            return message + " and " +
                   Count(t.Pages.size() - 1 - kNamed, "more page", "more pages");
        message += (named++ > 0 ? ", " : "") + other;
    }
    return message;
}

} // namespace findings

using namespace findings;

bool FindingFails(FindingKind kind, bool strict) {
    return strict || kind < FindingKind::MovedPermanently;
}

const char* FindingKindTitle(FindingKind kind) {
    return Info(kind).Title;
}

std::vector<Finding> ListFindings(const LinkReport& report, const ReportOptions& options) {
    std::vector<Finding> list;
    auto add = [&](FindingId id, unsigned line, std::string message) {
        bool known = options.Known != nullptr && options.Known->Contains(id);
        list.push_back({std::move(id), line, std::move(message), known});
    };
    for (const DeadLink& d : report.DeadLinks)
        add(IdOf(d), d.Line, DeadLinkMessage(d));
    for (const std::string& page : report.OrphanPages)
        add(IdOf(FindingKind::OrphanPage, page), 0,
            "Orphan page: no chain of links from the index page reaches it");
    for (const TitleProblem& t : report.TitleProblems)
        for (const std::string& page : t.Pages)
            add(IdOf(t, page), 0,
                t.Kind == TitleProblemKind::Duplicate ? DuplicateMessage(t, page)
                                                      : Info(KindOf(t.Kind)).Title);
    for (const std::string& folder : report.FoldersWithoutDefaultPage)
        add(IdOf(FindingKind::FolderWithoutDefaultPage, folder), 0,
            Info(FindingKind::FolderWithoutDefaultPage).Title);
    for (const PageNote& n : report.Notes)
        add(IdOf(n), 0,
            std::string(Info(FindingKind::NotFullyChecked).Title) + ": " +
                NoteText(n.Kind, options.MaxPageBytes));
    for (const std::string& folder : report.UnreadableFolders)
        add(IdOf(FindingKind::UnreadableFolder, folder), 0, kUnreadableFolderText);
    for (const ExternalUrl& u : report.ExternalUrls)
        for (const DeadLink& link : u.Links)
            add(IdOf(u, link), link.Line, ExternalMessage(u, link));
    for (const QualityProblem& q : report.Quality)
        add(IdOf(q), q.Line, QualityMessage(q));
    return list;
}

size_t NewProblemCount(const LinkReport& report, const Baseline* known, bool strict) {
    KnownEntries isKnown(report, known);
    const auto knownQuality =
        static_cast<size_t>(std::count(isKnown.Quality.begin(), isKnown.Quality.end(), true));
    size_t fresh = report.ProblemCount() - (isKnown.Count() - knownQuality);
    if (!strict)
        return fresh;
    // Strict: a move and each page-quality finding fail too.
    for (const ExternalUrl& u : report.ExternalUrls)
        if (!u.Dead)
            for (const DeadLink& link : u.Links)
                fresh += known != nullptr && known->Contains(IdOf(u, link)) ? 0 : 1;
    return fresh + report.Quality.size() - knownQuality;
}

} // namespace tw

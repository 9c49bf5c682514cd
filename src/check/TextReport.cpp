#include "check/TextReport.h"

#include "check/FindingGroups.h"
#include "check/QualityReport.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace tw {

using namespace findings;

namespace {

using Json = nlohmann::ordered_json;

const char* SourceName(LinkSource source) {
    switch (source) {
    case LinkSource::StyleElement:
        return "styleElement";
    case LinkSource::StyleAttribute:
        return "styleAttribute";
    case LinkSource::StyleSheet:
        return "styleSheet";
    case LinkSource::Attribute:
        break;
    }
    return "attribute";
}

// Key's text in Item as valid UTF-8 and, when the site's bytes are not
// valid UTF-8, those bytes percent-encoded under Key + "Bytes": U+FFFD would
// make different names one for a baseline.
void PutText(Json& item, const std::string& key, std::string_view raw) {
    item[key] = ValidUtf8(raw);
    if (!IsUtf8(raw))
        item[key + "Bytes"] = EncodeUrlPath(raw);
}

const char* DeadLinkReasonText(DeadLinkReason reason) {
    switch (reason) {
    case DeadLinkReason::NoDefaultPage:
        return "folder without a default page";
    case DeadLinkReason::MissingAnchor:
        return "missing anchor";
    case DeadLinkReason::Missing:
        break;
    }
    return "missing";
}

} // namespace

void WriteTextReport(const LinkReport& report, const KnownEntries& known,
                     const ReportOptions& options, std::ostream& out) {
    auto heading = [&out](const char* what, size_t n) { out << what << ": " << n << "\n"; };
    auto end = [&out](bool isKnown) { out << (isKnown ? " (known)\n" : "\n"); };
    if (!report.DeadLinks.empty()) {
        heading("Dead links", report.DeadLinks.size());
        auto line = [&](size_t i, const char* indent, bool withReason) {
            const DeadLink& d = report.DeadLinks[i];
            out << indent << PrintableText(d.Page);
            if (d.Line > 0)
                out << ":" << d.Line;
            out << ": " << PrintableText(DescribeLink(d));
            if (withReason && d.Reason != DeadLinkReason::Missing)
                out << " (" << DeadLinkReasonText(d.Reason) << ")";
            else if (withReason && d.CaseDiffers)
                out << " (differs only in letter case)";
            end(known.DeadLinks[i]);
        };
        if (options.All) {
            for (size_t i = 0; i < report.DeadLinks.size(); ++i)
                line(i, "  ", true);
        } else {
            // A target that many links name is said once, with a few of them.
            constexpr size_t kShown = 3;
            for (const DeadLinkGroup& group : GroupDeadLinks(report)) {
                if (group.Links.size() == 1) {
                    line(group.Links.front(), "  ", true);
                    continue;
                }
                const DeadLink& first = report.DeadLinks[group.Links.front()];
                out << "  " << PrintableText(group.Target) << " ("
                    << DeadLinkReasonText(first.Reason)
                    << (first.Reason == DeadLinkReason::Missing && first.CaseDiffers
                            ? ", differs only in letter case"
                            : "")
                    << "): " << Count(group.Links.size(), "link", "links") << " from "
                    << Count(group.Pages, "page", "pages") << "\n";
                // The first link of each of the first pages.
                size_t shown = 0;
                const std::string* lastPage = nullptr;
                for (size_t i : group.Links) {
                    if (shown == kShown)
                        break;
                    if (lastPage && *lastPage == report.DeadLinks[i].Page)
                        continue;
                    lastPage = &report.DeadLinks[i].Page;
                    line(i, "    ", false);
                    ++shown;
                }
                if (group.Links.size() > shown)
                    out << "    and "
                        << Count(group.Links.size() - shown, "more link", "more links")
                        << " (--all lists every one)\n";
            }
        }
    }
    if (!report.OrphanPages.empty()) {
        heading("Orphan pages", report.OrphanPages.size());
        for (size_t i = 0; i < report.OrphanPages.size(); ++i) {
            out << "  " << PrintableText(report.OrphanPages[i]);
            end(known.OrphanPages[i]);
        }
    }
    if (!report.TitleProblems.empty()) {
        heading("Title problems", report.TitleProblems.size());
        for (size_t i = 0; i < report.TitleProblems.size(); ++i) {
            const TitleProblem& t = report.TitleProblems[i];
            out << "  ";
            if (t.Kind == TitleProblemKind::Duplicate)
                out << "duplicate title \"" << PrintableText(t.Title) << "\": ";
            else
                out << TitleKindName(t.Kind) << " title: ";
            for (size_t k = 0; k < t.Pages.size(); ++k)
                out << (k ? ", " : "") << PrintableText(t.Pages[k]);
            end(known.TitleProblems[i]);
        }
    }
    if (!report.FoldersWithoutDefaultPage.empty()) {
        heading("Folders without a default page", report.FoldersWithoutDefaultPage.size());
        for (size_t i = 0; i < report.FoldersWithoutDefaultPage.size(); ++i) {
            out << "  " << PrintableText(report.FoldersWithoutDefaultPage[i]);
            end(known.Folders[i]);
        }
    }
    if (!report.Notes.empty()) {
        heading("Pages not fully checked", report.Notes.size());
        for (size_t i = 0; i < report.Notes.size(); ++i) {
            const PageNote& n = report.Notes[i];
            out << "  " << PrintableText(n.Page) << ": " << NoteText(n.Kind, options.MaxPageBytes);
            end(known.Notes[i]);
        }
    }
    if (!report.UnreadableFolders.empty()) {
        heading("Unreadable folders", report.UnreadableFolders.size());
        for (size_t i = 0; i < report.UnreadableFolders.size(); ++i) {
            out << "  " << PrintableText(report.UnreadableFolders[i]) << ": "
                << kUnreadableFolderText;
            end(known.Unreadable[i]);
        }
    }

    // Grouped by URL: the URL with its answer, then the links that name it.
    for (bool dead : {true, false}) {
        size_t urls = 0;
        for (const ExternalUrl& u : report.ExternalUrls)
            urls += u.Dead == dead ? 1 : 0;
        if (urls == 0)
            continue;
        heading(dead ? "External dead links" : "Moved permanently", urls);
        size_t k = 0;
        for (const ExternalUrl& u : report.ExternalUrls) {
            size_t first = k;
            k += u.Links.size();
            if (u.Dead != dead)
                continue;
            out << "  " << PrintableText(u.Url) << ": " << PrintableText(ExternalStatusText(u))
                << "\n";
            for (size_t i = 0; i < u.Links.size(); ++i) {
                const DeadLink& d = u.Links[i];
                out << "    " << PrintableText(d.Page);
                if (d.Line > 0)
                    out << ":" << d.Line;
                out << ": " << PrintableText(DescribeLink(d));
                end(known.External[first + i]);
            }
        }
    }

    WriteQualitySections(report.Quality, known.Quality, out);

    out << Count(report.PageCount, "page", "pages") << ", "
        << Count(report.LocalLinkCount, "local link", "local links");
    if (report.ExternalChecked)
        out << ", " << Count(report.ExternalUrlCount, "external URL", "external URLs");
    out << " checked. ";
    const std::string quality = QualitySummary(report.Quality, options.Strict);
    if (report.ProblemCount() == 0) {
        out << "No problems found." << (quality.empty() ? "" : " " + quality + ".") << "\n";
        return;
    }
    std::vector<std::string> parts;
    auto add = [&parts](size_t n, const char* one, const char* many) {
        if (n > 0)
            parts.push_back(Count(n, one, many));
    };
    add(report.DeadLinks.size(), "dead link", "dead links");
    add(report.OrphanPages.size(), "orphan page", "orphan pages");
    add(report.TitleProblems.size(), "title problem", "title problems");
    add(report.FoldersWithoutDefaultPage.size(), "folder without a default page",
        "folders without a default page");
    add(report.Notes.size(), "page not fully checked", "pages not fully checked");
    add(report.UnreadableFolders.size(), "unreadable folder", "unreadable folders");
    add(report.ExternalDeadCount(), "external dead link", "external dead links");
    out << Count(report.ProblemCount(), "problem", "problems") << ": ";
    for (size_t i = 0; i < parts.size(); ++i)
        out << (i ? ", " : "") << parts[i];
    if (size_t n = known.Count(); n > 0)
        out << "; " << n << " known";
    out << "." << (quality.empty() ? "" : " " + quality + ".") << "\n";
}

void WriteJsonReport(const LinkReport& report, const KnownEntries& known, std::ostream& out,
                     bool strict) {
    // Whether an entry fails the check: new, and of a kind that fails.
    auto fails = [strict](FindingKind kind, bool isKnown) {
        return !isKnown && FindingFails(kind, strict);
    };
    Json deadLinks = Json::array();
    for (size_t i = 0; i < report.DeadLinks.size(); ++i) {
        const DeadLink& d = report.DeadLinks[i];
        Json item = Json::object();
        PutText(item, "page", d.Page);
        PutText(item, "link", d.Link);
        PutText(item, "tag", d.Tag);
        PutText(item, "attribute", d.Attribute);
        item["source"] = SourceName(d.Source);
        if (d.Source != LinkSource::Attribute)
            item["cssImport"] = d.CssImport;
        item["line"] = d.Line > 0 ? Json(d.Line) : Json(nullptr);
        item["reason"] = ReasonName(d.Reason);
        if (d.CaseDiffers)
            item["hint"] = "differs only in letter case";
        item["fails"] = fails(KindOf(d.Reason), known.DeadLinks[i]);
        item["known"] = bool(known.DeadLinks[i]);
        deadLinks.push_back(std::move(item));
    }
    auto entries = [&fails](const char* key, const std::vector<std::string>& list,
                            const std::vector<bool>& isKnown, FindingKind kind) {
        Json array = Json::array();
        for (size_t i = 0; i < list.size(); ++i) {
            Json item = Json::object();
            PutText(item, key, list[i]);
            item["fails"] = fails(kind, isKnown[i]);
            item["known"] = bool(isKnown[i]);
            array.push_back(std::move(item));
        }
        return array;
    };
    Json titles = Json::array();
    for (size_t i = 0; i < report.TitleProblems.size(); ++i) {
        const TitleProblem& t = report.TitleProblems[i];
        Json item = {{"kind", TitleKindName(t.Kind)}, {"pages", Json::array()}};
        // The pages' bytes side by side with their names, null where valid.
        Json bytes = Json::array();
        bool anyBytes = false;
        for (const std::string& page : t.Pages) {
            item["pages"].push_back(ValidUtf8(page));
            anyBytes = anyBytes || !IsUtf8(page);
            bytes.push_back(IsUtf8(page) ? Json(nullptr) : Json(EncodeUrlPath(page)));
        }
        if (anyBytes)
            item["pagesBytes"] = std::move(bytes);
        if (t.Kind == TitleProblemKind::Duplicate)
            PutText(item, "title", t.Title);
        item["fails"] = fails(KindOf(t.Kind), known.TitleProblems[i]);
        item["known"] = bool(known.TitleProblems[i]);
        titles.push_back(std::move(item));
    }
    Json notes = Json::array();
    for (size_t i = 0; i < report.Notes.size(); ++i) {
        Json item = Json::object();
        PutText(item, "page", report.Notes[i].Page);
        item["kind"] = NoteName(report.Notes[i].Kind);
        item["fails"] = fails(FindingKind::NotFullyChecked, known.Notes[i]);
        item["known"] = bool(known.Notes[i]);
        notes.push_back(std::move(item));
    }

    Json json = Json::object();
    json["deadLinks"] = std::move(deadLinks);
    json["orphanPages"] =
        entries("page", report.OrphanPages, known.OrphanPages, FindingKind::OrphanPage);
    json["titleProblems"] = std::move(titles);
    json["foldersWithoutDefaultPage"] =
        entries("folder", report.FoldersWithoutDefaultPage, known.Folders,
                FindingKind::FolderWithoutDefaultPage);
    json["notes"] = std::move(notes);
    json["unreadableFolders"] = entries("folder", report.UnreadableFolders, known.Unreadable,
                                        FindingKind::UnreadableFolder);
    json["pageQuality"] = QualityJson(report.Quality, known.Quality, strict);
    if (report.ExternalChecked) {
        Json external = Json::array();
        size_t k = 0;
        for (const ExternalUrl& u : report.ExternalUrls) {
            Json item = Json::object();
            PutText(item, "url", u.Url);
            item["finding"] = u.Dead ? "externalDeadLink" : "movedPermanently";
            item["status"] = u.Status > 0 ? Json(u.Status) : Json(nullptr);
            item["error"] = u.Dead ? Json(ValidUtf8(u.Error)) : Json(nullptr);
            item["finalUrl"] = u.FinalUrl.empty() ? Json(nullptr) : Json(ValidUtf8(u.FinalUrl));
            Json links = Json::array();
            for (const DeadLink& d : u.Links) {
                Json link = Json::object();
                PutText(link, "page", d.Page);
                PutText(link, "link", d.Link);
                PutText(link, "tag", d.Tag);
                PutText(link, "attribute", d.Attribute);
                link["source"] = SourceName(d.Source);
                link["line"] = d.Line > 0 ? Json(d.Line) : Json(nullptr);
                const bool isKnown = known.External[k++];
                link["fails"] =
                    fails(u.Dead ? FindingKind::ExternalDeadLink : FindingKind::MovedPermanently,
                          isKnown);
                link["known"] = isKnown;
                links.push_back(std::move(link));
            }
            item["links"] = std::move(links);
            external.push_back(std::move(item));
        }
        json["externalLinks"] = std::move(external);
    }
    json["summary"] = {{"pages", report.PageCount},
                       {"localLinks", report.LocalLinkCount},
                       {"deadLinks", report.DeadLinks.size()},
                       {"orphanPages", report.OrphanPages.size()},
                       {"titleProblems", report.TitleProblems.size()},
                       {"foldersWithoutDefaultPage", report.FoldersWithoutDefaultPage.size()},
                       {"notes", report.Notes.size()},
                       {"unreadableFolders", report.UnreadableFolders.size()},
                       {"pageQuality", report.Quality.size()},
                       {"problems", report.ProblemCount()},
                       {"known", known.Count()}};
    if (report.ExternalChecked) {
        size_t moved = 0;
        for (const ExternalUrl& u : report.ExternalUrls)
            moved += u.Dead ? 0 : u.Links.size();
        json["summary"]["externalUrls"] = report.ExternalUrlCount;
        json["summary"]["externalDeadLinks"] = report.ExternalDeadCount();
        json["summary"]["movedPermanently"] = moved;
    }
    out << JsonWithoutRunnerMarks(json.dump(2, ' ', false, Json::error_handler_t::replace)) << "\n";
}

} // namespace tw

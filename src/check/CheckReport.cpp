#include "check/CheckReport.h"

#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <re2/re2.h>

namespace tw {

namespace {

using Json = nlohmann::ordered_json;

// Text for a GitHub Actions workflow command, escaped as GitHub's toolkit
// escapes it; a property's value also escapes the command's separators.
// Other controls become "?": the log shows on a terminal too.
std::string CommandText(std::string_view raw, bool property) {
    std::string out;
    for (char c : ValidUtf8(raw)) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else if (property && c == ':')
            out += "%3A";
        else if (property && c == ',')
            out += "%2C";
        else
            out += c;
    }
    return PrintableText(out);
}

// A site-relative path seen from elsewhere; the root "./" is the prefix.
std::string PrefixedPath(const std::string& prefix, const std::string& path) {
    if (path == "./")
        return prefix.empty() ? path : prefix;
    return prefix + path;
}

// ---- Names

struct KindInfo {
    const char* Id;    // SARIF's rule id, JUnit's failure type
    const char* Title; // a few words
    const char* Level; // SARIF's level; GitHub's command for a new finding
    const char* Description;
};

// In the order of FindingKind.
constexpr std::array<KindInfo, 10> kKinds = {{
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
}};

// The finding's text for an unreadable folder.
constexpr const char* kUnreadableFolderText = "folder could not be read";

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

// "1 dead link", "2 dead links".
std::string Count(size_t n, const char* one, const char* many) {
    return CountOf(static_cast<long long>(n), one, many);
}

// ---- Findings

FindingId IdOf(const DeadLink& d) {
    return {KindOf(d.Reason), d.Page, d.Link, d.Tag, d.Attribute, ReasonName(d.Reason)};
}

FindingId IdOf(FindingKind kind, const std::string& page, std::string link = {},
               std::string reason = {}) {
    return {kind, page, std::move(link), {}, {}, std::move(reason)};
}

FindingId IdOf(const TitleProblem& t, const std::string& page) {
    return IdOf(KindOf(t.Kind), page, t.Kind == TitleProblemKind::Duplicate ? t.Title : "");
}

FindingId IdOf(const PageNote& n) {
    return IdOf(FindingKind::NotFullyChecked, n.Page, {}, NoteName(n.Kind));
}

// Whether each entry of each list of a report is known. A group of pages
// with one title is known when each of its pages had that title before.
struct KnownEntries {
    std::vector<bool> DeadLinks, OrphanPages, TitleProblems, Folders, Notes, Unreadable;

    KnownEntries(const LinkReport& report, const Baseline* known) {
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
    }

    size_t Count() const {
        size_t n = 0;
        for (const auto* list :
             {&DeadLinks, &OrphanPages, &TitleProblems, &Folders, &Notes, &Unreadable})
            n += static_cast<size_t>(std::count(list->begin(), list->end(), true));
        return n;
    }
};

std::string DeadLinkMessage(const DeadLink& d) {
    std::string message = std::string(Info(KindOf(d.Reason)).Title) + ": " + DescribeLink(d);
    if (d.Reason == DeadLinkReason::Missing && d.CaseDiffers)
        message += " (differs only in letter case)";
    return message;
}

// The other pages of a group, a few of them by name.
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

// ---- The formats

void WriteText(const LinkReport& report, const KnownEntries& known, const ReportOptions& options,
               std::ostream& out) {
    auto heading = [&out](const char* what, size_t n) { out << what << ": " << n << "\n"; };
    auto end = [&out](bool isKnown) { out << (isKnown ? " (known)\n" : "\n"); };
    if (!report.DeadLinks.empty()) {
        heading("Dead links", report.DeadLinks.size());
        for (size_t i = 0; i < report.DeadLinks.size(); ++i) {
            const DeadLink& d = report.DeadLinks[i];
            out << "  " << PrintableText(d.Page);
            if (d.Line > 0)
                out << ":" << d.Line;
            out << ": " << PrintableText(DescribeLink(d));
            if (d.Reason == DeadLinkReason::NoDefaultPage)
                out << " (folder without a default page)";
            else if (d.Reason == DeadLinkReason::MissingAnchor)
                out << " (missing anchor)";
            else if (d.CaseDiffers)
                out << " (differs only in letter case)";
            end(known.DeadLinks[i]);
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

    out << Count(report.PageCount, "page", "pages") << ", "
        << Count(report.LocalLinkCount, "local link", "local links") << " checked. ";
    if (report.ProblemCount() == 0) {
        out << "No problems found.\n";
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
    out << Count(report.ProblemCount(), "problem", "problems") << ": ";
    for (size_t i = 0; i < parts.size(); ++i)
        out << (i ? ", " : "") << parts[i];
    if (size_t n = known.Count(); n > 0)
        out << "; " << n << " known";
    out << ".\n";
}

// Key's text in Item as valid UTF-8 and, when the site's bytes are not
// valid UTF-8, those bytes percent-encoded under Key + "Bytes": U+FFFD would
// make different names one for a baseline.
void PutText(Json& item, const std::string& key, std::string_view raw) {
    item[key] = ValidUtf8(raw);
    if (!IsUtf8(raw))
        item[key + "Bytes"] = EncodeUrlPath(raw);
}

void WriteJson(const LinkReport& report, const KnownEntries& known, std::ostream& out) {
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
        item["known"] = bool(known.DeadLinks[i]);
        deadLinks.push_back(std::move(item));
    }
    auto entries = [](const char* key, const std::vector<std::string>& list,
                      const std::vector<bool>& isKnown) {
        Json array = Json::array();
        for (size_t i = 0; i < list.size(); ++i) {
            Json item = Json::object();
            PutText(item, key, list[i]);
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
        item["known"] = bool(known.TitleProblems[i]);
        titles.push_back(std::move(item));
    }
    Json notes = Json::array();
    for (size_t i = 0; i < report.Notes.size(); ++i) {
        Json item = Json::object();
        PutText(item, "page", report.Notes[i].Page);
        item["kind"] = NoteName(report.Notes[i].Kind);
        item["known"] = bool(known.Notes[i]);
        notes.push_back(std::move(item));
    }

    Json json = Json::object();
    json["deadLinks"] = std::move(deadLinks);
    json["orphanPages"] = entries("page", report.OrphanPages, known.OrphanPages);
    json["titleProblems"] = std::move(titles);
    json["foldersWithoutDefaultPage"] =
        entries("folder", report.FoldersWithoutDefaultPage, known.Folders);
    json["notes"] = std::move(notes);
    json["unreadableFolders"] = entries("folder", report.UnreadableFolders, known.Unreadable);
    json["summary"] = {{"pages", report.PageCount},
                       {"localLinks", report.LocalLinkCount},
                       {"deadLinks", report.DeadLinks.size()},
                       {"orphanPages", report.OrphanPages.size()},
                       {"titleProblems", report.TitleProblems.size()},
                       {"foldersWithoutDefaultPage", report.FoldersWithoutDefaultPage.size()},
                       {"notes", report.Notes.size()},
                       {"unreadableFolders", report.UnreadableFolders.size()},
                       {"problems", report.ProblemCount()},
                       {"known", known.Count()}};
    out << JsonWithoutRunnerMarks(json.dump(2, ' ', false, Json::error_handler_t::replace)) << "\n";
}

// What a test case in JUnit stands for.
const char* FileClass(const std::string& path) {
    if (path.ends_with('/'))
        return "folder";
    return SameTextIgnoringCase(ExtractFileExt(path), ".css") ? "stylesheet" : "page";
}

std::string Where(const Finding& f) {
    return f.Line > 0 ? f.Id.Page + ":" + std::to_string(f.Line) : f.Id.Page;
}

// A test case for each checked file and for each file or folder a finding is
// about, with a failure for each new finding. Known findings are listed in
// the case's output; a case with known findings only is skipped, as test
// tools report an expected failure: it neither passes nor fails. "failures"
// counts the failed test cases, so that the passed ones are what is left.
void WriteJunit(const LinkReport& report, const std::vector<Finding>& findings, std::ostream& out) {
    std::map<std::string, std::vector<const Finding*>> cases;
    for (const std::string& file : report.CheckedFiles)
        cases[file];
    for (const Finding& f : findings)
        cases[f.Id.Page].push_back(&f);
    size_t failed = 0, skipped = 0;
    for (const auto& [file, list] : cases) {
        bool fresh = std::any_of(list.begin(), list.end(), [](auto* f) { return !f->Known; });
        failed += fresh ? 1 : 0;
        skipped += !fresh && !list.empty() ? 1 : 0;
    }
    // Jenkins' schema has no skipped count for the test suites.
    const std::string counts = " name=\"trailwright-cli check\" tests=\"" +
                               std::to_string(cases.size()) + "\" failures=\"" +
                               std::to_string(failed) + "\" errors=\"0\"";
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites" << counts << ">\n"
        << "  <testsuite" << counts << " skipped=\"" << skipped << "\">\n";
    for (const auto& [file, list] : cases) {
        out << "    <testcase name=\"" << EscapeXmlText(file) << "\" classname=\""
            << FileClass(file) << "\"";
        if (list.empty()) {
            out << "/>\n";
            continue;
        }
        out << ">\n";
        std::string knownText;
        size_t knownCount = 0;
        for (const Finding* f : list)
            if (f->Known)
                knownText += (knownCount++ ? "\n" : "") + Where(*f) + ": " + f->Message;
        if (knownCount == list.size())
            out << "      <skipped message=\""
                << Count(knownCount, "known finding", "known findings") << "\"/>\n";
        for (const Finding* f : list)
            if (!f->Known)
                out << "      <failure message=\"" << EscapeXmlText(f->Message) << "\" type=\""
                    << Info(f->Id.Kind).Id << "\">" << EscapeXmlText(Where(*f) + ": " + f->Message)
                    << "</failure>\n";
        if (knownCount > 0)
            out << "      <system-out>Known findings:&#10;" << EscapeXmlText(knownText)
                << "</system-out>\n";
        out << "    </testcase>\n";
    }
    out << "  </testsuite>\n</testsuites>\n";
}

void WriteSarif(const std::vector<Finding>& findings, const ReportOptions& options,
                std::ostream& out) {
    Json rules = Json::array();
    for (const KindInfo& kind : kKinds)
        rules.push_back({{"id", kind.Id},
                         {"shortDescription", {{"text", kind.Title}}},
                         {"fullDescription", {{"text", kind.Description}}},
                         {"defaultConfiguration", {{"level", kind.Level}}}});
    Json results = Json::array();
    for (const Finding& f : findings) {
        Json physical = Json::object();
        physical["artifactLocation"] = {
            {"uri", EncodeUrlPath(PrefixedPath(options.PathPrefix, f.Id.Page))}};
        if (f.Line > 0)
            physical["region"] = {{"startLine", f.Line}};
        Json location = Json::object();
        location["physicalLocation"] = std::move(physical);
        const KindInfo& kind = Info(f.Id.Kind);
        Json result = Json::object();
        result["ruleId"] = kind.Id;
        result["ruleIndex"] = static_cast<size_t>(f.Id.Kind);
        result["level"] = kind.Level;
        result["message"] = {{"text", ValidUtf8(f.Message)}};
        result["locations"] = Json::array({std::move(location)});
        // Only against a baseline: without one, no state can be told.
        if (options.Known != nullptr)
            result["baselineState"] = f.Known ? "unchanged" : "new";
        results.push_back(std::move(result));
    }
    Json driver = Json::object();
    driver["name"] = "trailwright-cli";
    if (!options.ToolVersion.empty())
        driver["version"] = options.ToolVersion;
    driver["rules"] = std::move(rules);
    Json run = Json::object();
    run["tool"] = {{"driver", std::move(driver)}};
    run["results"] = std::move(results);
    Json log = Json::object();
    log["$schema"] = "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
                     "sarif-schema-2.1.0.json";
    log["version"] = "2.1.0";
    log["runs"] = Json::array({std::move(run)});
    out << JsonWithoutRunnerMarks(log.dump(2, ' ', false, Json::error_handler_t::replace)) << "\n";
}

// One command a finding: an error or a warning as SARIF's level has it, a
// notice for a known finding, which fails nothing.
void WriteGithub(const std::vector<Finding>& findings, const ReportOptions& options,
                 std::ostream& out) {
    for (const Finding& f : findings) {
        const KindInfo& kind = Info(f.Id.Kind);
        out << "::" << (f.Known ? "notice" : kind.Level)
            << " file=" << CommandText(PrefixedPath(options.PathPrefix, f.Id.Page), true);
        if (f.Line > 0)
            out << ",line=" << f.Line;
        out << ",title=" << CommandText(std::string(kind.Title) + (f.Known ? " (known)" : ""), true)
            << "::" << CommandText(f.Message, false) << "\n";
    }
}

// The baseline is not what it should be.
class BadBaseline : public TError {
public:
    BadBaseline() : TError("not a report of \"trailwright-cli check --format json\"") {}
};

const Json& Member(const Json& object, const char* key) {
    if (!object.is_object() || !object.contains(key))
        throw BadBaseline();
    return object.at(key);
}

std::string Text(const Json& value) {
    if (!value.is_string())
        throw BadBaseline();
    return value.get<std::string>();
}

const Json& Array(const Json& value) {
    if (!value.is_array())
        throw BadBaseline();
    return value;
}

// Key's text of an entry: the exact bytes when the report has them.
std::string Exact(const Json& entry, const std::string& key) {
    if (entry.is_object() && entry.contains(key + "Bytes"))
        return PercentDecoded(Text(entry.at(key + "Bytes")));
    return Text(Member(entry, key.c_str()));
}

// Whether an entry carries exact bytes for any of Keys.
bool HasBytes(const Json& entry, std::initializer_list<const char*> keys) {
    return entry.is_object() && std::any_of(keys.begin(), keys.end(), [&](const char* key) {
               return entry.contains(std::string(key) + "Bytes");
           });
}

// A list entry of the JSON report that names one path: the path itself, as
// reports before "known" had it, or an object with the path under Key.
std::string PathEntry(const Json& entry, const char* key) {
    return entry.is_string() ? Text(entry) : Exact(entry, key);
}

} // namespace

const std::vector<std::string>& ReportFormatNames() {
    static const std::vector<std::string> names = {"text", "json", "junit", "sarif", "github"};
    return names;
}

std::optional<ReportFormat> ParseReportFormat(std::string_view name) {
    const auto& names = ReportFormatNames();
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end())
        return std::nullopt;
    return static_cast<ReportFormat>(it - names.begin());
}

bool Baseline::Contains(const FindingId& id) const {
    // An entry without exact bytes as the JSON report that made it has it.
    return exact_.count(id) > 0 ||
           folded_.count({id.Kind, ValidUtf8(id.Page), ValidUtf8(id.Link), ValidUtf8(id.Tag),
                          ValidUtf8(id.Attribute), ValidUtf8(id.Reason)}) > 0;
}

Baseline ParseBaseline(std::string_view jsonText) {
    Json json;
    try {
        json = Json::parse(jsonText);
    } catch (const Json::parse_error& e) {
        throw TError("not JSON (at byte " + std::to_string(e.byte) + ")");
    }
    Baseline baseline;
    auto add = [&baseline](FindingId id, bool exact) {
        if (exact)
            baseline.AddExact(std::move(id));
        else
            baseline.Add(std::move(id));
    };
    for (const Json& d : Array(Member(json, "deadLinks"))) {
        const std::string reason = Text(Member(d, "reason"));
        FindingKind kind = FindingKind::DeadLink;
        if (reason == ReasonName(DeadLinkReason::NoDefaultPage))
            kind = FindingKind::FolderLink;
        else if (reason == ReasonName(DeadLinkReason::MissingAnchor))
            kind = FindingKind::MissingAnchor;
        else if (reason != ReasonName(DeadLinkReason::Missing))
            throw BadBaseline();
        add({kind, Exact(d, "page"), Exact(d, "link"), Exact(d, "tag"), Exact(d, "attribute"),
             reason},
            HasBytes(d, {"page", "link", "tag", "attribute"}));
    }
    for (const Json& entry : Array(Member(json, "orphanPages")))
        add(IdOf(FindingKind::OrphanPage, PathEntry(entry, "page")), HasBytes(entry, {"page"}));
    for (const Json& t : Array(Member(json, "titleProblems"))) {
        const std::string kindName = Text(Member(t, "kind"));
        TitleProblem problem;
        for (TitleProblemKind kind :
             {TitleProblemKind::Missing, TitleProblemKind::Empty, TitleProblemKind::Duplicate})
            if (kindName == TitleKindName(kind))
                problem.Kind = kind;
        if (kindName != TitleKindName(problem.Kind))
            throw BadBaseline();
        if (problem.Kind == TitleProblemKind::Duplicate)
            problem.Title = Exact(t, "title");
        const Json& pages = Array(Member(t, "pages"));
        const Json* bytes = t.contains("pagesBytes") ? &Array(t.at("pagesBytes")) : nullptr;
        if (bytes != nullptr && bytes->size() != pages.size())
            throw BadBaseline();
        for (size_t i = 0; i < pages.size(); ++i) {
            const bool pageBytes = bytes != nullptr && !(*bytes)[i].is_null();
            add(IdOf(problem, pageBytes ? PercentDecoded(Text((*bytes)[i])) : Text(pages[i])),
                pageBytes || HasBytes(t, {"title"}));
        }
    }
    for (const Json& entry : Array(Member(json, "foldersWithoutDefaultPage")))
        add(IdOf(FindingKind::FolderWithoutDefaultPage, PathEntry(entry, "folder")),
            HasBytes(entry, {"folder"}));
    for (const Json& n : Array(Member(json, "notes")))
        add(IdOf(FindingKind::NotFullyChecked, Exact(n, "page"), {}, Text(Member(n, "kind"))),
            HasBytes(n, {"page"}));
    // Reports from before this list have none.
    if (json.contains("unreadableFolders"))
        for (const Json& entry : Array(json.at("unreadableFolders")))
            add(IdOf(FindingKind::UnreadableFolder, PathEntry(entry, "folder")),
                HasBytes(entry, {"folder"}));
    return baseline;
}

Baseline ReadBaseline(const std::string& fileName) {
    std::string text;
    try {
        text = LoadFileText(fileName);
    } catch (const TError&) {
        throw TError("Cannot read the baseline " + fileName);
    }
    try {
        return ParseBaseline(text);
    } catch (const TError& e) {
        throw TError("The baseline " + fileName + " is " + e.what());
    }
}

std::string IgnorePatternError(const std::string& pattern) {
    RE2 regex(pattern, RE2::Quiet);
    if (regex.ok())
        return {};
    return "not a regular expression of RE2's syntax: \"" + pattern + "\" (" + regex.error() + ")";
}

std::function<bool(std::string_view)>
IgnoreLinksMatching(const std::vector<std::string>& patterns) {
    if (patterns.empty())
        return {};
    std::vector<std::shared_ptr<const RE2>> regexes;
    for (const std::string& pattern : patterns) {
        if (std::string error = IgnorePatternError(pattern); !error.empty())
            throw TError(error);
        regexes.push_back(std::make_shared<const RE2>(pattern, RE2::Quiet));
    }
    // Shared, as the check's function is copied; RE2 matches from several
    // threads at once.
    return [regexes = std::move(regexes)](std::string_view link) {
        return std::any_of(regexes.begin(), regexes.end(), [link](const auto& regex) {
            return RE2::PartialMatch(re2::StringPiece(link.data(), link.size()), *regex);
        });
    };
}

std::string RelativeFolder(std::string_view site, std::string_view base) {
    auto steps = [](std::string_view path) {
        std::vector<std::string_view> list;
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = std::min(path.find('/', start), path.size());
            if (end > start)
                list.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        return list;
    };
    const auto to = steps(site), from = steps(base);
    size_t common = 0;
    while (common < to.size() && common < from.size() && to[common] == from[common])
        ++common;
    std::string path;
    for (size_t i = common; i < from.size(); ++i)
        path += "../";
    for (size_t i = common; i < to.size(); ++i)
        path += std::string(to[i]) + "/";
    return path;
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
    return list;
}

size_t NewProblemCount(const LinkReport& report, const Baseline* known) {
    return report.ProblemCount() - KnownEntries(report, known).Count();
}

void WriteReport(const LinkReport& report, const ReportOptions& options, std::ostream& out) {
    switch (options.Format) {
    case ReportFormat::Text:
        WriteText(report, KnownEntries(report, options.Known), options, out);
        break;
    case ReportFormat::Json:
        WriteJson(report, KnownEntries(report, options.Known), out);
        break;
    case ReportFormat::Junit:
        WriteJunit(report, ListFindings(report, options), out);
        break;
    case ReportFormat::Sarif:
        WriteSarif(ListFindings(report, options), options, out);
        break;
    case ReportFormat::Github:
        WriteGithub(ListFindings(report, options), options, out);
        break;
    }
}

} // namespace tw

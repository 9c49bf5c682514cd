#include "cli/CheckCommand.h"

#include "check/LinkCheck.h"
#include "model/SiteMapTree.h"
#include "scan/ScanRun.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tw {

namespace {

// Page names, link values and titles come from the site and go to a
// terminal through PrintableText.

// "1 dead link", "2 dead links".
std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
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

const char* KindName(TitleProblemKind kind) {
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

const char* NoteName(PageNoteKind kind) {
    switch (kind) {
    case PageNoteKind::Unreadable:
        return "unreadable";
    case PageNoteKind::Truncated:
        return "truncated";
    case PageNoteKind::NotParsed:
        break;
    }
    return "notParsed";
}

std::string NoteText(PageNoteKind kind, const LinkCheckLimits& limits) {
    switch (kind) {
    case PageNoteKind::Unreadable:
        return "cannot be read";
    case PageNoteKind::Truncated:
        return "only the first " + std::to_string(limits.MaxPageBytes >> 20) + " MB were checked";
    case PageNoteKind::NotParsed:
        break;
    }
    return "too large or too deeply nested to parse; not checked";
}

void PrintText(const LinkReport& report, const LinkCheckLimits& limits, std::ostream& out) {
    auto heading = [&out](const char* what, size_t n) { out << what << ": " << n << "\n"; };
    if (!report.DeadLinks.empty()) {
        heading("Dead links", report.DeadLinks.size());
        for (const DeadLink& d : report.DeadLinks) {
            out << "  " << PrintableText(d.Page);
            if (d.Line > 0)
                out << ":" << d.Line;
            out << ": <" << d.Tag << " " << d.Attribute << "=\"" << PrintableText(d.Link) << "\">";
            if (d.Reason == DeadLinkReason::NoDefaultPage)
                out << " (folder without a default page)";
            else if (d.Reason == DeadLinkReason::MissingAnchor)
                out << " (missing anchor)";
            else if (d.CaseDiffers)
                out << " (differs only in letter case)";
            out << "\n";
        }
    }
    if (!report.OrphanPages.empty()) {
        heading("Orphan pages", report.OrphanPages.size());
        for (const std::string& page : report.OrphanPages)
            out << "  " << PrintableText(page) << "\n";
    }
    if (!report.TitleProblems.empty()) {
        heading("Title problems", report.TitleProblems.size());
        for (const TitleProblem& t : report.TitleProblems) {
            out << "  ";
            if (t.Kind == TitleProblemKind::Duplicate)
                out << "duplicate title \"" << PrintableText(t.Title) << "\": ";
            else
                out << KindName(t.Kind) << " title: ";
            for (size_t i = 0; i < t.Pages.size(); ++i)
                out << (i ? ", " : "") << PrintableText(t.Pages[i]);
            out << "\n";
        }
    }
    if (!report.FoldersWithoutDefaultPage.empty()) {
        heading("Folders without a default page", report.FoldersWithoutDefaultPage.size());
        for (const std::string& folder : report.FoldersWithoutDefaultPage)
            out << "  " << PrintableText(folder) << "\n";
    }
    if (!report.Notes.empty()) {
        heading("Pages not fully checked", report.Notes.size());
        for (const PageNote& n : report.Notes)
            out << "  " << PrintableText(n.Page) << ": " << NoteText(n.Kind, limits) << "\n";
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
    out << Count(report.ProblemCount(), "problem", "problems") << ": ";
    for (size_t i = 0; i < parts.size(); ++i)
        out << (i ? ", " : "") << parts[i];
    out << ".\n";
}

void PrintJson(const LinkReport& report, std::ostream& out) {
    using Json = nlohmann::ordered_json;
    Json deadLinks = Json::array();
    for (const DeadLink& d : report.DeadLinks) {
        Json item = {{"page", d.Page},
                     {"link", d.Link},
                     {"tag", d.Tag},
                     {"attribute", d.Attribute},
                     {"line", d.Line > 0 ? Json(d.Line) : Json(nullptr)},
                     {"reason", ReasonName(d.Reason)}};
        if (d.CaseDiffers)
            item["hint"] = "differs only in letter case";
        deadLinks.push_back(std::move(item));
    }
    Json titles = Json::array();
    for (const TitleProblem& t : report.TitleProblems) {
        Json item = {{"kind", KindName(t.Kind)}, {"pages", t.Pages}};
        if (t.Kind == TitleProblemKind::Duplicate)
            item["title"] = t.Title;
        titles.push_back(std::move(item));
    }
    Json notes = Json::array();
    for (const PageNote& n : report.Notes)
        notes.push_back({{"page", n.Page}, {"kind", NoteName(n.Kind)}});

    Json json = Json::object();
    json["deadLinks"] = std::move(deadLinks);
    json["orphanPages"] = report.OrphanPages;
    json["titleProblems"] = std::move(titles);
    json["foldersWithoutDefaultPage"] = report.FoldersWithoutDefaultPage;
    json["notes"] = std::move(notes);
    json["summary"] = {{"pages", report.PageCount},
                       {"localLinks", report.LocalLinkCount},
                       {"deadLinks", report.DeadLinks.size()},
                       {"orphanPages", report.OrphanPages.size()},
                       {"titleProblems", report.TitleProblems.size()},
                       {"foldersWithoutDefaultPage", report.FoldersWithoutDefaultPage.size()},
                       {"notes", report.Notes.size()},
                       {"problems", report.ProblemCount()}};
    // File names can be any bytes: what is not UTF-8 prints as U+FFFD.
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

// A progress line on a terminal while the scan and the check run.
class CheckProgress : public ScanListener, public LinkCheckListener {
public:
    CheckProgress(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    // An error must not leave the line standing before its message.
    ~CheckProgress() override { Done(); }
    CheckProgress(const CheckProgress&) = delete;
    CheckProgress& operator=(const CheckProgress&) = delete;

    void FileAdded(int foundCount) override {
        if (Due())
            err_ << "\r\033[KScanning: " << foundCount << " files" << std::flush;
    }
    void PageChecked(size_t done, size_t total) override {
        if (Due())
            err_ << "\r\033[KChecking: " << done << " of " << total << " pages" << std::flush;
    }
    void Done() {
        if (shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    bool Due() {
        if (!enabled_)
            return false;
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(100))
            return false;
        last_ = now;
        shown_ = true;
        return true;
    }

    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

void AddCheckFlags(CLI::App& command, CheckFlags& flags) {
    command.add_flag("--json", flags.json, "Print the report as one JSON object");
    command.add_flag("--quiet", flags.quiet,
                     "No progress line, and no text report when nothing is found");
}

int RunCheck(TMapProfile profile, const CheckFlags& flags, const CliStreams& streams) {
    // As generate: the site map file named by the profile is no page of the site.
    if (profile.OutputType() != TMapOutputType::moutFile)
        profile.SetOutputType(TMapOutputType::moutFile);
    // Link texts mean nothing here, and the check reads every page anyway:
    // the scan need not read their titles first.
    profile.SetUsePageTitles(false);

    CheckProgress progress(streams.err, streams.errIsTerminal && !flags.quiet);
    TSiteMapTree tree;
    ScanRun scan(tree, profile, &progress);
    scan.Run();
    LinkCheckLimits limits;
    LinkReport report = CheckLinks(tree, profile.IndexPage(), limits, &progress);
    progress.Done();

    if (flags.json)
        PrintJson(report, streams.out);
    else if (!flags.quiet || report.ProblemCount() > 0)
        PrintText(report, limits, streams.out);
    return report.ProblemCount() == 0 ? 0 : kCheckProblemsFound;
}

} // namespace tw

#include "check/CiReports.h"

#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "support/TextEncoding.h"
#include "support/UrlText.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tw {

using namespace findings;

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

// What a test case in JUnit stands for.
const char* FileClass(const std::string& path) {
    if (path.ends_with('/'))
        return "folder";
    return SameTextIgnoringCase(ExtractFileExt(path), ".css") ? "stylesheet" : "page";
}

std::string Where(const Finding& f) {
    return f.Line > 0 ? f.Id.Page + ":" + std::to_string(f.Line) : f.Id.Page;
}

} // namespace

// A test case for each checked file and for each file or folder a finding is
// about, with a failure for each new finding. Known findings are listed in
// the case's output; a case with known findings only is skipped, as test
// tools report an expected failure: it neither passes nor fails. "failures"
// counts the failed test cases, so that the passed ones are what is left.
void WriteJunitReport(const LinkReport& report, const std::vector<Finding>& findings,
                      std::ostream& out, bool strict) {
    std::map<std::string, std::vector<const Finding*>> cases;
    for (const std::string& file : report.CheckedFiles)
        cases[file];
    for (const Finding& f : findings)
        cases[f.Id.Page].push_back(&f);
    // A finding that only informs (a move, a page-quality finding) neither
    // fails nor skips its case.
    auto fails = [strict](const Finding* f) { return FindingFails(f->Id.Kind, strict); };
    auto isNew = [&](const Finding* f) { return !f->Known && fails(f); };
    auto isKnown = [&](const Finding* f) { return f->Known && fails(f); };
    size_t failed = 0, skipped = 0;
    for (const auto& [file, list] : cases) {
        bool fresh = std::any_of(list.begin(), list.end(), isNew);
        failed += fresh ? 1 : 0;
        skipped += !fresh && std::any_of(list.begin(), list.end(), isKnown) ? 1 : 0;
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
        std::string knownText, notesText;
        size_t knownCount = 0, notesCount = 0;
        for (const Finding* f : list) {
            if (isKnown(f))
                knownText += (knownCount++ ? "\n" : "") + Where(*f) + ": " + f->Message;
            else if (!fails(f))
                notesText += (notesCount++ ? "\n" : "") + Where(*f) + ": " + f->Message;
        }
        if (knownCount > 0 && !std::any_of(list.begin(), list.end(), isNew))
            out << "      <skipped message=\""
                << Count(knownCount, "known finding", "known findings") << "\"/>\n";
        for (const Finding* f : list)
            if (isNew(f))
                out << "      <failure message=\"" << EscapeXmlText(f->Message) << "\" type=\""
                    << Info(f->Id.Kind).Id << "\">" << EscapeXmlText(Where(*f) + ": " + f->Message)
                    << "</failure>\n";
        if (knownCount > 0 || notesCount > 0) {
            out << "      <system-out>";
            if (knownCount > 0)
                out << "Known findings:&#10;" << EscapeXmlText(knownText)
                    << (notesCount > 0 ? "&#10;" : "");
            if (notesCount > 0)
                out << "Notes:&#10;" << EscapeXmlText(notesText);
            out << "</system-out>\n";
        }
        out << "    </testcase>\n";
    }
    out << "  </testsuite>\n</testsuites>\n";
}

void WriteSarifReport(const std::vector<Finding>& findings, const ReportOptions& options,
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
        // The level says how grave a kind is; whether this one fails the check is apart.
        result["properties"] = {{"fails", !f.Known && FindingFails(f.Id.Kind, options.Strict)}};
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

// One command a finding: an error for one that fails the check, else a
// warning or a notice as SARIF's level has it; a notice for a known finding.
void WriteGithubReport(const std::vector<Finding>& findings, const ReportOptions& options,
                       std::ostream& out) {
    for (const Finding& f : findings) {
        const KindInfo& kind = Info(f.Id.Kind);
        // GitHub has no "note": its mildest command is "notice".
        const char* command = "notice";
        if (!f.Known && FindingFails(f.Id.Kind, options.Strict))
            command = "error";
        else if (!f.Known && std::string_view(kind.Level) != "note")
            command = "warning";
        out << "::" << command
            << " file=" << CommandText(PrefixedPath(options.PathPrefix, f.Id.Page), true);
        if (f.Line > 0)
            out << ",line=" << f.Line;
        out << ",title=" << CommandText(std::string(kind.Title) + (f.Known ? " (known)" : ""), true)
            << "::" << CommandText(f.Message, false) << "\n";
    }
}

} // namespace tw

#pragma once

// The link report in its forms. The findings, the baseline and the ignore
// patterns it is made with come with this header.

#include "check/Baseline.h"
#include "check/CheckResult.h"
#include "check/Findings.h"
#include "check/IgnorePatterns.h"

#include <array>
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The forms a link report is written in: text for people, JSON for
// programs, and what continuous integration services read: JUnit XML,
// SARIF 2.1.0 and GitHub Actions workflow commands; and for people to read
// in a CI job's summary or a browser: Markdown and one HTML page.
enum class ReportFormat { Text, Json, Junit, Sarif, Github, Markdown, Html };

// "text", "json", "junit", "sarif", "github", "markdown", "html": the
// formats in the order above.
const std::vector<std::string>& ReportFormatNames();
std::optional<ReportFormat> ParseReportFormat(std::string_view name);

struct ReportOptions {
    ReportFormat Format = ReportFormat::Text;
    const Baseline* Known = nullptr; // none: every finding is new
    // SARIF and GitHub: what goes before a site-relative path to make it
    // relative to where the report is read, e.g. RelativeFolder(site, cwd).
    // The other formats keep site-relative paths.
    std::string PathPrefix;
    std::string ToolVersion; // SARIF: the driver's version
    // The read limit of the check, which the note on a truncated page names.
    size_t MaxPageBytes = kDefaultMaxPageBytes;
    // Text: every dead link on a line of its own, rather than grouped by
    // where they lead.
    bool All = false;
    // HTML: the site root (absolute, ending in "/"), which makes each page
    // a file URL; empty: the pages are linked relative to the report.
    std::string SiteRoot;
    // --strict: every finding fails, a move and the page-quality ones too.
    bool Strict = false;
};

// The findings of Report one by one: dead links, orphan pages, title
// problems (a group of pages with one title gives a finding on each),
// folders without a default page, pages not fully checked, unreadable
// folders, external links, the page-quality findings.
std::vector<Finding> ListFindings(const LinkReport& report, const ReportOptions& options);

// The problems of Report that Known does not have, counted as
// LinkReport::ProblemCount counts them, and when Strict, each move and
// page-quality finding too: the check fails when there are any.
size_t NewProblemCount(const LinkReport& report, const Baseline* known, bool strict = false);

// Leaves out of Report the findings of the kinds for which Keep is false:
// never reported, never counted.
void KeepKinds(LinkReport& report, const std::array<bool, kFindingKindCount>& keep);

void WriteReport(const LinkReport& report, const ReportOptions& options, std::ostream& out);

} // namespace tw

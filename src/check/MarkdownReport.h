#pragma once

// The report as Markdown, for a CI job's summary ($GITHUB_STEP_SUMMARY) or a
// pull request: a table of the kinds found, then a section for each.

#include "check/CheckResult.h"
#include "check/Findings.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The rows a kind's section lists at most; a line counts the rest.
inline constexpr size_t kMarkdownRowsPerKind = 50;

// Site text for a Markdown paragraph or table cell: what Markdown gives a
// meaning (backslash, "|", "`", "*", "_", brackets, "<", ">", "#", ...) is
// escaped with a backslash, so is ":" (no line can start "::", a CI
// runner's command), and every control byte (a line break too) becomes "?",
// so a name stays on its row. Bytes that are not UTF-8 become U+FFFD.
std::string MarkdownText(std::string_view raw);

// Strict: every kind fails the check (--strict).
void WriteMarkdownReport(const LinkReport& report, const std::vector<Finding>& findings,
                         bool strict, std::ostream& out);

// The closing line the text report prints too: what was checked and what
// it found, in words.
std::string ReportSummaryLine(const LinkReport& report, const std::vector<Finding>& findings);

} // namespace tw

#pragma once

// The report as one HTML page that needs nothing beside it: its style and
// its small script inline, no network. A section for each kind found, with
// a table of contents, shows a kind at a time without script too; with
// script a list box filters the kinds.

#include "check/CheckReport.h"
#include "check/Findings.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Site text for HTML content and attribute values: the five reserved
// characters as references, and what a page may not hold (controls, a line
// break too, noncharacters, bytes that are not UTF-8) as U+FFFD.
std::string HtmlText(std::string_view raw);

void WriteHtmlReport(const LinkReport& report, const std::vector<Finding>& findings,
                     const ReportOptions& options, std::ostream& out);

} // namespace tw

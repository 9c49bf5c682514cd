#pragma once

// The report's forms for continuous integration services: JUnit XML,
// SARIF 2.1.0 and GitHub Actions workflow commands.

#include "check/CheckReport.h"
#include "check/Findings.h"

#include <iosfwd>
#include <vector>

namespace tw {

// Strict: every finding fails (check --strict).
void WriteJunitReport(const LinkReport& report, const std::vector<Finding>& findings,
                      std::ostream& out, bool strict = false);
void WriteSarifReport(const std::vector<Finding>& findings, const ReportOptions& options,
                      std::ostream& out);
void WriteGithubReport(const std::vector<Finding>& findings, const ReportOptions& options,
                       std::ostream& out);

} // namespace tw

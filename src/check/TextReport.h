#pragma once

// The report's forms for people and programs: text and JSON.

#include "check/CheckReport.h"
#include "check/Findings.h"

#include <iosfwd>

namespace tw {

void WriteTextReport(const LinkReport& report, const findings::KnownEntries& known,
                     const ReportOptions& options, std::ostream& out);
// The form a baseline is read back from (ParseBaseline).
// Strict: every finding fails (check --strict).
void WriteJsonReport(const LinkReport& report, const findings::KnownEntries& known,
                     std::ostream& out, bool strict = false);

} // namespace tw

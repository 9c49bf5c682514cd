#pragma once

// The page-quality findings in the text and JSON reports.

#include "check/CheckResult.h"

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tw {

// A section per kind: its title and count, then "page:line: message" for
// each finding, " (known)" after those Known marks.
void WriteQualitySections(const std::vector<QualityProblem>& list, const std::vector<bool>& known,
                          std::ostream& out);

// "5 page-quality findings that do not fail: 3 missing h1, 2 missing lang",
// empty without any.
std::string QualitySummary(const std::vector<QualityProblem>& list, bool strict);

// The JSON report's list: per finding its kind's id, page, line, element,
// attribute, value, detail, whether it fails and whether it is known.
nlohmann::ordered_json QualityJson(const std::vector<QualityProblem>& list,
                                   const std::vector<bool>& known, bool strict);

} // namespace tw

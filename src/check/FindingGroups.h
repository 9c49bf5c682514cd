#pragma once

// How the reports for people gather findings: by kind, and dead links by
// where they lead.

#include "check/CheckResult.h"
#include "check/Findings.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tw {

// The findings of each kind, as indexes into List, in the order of
// findings::kKinds; within a kind sorted by page, then line, else in the
// list's order. Linear in the list, plus the sort within each kind.
std::vector<std::vector<size_t>> FindingsByKind(const std::vector<Finding>& list);

// Where a dead link leads, relative to the site root: "whatsnew/a.html",
// "docs/", "a.html#top" for a missing anchor. A link that names no local
// path (a site URL) is its own target, as written.
std::string DeadLinkTarget(const DeadLink& link);

// Dead links that lead to one place for one reason.
struct DeadLinkGroup {
    std::string Target;
    std::vector<size_t> Links; // indexes into LinkReport::DeadLinks, in its order
    size_t Pages = 0;          // the pages (or style sheets) that hold them
};

// The dead links of Report grouped by target and reason: the groups of
// several links first, the largest first; then the single links in the
// report's order. Linear in the links, plus the sort of the groups.
std::vector<DeadLinkGroup> GroupDeadLinks(const LinkReport& report);

} // namespace tw

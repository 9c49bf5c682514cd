#pragma once

// The findings of an earlier run, read back from its JSON report.

#include "check/Findings.h"

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace tw {

// The findings of an earlier run. The findings it has are known: every
// format marks them, and they do not fail the check.
class Baseline {
public:
    // An entry of a report that does not carry exact bytes: compared with a
    // finding's texts made valid UTF-8 (bytes that are not as U+FFFD), as
    // that report wrote them.
    void Add(FindingId id) { folded_.insert(std::move(id)); }
    // An entry whose texts are the site's exact bytes.
    void AddExact(FindingId id) { exact_.insert(std::move(id)); }
    bool Contains(const FindingId& id) const;
    size_t Size() const { return folded_.size() + exact_.size(); }

private:
    std::set<FindingId> folded_, exact_;
};

// The findings of a report in the JSON format. Raises TError saying what is
// wrong when the text is no such report.
Baseline ParseBaseline(std::string_view jsonText);
// ParseBaseline of the file; raises TError naming the file when it cannot be
// read or holds no such report.
Baseline ReadBaseline(const std::string& fileName);

} // namespace tw

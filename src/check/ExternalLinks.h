#pragma once

// The external links a check collected, asked online and made findings.

#include "check/CheckResult.h"
#include "check/ExternalCheck.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tw {

struct ExternalRunOptions {
    std::string CacheFile;            // none: no cache
    std::int64_t MaxCacheAge = 86400; // seconds a good result is reused
};

// Asks each distinct URL of Report.ExternalLinks once (their fragments cut
// off), with Cache's fresh results taken as they are, and moves the links
// of the dead and the moved URLs into Report.ExternalUrls. Warn is told of
// a cache file that is ignored or cannot be written; neither is fatal.
// Returns false when Checker was stopped: the report is then incomplete.
bool CheckExternalLinks(LinkReport& report, ExternalChecker& checker,
                        const ExternalRunOptions& options, CheckClock& clock,
                        const std::function<void(const std::string&)>& warn,
                        ExternalCheckListener* listener = nullptr);

} // namespace tw

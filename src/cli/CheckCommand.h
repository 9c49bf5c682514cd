#pragma once

#include "cli/Cli.h"
#include "model/SiteMapProfile.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tw {

struct CheckFlags {
    std::string format = "text";
    bool json = false;
    bool quiet = false;
    bool all = false; // text: every dead link on its own line
    std::string pathBase;
    std::vector<std::string> ignoreUrls;
    std::string baseline;
    std::vector<std::string> siteUrls;
    // Which findings, and which fail.
    bool strict = false;
    std::vector<std::string> skip, only; // kinds by id
    unsigned maxDepth = 5;
    // Asking the external links online.
    bool external = false;
    std::string accept = "200-299";
    int hostConcurrency = 2;
    int maxConcurrency = 32;
    int hostIntervalMs = 0;
    int timeoutSeconds = 20;
    int retries = 2;
    int maxRetryWaitSeconds = 60;
    std::string userAgent;
    std::string cache;
    std::string maxCacheAge = "1d";
};

// Adds the options of check beside the profile options: --format, --json,
// --path-base, --ignore-url, --baseline, --site-url, --strict, --skip,
// --only, --max-depth and --quiet, and --external with the options of
// asking links online.
void AddCheckFlags(CLI::App& command, CheckFlags& flags);

// Scans the site as generate does, writes no site map and prints the link
// report. Returns 0 when nothing was found but what the baseline knows,
// kCheckProblemsFound otherwise; errors of the run are raised.
int RunCheck(TMapProfile profile, const CheckFlags& flags, const CliStreams& streams);

inline constexpr int kCheckProblemsFound = 3;

} // namespace tw

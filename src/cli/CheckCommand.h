#pragma once

#include "cli/Cli.h"
#include "model/SiteMapProfile.h"

namespace CLI {
class App;
}

namespace tw {

struct CheckFlags {
    bool json = false;
    bool quiet = false;
};

// Adds the options of check beside the profile options: --json and --quiet.
void AddCheckFlags(CLI::App& command, CheckFlags& flags);

// Scans the site as generate does, writes no site map and prints the link
// report. Returns 0 when nothing was found, kCheckProblemsFound otherwise;
// errors of the run are raised.
int RunCheck(TMapProfile profile, const CheckFlags& flags, const CliStreams& streams);

inline constexpr int kCheckProblemsFound = 3;

} // namespace tw

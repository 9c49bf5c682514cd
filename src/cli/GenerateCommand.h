#pragma once

#include "cli/Cli.h"

namespace CLI {
class App;
}

namespace tw {

struct ProfileOptions;

// Builds the profile, scans the site and writes the site map page and the
// sitemaps it asks for. Returns 0; errors of the run are raised.
int RunGenerate(const CLI::App& command, const ProfileOptions& options, bool quiet, bool overwrite,
                const CliStreams& streams);

} // namespace tw

#pragma once

#include "cli/Cli.h"

#include <string>

namespace CLI {
class App;
}

namespace tw {

struct ProfileOptions;

// Prints the profile a file gives a newly made profile, as one JSON object
// with the published properties in stream order, then those of the program's
// own that the file holds.
int ShowProfile(const std::string& fileName, const CliStreams& streams);

// Builds the profile as generate does and saves it as the wizard's Save As does.
int WriteProfileFile(const CLI::App& app, const ProfileOptions& options,
                     const std::string& fileName);

} // namespace tw

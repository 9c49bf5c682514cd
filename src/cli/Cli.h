#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tw {

struct CliStreams {
    std::ostream& out;
    std::ostream& err;
    // Whether the error stream is a terminal: only then a progress line is shown.
    bool errIsTerminal = false;
};

// Runs trailwright-cli with its arguments (Args[0] is the program name) and
// returns the exit status: 0 success, 1 an error of the run, 2 a usage error;
// check returns 3 when it found problems.
int RunCli(const std::vector<std::string>& args, const CliStreams& streams);

} // namespace tw

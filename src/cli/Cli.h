#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
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

// An error's message may name a file of the site; its lines may not be
// read by a terminal or a CI runner either.
std::string PrintableLines(std::string_view text);
// "trailwright-cli: warning: TEXT" on the error stream, printable.
void Warn(const CliStreams& streams, const std::string& text);

} // namespace tw

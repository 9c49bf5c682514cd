#pragma once

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace twtest {

struct ToolResult {
    int code;
    std::string out;
    std::string err;
};

// Runs the command-line tool in-process with Args after the program name.
inline ToolResult RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "trailwright-cli");
    std::ostringstream out, err;
    int code = tw::RunCli(args, {out, err, false});
    return {code, out.str(), err.str()};
}

} // namespace twtest

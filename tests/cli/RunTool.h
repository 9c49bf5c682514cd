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

// RunTool for tests of the link findings: a check leaves out the
// page-quality findings, which their small pages are full of
// (PageQualityCliTest has those).
inline ToolResult RunLinkTool(std::vector<std::string> args) {
    if (!args.empty() && args[0] == "check")
        for (const char* id : {"missingAlt", "missingLang", "missingDescription", "missingH1",
                               "duplicateDescription", "mixedContent", "tooDeep", "redirectPage",
                               "redirectChain", "duplicateId"})
            args.insert(args.end(), {"--skip", id});
    return RunTool(std::move(args));
}

} // namespace twtest

#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// What a finished child process left: its exit status (-1 when a signal
// ended it) and its standard error, trailing line feeds and spaces removed.
struct SubprocessResult {
    int Status = -1;
    std::string Err;
};

// Runs Args[0], looked up in PATH, with Args and exactly the environment Env
// ("NAME=value" entries), without a shell and with /dev/null as its standard
// input. Its standard output goes to Sink chunk by chunk as it comes, so an
// output of any size costs no memory here; both pipes are read together, so
// a child that fills one never stalls. Throws TError naming Args[0] when the
// program cannot be started.
SubprocessResult RunSubprocess(const std::vector<std::string>& args,
                               const std::vector<std::string>& env,
                               const std::function<void(std::string_view)>& sink);

// This process's environment, as RunSubprocess takes it.
std::vector<std::string> CurrentEnvironment();

} // namespace tw

#include "cli/Cli.h"
#include "support/NXFiles.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    tw::SetApplicationExeName(argc > 0 ? argv[0] : "");
    std::vector<std::string> args(argv, argv + argc);
    return tw::RunCli(args, {std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
}

// morvi-cli: the headless companion of the editor, built from the core alone.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return morvi::cli::run(args, std::cout, std::cerr);
}

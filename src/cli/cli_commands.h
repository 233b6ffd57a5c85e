#pragma once
// The commands of morvi-cli, callable from tests without a process. Each returns the exit
// status and writes its report to out and its complaints to err.
#include <ostream>
#include <string>
#include <vector>

namespace morvi::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace morvi::cli

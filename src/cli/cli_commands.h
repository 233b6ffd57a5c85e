#pragma once
// The commands of morvi-cli, callable from tests without a process. Each returns the exit
// status and writes its report to out and its complaints to err.
#include <ostream>
#include <string>
#include <vector>

#include "rom/file_io.h"

namespace morvi::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same with the steps through which an import's save touches the disk (tests stop or
// fail it there).
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, morvi::DiskSteps& steps);

} // namespace morvi::cli

#pragma once
// Runs a program of the build with arguments, its output and errors going to files, and gives
// back its exit code: the one place the tests start processes, for POSIX systems and Windows.
#include <string>
#include <vector>

namespace morvi::testing {

// -1 when it could not be run or did not end normally.
int runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
               const std::string& errFile);

} // namespace morvi::testing

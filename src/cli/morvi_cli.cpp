// morvi-cli: the headless companion of the editor, built from the core alone.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

namespace {

// Runs the command; an exception that nothing below caught (a path that cannot be converted, a
// filesystem call that failed) is an error with its reason and exit code 1, never a crash.
int runGuarded(const std::vector<std::string>& args) {
    try {
        return morvi::cli::run(args, std::cout, std::cerr);
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "morvi-cli: " << e.code().message();
        for (const auto& p : {e.path1(), e.path2()})
            if (!p.empty()) std::cerr << ": " << reinterpret_cast<const char*>(p.u8string().c_str());
        std::cerr << "\n";
    } catch (const std::exception& e) {
        std::cerr << "morvi-cli: " << e.what() << "\n";
    }
    return 1;
}

} // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; the core takes UTF-8 paths, as on every system.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::u8string utf8 = std::filesystem::path(argv[i]).u8string();
        args.emplace_back(utf8.begin(), utf8.end());
    }
    return runGuarded(args);
}
#else
int main(int argc, char** argv) { return runGuarded(std::vector<std::string>(argv + 1, argv + argc)); }
#endif

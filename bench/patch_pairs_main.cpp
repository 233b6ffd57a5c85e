// patch_pairs DIR: writes each patch pair of the benchmarks as DIR/NAME.orig.smc and
// DIR/NAME.mod.smc, so that any patcher can be measured on the same files.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "patch_pairs.h"
#include "rom/rom_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: patch_pairs DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    try {
        std::filesystem::create_directories(dir);
        for (const std::string& name : morvi::bench::patchPairNames()) {
            const auto pair = morvi::bench::makePatchPair(name);
            if (!morvi::writeWholeFile((dir / (name + ".orig.smc")).string(), pair.original) ||
                !morvi::writeWholeFile((dir / (name + ".mod.smc")).string(), pair.modified)) {
                std::fprintf(stderr, "could not write the pair %s\n", name.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

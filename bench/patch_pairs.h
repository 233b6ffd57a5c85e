#pragma once
// Pairs of ROMs to make patches between, all from the demo ROM: edits made through the editor's
// own operations and saves, and raw rearrangements that are hard for a matcher which takes the
// first long match it sees. Shared by the benchmarks and by patch_pairs, which writes them to
// a folder so that other patchers can be measured on the same files.
#include <cstdint>
#include <string>
#include <vector>

namespace morvi::bench {

struct PatchPair {
    std::string name;
    std::vector<std::uint8_t> original, modified;
};

// The pair called `name` (one of patchPairNames()); throws std::runtime_error when the demo
// ROM does not allow the edit.
PatchPair makePatchPair(const std::string& name);
const std::vector<std::string>& patchPairNames();

} // namespace morvi::bench

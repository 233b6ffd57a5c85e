// Any bytes as a community sprite pair (.bin with a .pal beside it) and as a portrait pair: a
// pair is refused unless its sizes are a character's, and an accepted one exports back the same
// tiles.
#include <cstdint>
#include <memory>

#include "fuzz/fuzz_file.h"
#include "rom/notifier.h"
#include "characters/character_module.h"
#include "portraits/portraits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first byte picks the character, the second how many bytes go to the palette file
    // (255: none); the rest is the tile file.
    const int index = data[0] % morvi::kCharacterCount;
    const std::size_t paletteBytes = data[1] == 255 ? 0 : std::min<std::size_t>(data[1], size - 2);
    const bool hasPalette = data[1] != 255;
    const std::string bin = morvi::fuzz::scratchPath(".bin"), pal = morvi::fuzz::scratchPath(".pal");
    std::remove(pal.c_str());
    if (hasPalette && !morvi::fuzz::writeScratch(pal, data + 2, paletteBytes)) return 0;
    const std::uint8_t* tiles = data + 2 + paletteBytes;
    const std::size_t tileBytes = size - 2 - paletteBytes;
    if (!morvi::fuzz::writeScratch(bin, tiles, tileBytes)) return 0;

    auto set = std::make_unique<morvi::CharacterSet>();
    const auto before = set->characters[std::size_t(index)].tileStore;
    const morvi::TileFileRead read = morvi::importCharacterTiles(*set, index, bin);
    const bool sizesFit = (tileBytes == 5792 || tileBytes == 5472) && (!hasPalette || paletteBytes == 32);
    if (read.ok != sizesFit) __builtin_trap();
    if (!read.ok && (read.error.empty() || set->characters[std::size_t(index)].tileStore != before)) __builtin_trap();
    if (read.ok) {
        const std::vector<std::uint8_t> back = morvi::characterTileFile(set->characters[std::size_t(index)]);
        if (!std::equal(back.begin(), back.begin() + std::ptrdiff_t(std::min(back.size(), tileBytes)), tiles)) __builtin_trap();
    }

    auto portraits = std::make_unique<morvi::PortraitSet>();
    morvi::CollectingNotifier quiet;
    morvi::importPortraitRaw(*portraits, index % morvi::kPortraitCount, bin, quiet);
    std::remove(bin.c_str());
    std::remove(pal.c_str());
    return 0;
}

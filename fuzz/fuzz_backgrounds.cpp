// The demo ROM's real battle background tables and compressed data, damaged by the input, so
// that inputs reach decompression and composition. The input is the number of the background
// to compose and then patches: a region (properties, palettes, graphics set pointers, tile map
// pointers, or the compressed data itself), a 2-byte position in it and the byte to put there.
#include "backgrounds/battle_backgrounds.h"
#include "demo/demo_rom.h"

namespace {

constexpr std::uint32_t kTargets[] = {0x270000, 0x270150, 0x271650, 0x271848,           // the tables
                                      0x271948, 0x274000, 0x278000, 0x27C000, 0x280000, // compressed data
                                      0x288000, 0x290000, 0x240000, 0x248000};          // and raw sets

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> rom = morvi::buildDemoRom().bytes;
    static morvi::BackgroundSet set;
    if (size == 0) return 0;
    std::vector<std::pair<std::size_t, std::uint8_t>> patches;
    for (std::size_t i = 1; i + 3 < size; i += 4) {
        const std::uint32_t target = kTargets[data[i] % (sizeof kTargets / sizeof kTargets[0])];
        const std::size_t at = (target + ((std::size_t(data[i + 1]) << 8) | data[i + 2])) % rom.size();
        patches.emplace_back(at, rom[at]);
        rom[at] = data[i + 3];
    }
    if (morvi::readBackgroundTables(set, rom)) morvi::composeBackground(set, rom, data[0] % morvi::kBackgroundCount);
    for (auto it = patches.rbegin(); it != patches.rend(); ++it) rom[it->first] = it->second;
    return 0;
}

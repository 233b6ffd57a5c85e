// Any bytes as the battle background tables and data of a ROM image held in memory.
#include "backgrounds/battle_backgrounds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static morvi::BackgroundSet set;
    // The input is the ROM from 0x270000 on; what lies before is zeros.
    std::vector<std::uint8_t> rom(0x270000, 0);
    rom.insert(rom.end(), data, data + size);
    morvi::readBackgrounds(set, rom);
    return 0;
}

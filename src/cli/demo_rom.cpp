#include "cli/demo_rom.h"

#include "rom/rom_state.h"
#include "cli/demo_parts.h"

namespace morvi {

RomImage buildDemoRom() {
    RomImage rom(kDemoRomSize, 0);
    // The byte the header test looks for at ROM offset 0x20.
    rom.put8(kHeaderTestWithoutHeader, kHeaderTestByte);
    demo::DemoStats stats;
    demo::addDemoMonsters(rom, stats);
    demo::addDemoPortraits(rom);
    demo::addDemoCharacters(rom);
    demo::addDemoBackgrounds(rom);
    return rom;
}

} // namespace morvi

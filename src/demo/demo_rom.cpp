#include "demo/demo_rom.h"

#include "app/families.h"
#include "backgrounds/background_rom_builder.h"
#include "rom/rom_checksum.h"
#include "rom/rom_state.h"

namespace morvi {

RomImage buildDemoRom() {
    RomImage rom(kDemoRomSize, 0);
    // The byte the header test looks for at ROM offset 0x20.
    rom.put8(kHeaderTestWithoutHeader, kHeaderTestByte);
    // In the registry's order: the field sprites keep the characters' pose table entries and sheets.
    for (Family f : families()) f->addDemo(rom);
    demo::addDemoBackgrounds(rom);
    setHeaderChecksum(rom.bytes); // last: it sums everything above
    return rom;
}

} // namespace morvi

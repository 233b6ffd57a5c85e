#pragma once
// The pieces of the demo ROM, one per family.
#include <cstddef>

#include "rom/rom_image.h"

namespace morvi::demo {

struct DemoStats {
    std::size_t monsterTileBytes = 0;
    int monsterPictures = 0;
    bool monsterWritten = false;
};

void addDemoMonsters(RomImage& rom, DemoStats& stats);
void addDemoPortraits(RomImage& rom);
void addDemoCharacters(RomImage& rom);
void addDemoBackgrounds(RomImage& rom);

} // namespace morvi::demo

#pragma once
// The demo ROM's field sprites: every sheet of the table at the game's sizes and kinds, drawn in
// code, the vehicles, and palettes for the sheets the character palettes do not suit.
#include "rom/rom_image.h"

namespace morvi::demo {

// Call after the characters are in place: their pose table entries and sheets 0 to 21 are kept.
void addDemoFieldSprites(RomImage& rom);

} // namespace morvi::demo

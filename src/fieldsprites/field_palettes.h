#pragma once
// The 32 field sprite palettes' names and the palette each sheet is best shown in.
#include <array>
#include <cstdint>
#include <span>

#include "characters/characters.h"

namespace morvi {

// "Locke", "rainbow (save point, sparkles)", "unused"; "" past 31.
const char* fieldPaletteName(int palette);
// The field palette matching a character's battle and menu palette number: 0 to 5 are the same
// colours, 6 (Esper Terra's) is field palette 8; numbers the game has no field twin for show 0.
int fieldPaletteOfBattle(int battleNumber, int character);
// The field palette sheet `index` opens in: a character's from the battle table, an NPC's or
// object's from the slot most of the game's records give it, or the palette named for it where
// events reload that slot; the vehicles in slot 7's.
int defaultFieldPalette(int index, std::span<const std::uint8_t, kCharacterCount> battlePalettes);

} // namespace morvi

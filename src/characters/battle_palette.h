#pragma once
// Which of the 8 battle and menu palettes a character uses: the byte of the ROM's table
// (C2:CE2B) the character save writes back. Esper Terra's is fixed.
#include <string>

#include "characters/characters.h"

namespace morvi {

constexpr int kBattlePaletteCount = 8;
constexpr int kEsperTerraBattlePalette = 6;

// The number the character's table byte holds.
int characterBattlePalette(const CharacterSet& set, int index);
// Makes character `index` use battle and menu palette `number` (0 to 7) from the next save on,
// and shows the character in it (palette 7 is a slot of its own, no field palette's). "" when
// done; otherwise why not (Esper Terra's palette, or hers, 6, is fixed; a number past 7; no such
// character), and nothing changes.
std::string setCharacterBattlePalette(CharacterSet& set, int index, int number);

} // namespace morvi

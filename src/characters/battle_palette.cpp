#include "characters/battle_palette.h"

namespace morvi {

int characterBattlePalette(const CharacterSet& set, int index) {
    if (index < 0 || index >= kCharacterCount) return 0;
    return set.characters[std::size_t(index)].storedNumber;
}

std::string setCharacterBattlePalette(CharacterSet& set, int index, int number) {
    if (index < 0 || index >= kCharacterCount) return "There is no character " + std::to_string(index);
    CharacterSprites& ch = set.characters[std::size_t(index)];
    if (ch.fixedPalette) return std::string(kCharacterNames[std::size_t(index)]) + "'s palette is fixed";
    if (number < 0 || number >= kBattlePaletteCount)
        return "A character's palette is one of 0 to " + std::to_string(kBattlePaletteCount - 1);
    if (number == kEsperTerraBattlePalette) return "Battle palette 6 is Esper Terra's, which the game shows in fixed colours";
    // Shown as the loader shows a table byte.
    ch.storedNumber = std::uint8_t(number);
    ch.paletteNumber = shownPaletteOf(ch.storedNumber);
    reloadCharacterPalette(set, ch);
    return "";
}

} // namespace morvi

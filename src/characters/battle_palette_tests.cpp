#include <gtest/gtest.h>

#include "characters/battle_palette.h"
#include "demo/demo_rom.h"

namespace morvi {
namespace {

TEST(CharacterBattlePalette, AChosenPaletteIsShownSavedAndReadBackWhileEsperTerrasStaysFixed) {
    const RomImage demo = buildDemoRom();
    CharacterSet set;
    ASSERT_TRUE(loadCharacterSprites(set, RomBytes(demo.bytes, false)));
    const int before = characterBattlePalette(set, 3);
    ASSERT_NE(before, 5);
    EXPECT_EQ(setCharacterBattlePalette(set, 3, 5), "");
    const IndexedImage& pose = set.characters[3].sprites[1];
    for (int c = 0; c < 16; ++c) EXPECT_EQ(pose.palette[std::size_t(c)], set.palettes[std::size_t(5 * 16 + c)]);

    // Refusals change nothing.
    const CharacterSprites terra = set.characters[kEsperTerra];
    EXPECT_NE(setCharacterBattlePalette(set, kEsperTerra, 2).find("fixed"), std::string::npos);
    EXPECT_EQ(set.characters[kEsperTerra].storedNumber, terra.storedNumber);
    EXPECT_EQ(set.characters[kEsperTerra].sprites[1].palette, terra.sprites[1].palette);
    EXPECT_NE(setCharacterBattlePalette(set, 4, kBattlePaletteCount), "");
    EXPECT_NE(setCharacterBattlePalette(set, kCharacterCount, 1), "");
    EXPECT_EQ(characterBattlePalette(set, 4), 4);

    std::vector<std::uint8_t> file = demo.bytes;
    RomBuffer buffer(file, false);
    CollectingNotifier notes;
    ASSERT_TRUE(saveCharacterSprites(set, buffer, notes));
    EXPECT_EQ(file[kCharacterPaletteNumbersOffset + 3], 5);
    CharacterSet reopened;
    ASSERT_TRUE(loadCharacterSprites(reopened, RomBytes(file, false)));
    EXPECT_EQ(characterBattlePalette(reopened, 3), 5);
    EXPECT_EQ(reopened.characters[3].paletteNumber, 5);
    for (int n = 0; n < kCharacterCount; ++n) {
        if (n == 3) continue;
        EXPECT_EQ(characterBattlePalette(reopened, n), demo.bytes[kCharacterPaletteNumbersOffset + std::size_t(n)]) << n;
    }
}

} // namespace
} // namespace morvi

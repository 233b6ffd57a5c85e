#include <gtest/gtest.h>

#include "characters/battle_palette.h"
#include "demo/demo_rom.h"

#include <algorithm>

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

// Battle palette 7 is no other character's and no field palette's: a character moved onto it
// shows and edits a slot of its own, which the save writes into the battle copy and nowhere else.
TEST(CharacterBattlePalette, PaletteSevenIsTheCharactersOwnAndSixIsEsperTerras) {
    const RomImage demo = buildDemoRom();
    CharacterSet set;
    ASSERT_TRUE(loadCharacterSprites(set, RomBytes(demo.bytes, false)));
    EXPECT_NE(setCharacterBattlePalette(set, 2, 6).find("Esper Terra"), std::string::npos);
    ASSERT_EQ(setCharacterBattlePalette(set, 2, kOwnBattlePalette), "");
    EXPECT_EQ(set.characters[2].paletteNumber, kOwnBattlePaletteSlot);
    set.color(kOwnBattlePaletteSlot, 4) = makeColor(248, 0, 0);
    reloadCharacterPalette(set, set.characters[2]);
    EXPECT_EQ(set.characters[2].sprites[0].palette[4], makeColor(248, 0, 0));
    for (int n = 0; n < kCharacterCount; ++n) {
        if (n != 2) {
            EXPECT_NE(set.characters[std::size_t(n)].sprites[0].palette[4], makeColor(248, 0, 0)) << n;
        }
    }

    std::vector<std::uint8_t> file = demo.bytes;
    RomBuffer buffer(file, false);
    CollectingNotifier notes;
    ASSERT_TRUE(saveCharacterSprites(set, buffer, notes));
    const std::size_t own = kCharacterPaletteCopyOffset + kOwnBattlePalette * 32 + 4 * 2;
    EXPECT_EQ(file[own] | (file[own + 1] << 8), 0x1F) << "red 31 in the battle copy's palette 7";
    const std::size_t field7 = kCharacterPalettesOffset + kOwnBattlePalette * 32;
    EXPECT_TRUE(std::equal(file.begin() + field7, file.begin() + field7 + 32, demo.bytes.begin() + field7)) << "field palette 7 untouched";
    CharacterSet reopened;
    ASSERT_TRUE(loadCharacterSprites(reopened, RomBytes(file, false)));
    EXPECT_EQ(characterBattlePalette(reopened, 2), kOwnBattlePalette);
    EXPECT_EQ(reopened.characters[2].sprites[0].palette[4], makeColor(248, 0, 0));
}

} // namespace
} // namespace morvi

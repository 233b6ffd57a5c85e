#include <gtest/gtest.h>

#include <random>

#include "rom/rom_image.h"
#include "characters/characters.h"
#include "image/snes_codec.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

// Sprite s's six cells use tiles 4s .. 4s + 5, so neighbouring sprites share two tiles; tiles
// 160 to 180 are used by no sprite.
std::uint16_t tileFor(int s, int cell) { return std::uint16_t(32 * (4 * s + cell) % (32 * 160)); }

RomImage characterRom(std::uint32_t seed) {
    RomImage rom;
    rom.put8(0x20, 0xA2);
    std::mt19937 rng(seed);
    for (int s = 0; s < kSpritesPerCharacter; ++s)
        for (int cell = 0; cell < 6; ++cell) rom.put16(kSpriteTileTableOffset + 2 * std::uint32_t(6 * s + cell), tileFor(s, cell));
    for (std::uint32_t i = 0; i < kSpriteGraphicsSize; ++i) rom.put8(kSpriteGraphicsOffset + i, std::uint8_t(rng()));
    for (std::uint32_t i = 0; i < kCharacterPaletteCount * 16; ++i)
        rom.put16(kCharacterPalettesOffset + 2 * i, std::uint16_t(rng() & 0x7FFF));
    // The second copy of palettes 0 to 5 matches, as in the game.
    for (std::uint32_t i = 0; i < 6 * 32; ++i) rom.put8(kCharacterPaletteCopyOffset + i, rom.bytes[kCharacterPalettesOffset + i]);
    for (int ch = 0; ch < kCharacterCount; ++ch) {
        std::uint32_t address = kSpriteGraphicsSnesAddress + 0x1700 * std::uint32_t(ch);
        rom.put8(kCharacterTileAddressOffset + 2 * std::uint32_t(ch), std::uint8_t(address));
        rom.put8(kCharacterTileAddressOffset + 2 * std::uint32_t(ch) + 1, std::uint8_t(address >> 8));
        rom.put8(kCharacterTileBankOffset + 2 * std::uint32_t(ch), std::uint8_t(address >> 16));
        rom.put8(kCharacterPaletteNumbersOffset + std::uint32_t(ch), std::uint8_t(ch % 9));
    }
    return rom;
}

RomState state(bool header) {
    RomState s;
    s.romHasHeader = header;
    return s;
}

std::unique_ptr<CharacterSet> loaded(const TempDir& dir, const RomImage& rom, bool header = false) {
    std::string path = dir.file("c.smc");
    EXPECT_TRUE(rom.writeFile(path, header));
    auto set = std::make_unique<CharacterSet>();
    EXPECT_TRUE(loadCharacterSprites(*set, path, state(header)));
    return set;
}

} // namespace

TEST(Characters, UneditedSaveLeavesTheRomByteIdentical) {
    TempDir dir;
    for (bool header : {false, true}) {
        RomImage rom = characterRom(1);
        rom.put8(kCharacterPaletteNumbersOffset + 3, 20); // shown as 0, written back as 20
        auto set = loaded(dir, rom, header);
        EXPECT_EQ(set->characters[3].paletteNumber, 0);
        std::string path = dir.file("c.smc");
        auto before = morvi::testing::readFile(path);
        CollectingNotifier n;
        ASSERT_TRUE(saveCharacterSprites(*set, path, state(header), n));
        EXPECT_EQ(morvi::testing::readFile(path), before);
    }
}

TEST(Characters, SharedTilesShowEverywhereAndSaveTheFirstSpritesVersion) {
    TempDir dir;
    auto set = loaded(dir, characterRom(2));
    auto& ch = set->characters[0];
    // Sprite 0's cell (0, 2) is tile 4, which is sprite 1's cell (0, 0).
    setSpritePixel(*set, ch, 0, 1, 17, 9);
    EXPECT_EQ(ch.sprites[0].pixel(1, 17), 9);
    EXPECT_EQ(ch.sprites[1].pixel(1, 1), 9);
    // Make the two disagree in their images: the save writes sprite 0's cell.
    ch.sprites[1].setPixel(2, 2, 3);
    ch.sprites[0].setPixel(2, 18, 5);
    std::string path = dir.file("c.smc");
    auto before = morvi::testing::readFile(path);
    CollectingNotifier n;
    ASSERT_TRUE(saveCharacterSprites(*set, path, state(false), n));
    auto after = morvi::testing::readFile(path);
    const std::uint32_t tile4 = kSpriteGraphicsOffset + ch.tileAddress + 4 * 32;
    std::uint8_t decoded[64];
    decodeTile(&after[tile4], decoded, 16);
    EXPECT_EQ(decoded[8 * 2 + 2], 5);
    EXPECT_EQ(decoded[8 * 1 + 1], 9);
    // Tiles 160 to 180 belong to no sprite and keep the ROM's bytes; palettes 0 to 5 go twice.
    const std::uint32_t unused = kSpriteGraphicsOffset + ch.tileAddress + 160 * 32;
    EXPECT_TRUE(std::equal(after.begin() + unused, after.begin() + unused + 21 * 32, before.begin() + unused));
    set->color(2, 1) = makeColor(8, 16, 24);
    ASSERT_TRUE(saveCharacterSprites(*set, path, state(false), n));
    after = morvi::testing::readFile(path);
    const std::uint32_t word = 2 * 16 + 1;
    EXPECT_EQ(after[kCharacterPalettesOffset + 2 * word], after[kCharacterPaletteCopyOffset + 2 * word]);
    EXPECT_EQ(after[kCharacterPalettesOffset + 2 * word + 1], after[kCharacterPaletteCopyOffset + 2 * word + 1]);
    EXPECT_EQ(colorFromSnes(after[kCharacterPalettesOffset + 2 * word], after[kCharacterPalettesOffset + 2 * word + 1]),
              makeColor(8, 16, 24));
}

TEST(Characters, ClearFlipAndSwapSurviveTheNextPixelEditAndMatchWhatIsSaved) {
    TempDir dir;
    auto set = loaded(dir, characterRom(3));
    auto& ch = set->characters[1];
    clearCharacterSprites(*set, ch);
    setSpritePixel(*set, ch, 5, 0, 0, 2);
    int nonZero = 0;
    for (auto& s : ch.sprites) nonZero += int(std::count_if(s.pixels.begin(), s.pixels.end(), [](auto v) { return v != 0; }));
    EXPECT_EQ(nonZero, 2) << "the clear stays cleared: one pixel, shown in both sprites that share its tile";

    auto other = loaded(dir, characterRom(4));
    auto& c2 = other->characters[2];
    IndexedImage sheetBefore = buildSpriteSheet(c2, -1);
    flipCharacterSprites(*other, c2, 0);
    flipCharacterSprites(*other, c2, 0);
    rebuildSprites(*other, c2);
    // Shared tiles make a flip lossy where neighbours disagree; what is shown is what is saved.
    IndexedImage shown = buildSpriteSheet(c2, -1);
    CollectingNotifier n;
    std::string path = dir.file("c.smc");
    ASSERT_TRUE(saveCharacterSprites(*other, path, state(false), n));
    CharacterSet reread;
    ASSERT_TRUE(loadCharacterSprites(reread, path, state(false)));
    EXPECT_EQ(buildSpriteSheet(reread.characters[2], -1).pixels, shown.pixels);
    (void)sheetBefore;

    auto& c4 = other->characters[4];
    const PaletteColor c0 = other->color(c4.paletteNumber, 0), c6 = other->color(c4.paletteNumber, 6);
    std::vector<std::uint8_t> pixels = c4.sprites[7].pixels;
    swapCharacterColor(*other, c4, 6);
    setSpritePixel(*other, c4, 0, 0, 0, c4.sprites[0].pixel(0, 0)); // any edit rebuilds from the tiles
    for (std::size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(c4.sprites[7].pixels[i], pixels[i] == 6 ? 0 : pixels[i] == 0 ? 6 : pixels[i]);
    EXPECT_EQ(other->color(c4.paletteNumber, 0), c6);
    EXPECT_EQ(other->color(c4.paletteNumber, 6), c0);
}

TEST(Characters, EsperTerraKeepsItsFixedPalette) {
    TempDir dir;
    auto set = loaded(dir, characterRom(5));
    auto& terra = set->characters[kEsperTerra];
    EXPECT_TRUE(terra.fixedPalette);
    EXPECT_EQ(terra.sprites[3].palette[0], makeColor(248, 40, 0));
    EXPECT_EQ(terra.sprites[3].palette[15], makeColor(144, 120, 80));
    auto pixels = terra.sprites[3].pixels;
    auto palettes = set->palettes;
    swapCharacterColor(*set, terra, 4);
    EXPECT_EQ(terra.sprites[3].pixels, pixels);
    EXPECT_EQ(set->palettes, palettes);
    set->color(terra.paletteNumber, 2) = makeColor(0, 0, 8);
    reloadCharacterPalette(*set, terra);
    EXPECT_EQ(terra.sprites[0].palette[2], makeColor(248, 248, 216));
    palettes = set->palettes;
    // An import takes the sheet's pixels but leaves the shared palette alone: the sheet's
    // colours are the fixed ones, and writing them would recolour every character sharing it.
    IndexedImage sheet;
    sheet.allocateImage(128, 128);
    sheet.setPaletteEntry(1, makeColor(40, 40, 40));
    sheet.setPixel(1, 16, 1); // sprite 0, cell (0, 2): tile 4, first named there, also sprite 1 cell (0, 0)
    setCharacterFromSheet(*set, terra, sheet);
    EXPECT_EQ(set->palettes, palettes);
    EXPECT_EQ(terra.sprites[1].pixel(1, 0), 1);
    EXPECT_EQ(terra.sprites[0].palette[1], makeColor(88, 16, 64));
    // Other characters' imports write the colours the sheet has, and only those.
    auto& other = set->characters[2];
    setCharacterFromSheet(*set, other, sheet);
    EXPECT_EQ(set->color(other.paletteNumber, 1), makeColor(40, 40, 40));
    EXPECT_EQ(set->color(other.paletteNumber, 5), palettes[std::size_t(other.paletteNumber * 16 + 5)])
        << "colours the sheet lacks keep what they held";
}

TEST(Characters, SharedPalettesCopiesAndTheSheet) {
    TempDir dir;
    auto set = loaded(dir, characterRom(6));
    // Characters 0 and 9 both use palette 0.
    auto& a = set->characters[0];
    auto& b = set->characters[9];
    ASSERT_EQ(a.paletteNumber, b.paletteNumber);
    set->color(0, 3) = makeColor(1 * 8, 2 * 8, 3 * 8);
    for (auto& c : set->characters) reloadCharacterPalette(*set, c);
    EXPECT_EQ(b.sprites[10].palette[3], makeColor(8, 16, 24));

    copyCharacterSprites(*set, 1, 5, 7);
    EXPECT_EQ(set->characters[1].sprites[7].pixels, set->characters[5].sprites[7].pixels);
    EXPECT_NE(set->characters[1].paletteNumber, set->characters[5].paletteNumber) << "one sprite keeps the palette";
    copyCharacterSprites(*set, 1, 5, kAllSprites);
    EXPECT_EQ(set->characters[1].paletteNumber, set->characters[5].paletteNumber);
    EXPECT_EQ(set->characters[1].tileStore, set->characters[5].tileStore);

    IndexedImage sheet = buildSpriteSheet(a, 9);
    EXPECT_EQ(sheet.colorCount, 17);
    EXPECT_EQ(sheet.pixel(16, 24), 16) << "the frame of sprite 9";
    EXPECT_EQ(sheet.pixel(16 + 15, 24 + 23), 16);
    IndexedImage plain = buildSpriteSheet(a, -1);
    EXPECT_EQ(plain.colorCount, 16);
    EXPECT_EQ(plain.pixel(16 + 3, 24 + 5), a.sprites[9].pixel(3, 5));
    for (int x = 0; x < 128; ++x) ASSERT_EQ(plain.pixel(x, 125), 0);
    // Importing the exported sheet gives back the same sprites.
    auto before = a.tileStore;
    setCharacterFromSheet(*set, a, plain);
    EXPECT_EQ(a.tileStore, before);
}

TEST(Characters, RomsWhoseTablesPointOutsideTheBlockAreRefused) {
    TempDir dir;
    CharacterSet set;
    set.characters[0].paletteNumber = 7;
    RomImage bad = characterRom(7);
    bad.put16(kSpriteTileTableOffset + 10, 5792);
    ASSERT_TRUE(bad.writeFile(dir.file("a.smc"), false));
    EXPECT_FALSE(loadCharacterSprites(set, dir.file("a.smc"), state(false)));
    RomImage far = characterRom(7);
    far.put8(kCharacterTileBankOffset + 2 * 21, 0xD8);
    ASSERT_TRUE(far.writeFile(dir.file("b.smc"), false));
    EXPECT_FALSE(loadCharacterSprites(set, dir.file("b.smc"), state(false)));
    RomImage shortRom(0x200000);
    ASSERT_TRUE(shortRom.writeFile(dir.file("c.smc"), false));
    EXPECT_FALSE(loadCharacterSprites(set, dir.file("c.smc"), state(false)));
    EXPECT_EQ(set.characters[0].paletteNumber, 7) << "a refused ROM changes nothing";
    CollectingNotifier n;
    EXPECT_FALSE(saveCharacterSprites(set, dir.file("missing.smc"), state(false), n));
    EXPECT_EQ(n.lastText(), kMsgCharacterSaveError);
}

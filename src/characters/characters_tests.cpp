#include <gtest/gtest.h>

#include <random>

#include "rom/rom_image.h"
#include "characters/characters.h"
#include "image/snes_codec.h"
#include "testing/fixtures.h"
#include "characters/character_module.h"

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

namespace {

// Characters 0 to 15 in 0x1700-byte slots as above; 16 to 21 as 171-tile blocks one after
// another from 0x16A00, with other graphics after the last; character 3's riding tiles run into
// character 4's block.
RomImage gameLayoutRom(std::uint32_t seed) {
    RomImage rom = characterRom(seed);
    auto place = [&](int ch, std::uint32_t offset) {
        const std::uint32_t address = kSpriteGraphicsSnesAddress + offset;
        rom.put8(kCharacterTileAddressOffset + 2 * std::uint32_t(ch), std::uint8_t(address));
        rom.put8(kCharacterTileAddressOffset + 2 * std::uint32_t(ch) + 1, std::uint8_t(address >> 8));
        rom.put8(kCharacterTileBankOffset + 2 * std::uint32_t(ch), std::uint8_t(address >> 16));
    };
    for (int ch = kFirstShortCharacter; ch < kCharacterCount; ++ch)
        place(ch, 0x16A00 + std::uint32_t(kShortCharacterTileBytes * (ch - kFirstShortCharacter)));
    place(4, 0x1700 * 3 + kShortCharacterTileBytes + 64);
    return rom;
}

std::vector<std::uint8_t> fileBytes(const std::string& path) { return morvi::testing::readFile(path); }

} // namespace

TEST(CharacterPoses, RidingAndLyingPosesUseTheirFixedTilesWhereTheBlockHasThem) {
    TempDir dir;
    auto set = loaded(dir, gameLayoutRom(11));
    const CharacterSprites& full = set->characters[0];
    EXPECT_EQ(full.tileCount, 181);
    EXPECT_TRUE(full.hasPose(kRiding1Pose) && full.hasPose(kRiding2Pose) && full.hasPose(kLyingPose));
    EXPECT_EQ(set->characters[3].tileCount, 171) << "its riding tiles would overlap character 4";
    EXPECT_FALSE(set->characters[3].hasPose(kRiding1Pose));
    for (int ch = kFirstShortCharacter; ch < kCharacterCount; ++ch) {
        EXPECT_EQ(set->characters[std::size_t(ch)].tileCount, 171);
        EXPECT_FALSE(set->characters[std::size_t(ch)].hasPose(kRiding2Pose));
        EXPECT_TRUE(set->characters[std::size_t(ch)].hasPose(kLyingPose));
    }
    // The poses show the tiles the ROM holds: riding 1's top-left is tile AB, lying's 57.
    std::vector<std::uint8_t> rom = fileBytes(dir.file("c.smc"));
    std::uint8_t tile[64];
    decodeTile(&rom[kSpriteGraphicsOffset + full.tileAddress + 0xAB * 32], tile, 16);
    EXPECT_EQ(full.sprites[kRiding1Pose].pixel(3, 5), tile[5 * 8 + 3]);
    decodeTile(&rom[kSpriteGraphicsOffset + full.tileAddress + 0x5C * 32], tile, 16);
    EXPECT_EQ(full.sprites[kLyingPose].width, 24);
    EXPECT_EQ(full.sprites[kLyingPose].height, 16);
    EXPECT_EQ(full.sprites[kLyingPose].pixel(16 + 2, 8 + 6), tile[6 * 8 + 2]);

    // A pixel of riding 1's bottom row is tile AF, which riding 2 shows too; a missing pose takes no pixel.
    auto& ch = set->characters[1];
    const PixelWrite w{1, 17, 9};
    setSpritePixels(*set, ch, kRiding1Pose, std::span<const PixelWrite>(&w, 1));
    EXPECT_EQ(ch.sprites[kRiding1Pose].pixel(1, 17), 9);
    EXPECT_EQ(ch.sprites[kRiding2Pose].pixel(1, 17), 9);
    EXPECT_EQ(set->posesUsingTile(ch, 0xAF), (std::vector<int>{kRiding1Pose, kRiding2Pose}));
    auto& shortOne = set->characters[17];
    const auto before = shortOne.tileStore;
    EXPECT_EQ(setSpritePixels(*set, shortOne, kRiding1Pose, std::span<const PixelWrite>(&w, 1)), 0);
    EXPECT_EQ(shortOne.tileStore, before);
    EXPECT_TRUE(set->posesUsingTile(shortOne, 0xAF).empty());
}

TEST(CharacterPoses, NothingIsWrittenPastAShortBlockWhateverItsPosesAsk) {
    TempDir dir;
    auto set = loaded(dir, gameLayoutRom(12));
    const std::string path = dir.file("c.smc");
    const std::vector<std::uint8_t> before = fileBytes(path);
    // Character 16 takes everything character 0 has (riding tiles too), then every pose of it
    // is painted and flipped; character 21, the last block, the same.
    for (int target : {16, 21}) {
        copyCharacterSprites(*set, target, 0, kAllSprites);
        auto& ch = set->characters[std::size_t(target)];
        for (int pose = 0; pose < kPoseCount; ++pose) {
            std::vector<PixelWrite> writes;
            for (int y = 0; y < poseSize(pose).height; ++y)
                for (int x = 0; x < poseSize(pose).width; ++x) writes.push_back({x, y, std::uint8_t(1 + (x + y + pose) % 15)});
            setSpritePixels(*set, ch, pose, writes);
        }
        flipCharacterSprites(*set, ch, 0);
    }
    CollectingNotifier n;
    ASSERT_TRUE(saveCharacterSprites(*set, path, state(false), n));
    const std::vector<std::uint8_t> after = fileBytes(path);
    auto blockOf = [&](int ch) { return kSpriteGraphicsOffset + set->characters[std::size_t(ch)].tileAddress; };
    int changedInside = 0;
    for (std::uint32_t i = kSpriteGraphicsOffset; i < kSpriteGraphicsOffset + kSpriteGraphicsSize; ++i) {
        const bool inside16 = i >= blockOf(16) && i < blockOf(16) + kShortCharacterTileBytes;
        const bool inside21 = i >= blockOf(21) && i < blockOf(21) + kShortCharacterTileBytes;
        if (inside16 || inside21) changedInside += after[i] != before[i];
        else ASSERT_EQ(after[i], before[i]) << "byte " << i << " lies outside the edited blocks";
    }
    EXPECT_GT(changedInside, 5000);
}

TEST(CharacterPoses, FullSheetRoundTripsAndASmallerSheetLeavesTheExtraPoses) {
    TempDir dir;
    auto set = loaded(dir, gameLayoutRom(13));
    auto& from = set->characters[0];
    auto& to = set->characters[5];
    const IndexedImage full = buildSpriteSheet(from, SheetOptions{-1, true, false});
    ASSERT_EQ(full.height, kFullSheetHeight);
    EXPECT_EQ(full.pixel(32 + 5, 128 + 3), from.sprites[kLyingPose].pixel(5, 3));
    for (int x = 56; x < 128; ++x) ASSERT_EQ(full.pixel(x, 130), 0) << "beside the lying pose: colour 0";
    EXPECT_TRUE(setCharacterFromSheet(*set, to, full).empty());
    for (int t = 0; t < kTilesWithRiding; ++t) {
        if (set->posesUsingTile(from, t).empty()) continue; // tiles 160 to 170 are shown by no pose here
        ASSERT_TRUE(std::equal(to.tileStore.begin() + 64 * t, to.tileStore.begin() + 64 * t + 64, from.tileStore.begin() + 64 * t)) << t;
    }

    auto& other = set->characters[6];
    const auto riding = std::vector<std::uint8_t>(other.tileStore.begin() + 64 * 0xAB, other.tileStore.begin() + 64 * 181);
    setCharacterFromSheet(*set, other, buildSpriteSheet(from, -1));
    EXPECT_EQ(std::vector<std::uint8_t>(other.tileStore.begin() + 64 * 0xAB, other.tileStore.begin() + 64 * 181), riding);
    EXPECT_EQ(other.sprites[3].pixels, from.sprites[3].pixels);
    // A short character takes a full sheet's 40 poses and lying, never the riding rows.
    auto& shortOne = set->characters[18];
    const auto past = std::vector<std::uint8_t>(shortOne.tileStore.begin() + 64 * 171, shortOne.tileStore.end());
    setCharacterFromSheet(*set, shortOne, full);
    EXPECT_EQ(std::vector<std::uint8_t>(shortOne.tileStore.begin() + 64 * 171, shortOne.tileStore.end()), past);
    EXPECT_EQ(shortOne.sprites[kLyingPose].pixels, from.sprites[kLyingPose].pixels);
}

TEST(CharacterPoses, ASheetWhoseSharedTilesDisagreeKeepsTheFirstPoseAndSaysWhich) {
    TempDir dir;
    auto set = loaded(dir, gameLayoutRom(14));
    auto& ch = set->characters[2];
    IndexedImage sheet = buildSpriteSheet(ch, SheetOptions{-1, true, false});
    // Tile 4 is sprite 0's cell (0, 2) and sprite 1's cell (0, 0); AF is riding 1's and riding 2's
    // bottom-left.
    const int kept = sheet.pixel(1, 17) == 3 ? 4 : 3;
    sheet.setPixel(16 + 1, 1, std::uint8_t(kept == 3 ? 4 : 3)); // sprite 1 says otherwise
    sheet.setPixel(1, 17, std::uint8_t(kept));
    sheet.setPixel(16 + 2, 120 + 17, 7);                          // riding 2's copy of AF
    sheet.setPixel(2, 120 + 17, 6);
    const auto report = setCharacterFromSheet(*set, ch, sheet);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0].tile, 4);
    EXPECT_EQ(report[0].keptPose, 0);
    EXPECT_EQ(report[0].otherPose, 1);
    EXPECT_EQ(report[1].tile, 0xAF);
    EXPECT_EQ(describeDisagreements(report), "poses 0 and 1 (tile 04); poses 40 and 41 (tile AF)");
    EXPECT_EQ(ch.sprites[1].pixel(1, 1), kept);
    EXPECT_EQ(ch.sprites[kRiding2Pose].pixel(2, 17), 6);
}

TEST(CharacterPoses, BattleColoursCountEveryBattlePoseThatShowsThePixel) {
    TempDir dir;
    auto set = loaded(dir, gameLayoutRom(15));
    auto& ch = set->characters[7];
    clearCharacterSprites(*set, ch);
    EXPECT_TRUE(fieldOnlyColorUse(ch).empty());
    // Tile 4 is sprite 0's cell (0, 2) and sprite 1's cell (0, 0), both battle poses; tile 156
    // is shown by poses 38 and 39 (crying, the tent), neither of them in battle.
    ASSERT_EQ(set->posesUsingTile(ch, 4), (std::vector<int>{0, 1}));
    ASSERT_EQ(set->posesUsingTile(ch, 156), (std::vector<int>{38, 39}));
    const PixelWrite a{0, 16, 12}, b{0, 0, 15}, c{5, 5, 11};
    setSpritePixels(*set, ch, 0, std::span<const PixelWrite>(&a, 1));
    setSpritePixels(*set, ch, 39, std::span<const PixelWrite>(&b, 1));
    setSpritePixels(*set, ch, 16, std::span<const PixelWrite>(&c, 1));
    const auto uses = fieldOnlyColorUse(ch);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].pose, 0);
    EXPECT_EQ(uses[1].pose, 1);
    EXPECT_EQ(uses[0].pixels + uses[1].pixels, 2) << "one pixel, counted in each battle pose that shows it";
}

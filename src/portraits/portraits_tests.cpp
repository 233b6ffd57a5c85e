#include <gtest/gtest.h>

#include <random>

#include "rom/rom_image.h"
#include "image/snes_codec.h"
#include "portraits/portraits.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

RomImage portraitRom(std::uint32_t seed) {
    RomImage rom;
    rom.put8(0x20, 0xA2);
    std::mt19937 rng(seed);
    for (std::uint32_t i = 0; i < kPortraitCount * kPortraitTileBytes; ++i) rom.put8(kPortraitTilesOffset + i, std::uint8_t(rng()));
    for (std::uint32_t i = 0; i < kPortraitCount * 16; ++i)
        rom.put16(kPortraitPalettesOffset + 2 * i, std::uint16_t(rng() & 0x7FFF));
    for (std::uint32_t i = 0; i < 18; ++i) rom.put8(kPortraitPaletteNumbersOffset + i, std::uint8_t(i % 17));
    rom.put8(kPortraitPaletteNumbersOffset + 18, 0xAA);
    rom.put8(kPortraitPaletteNumbersOffset + 19, 0xBB);
    rom.put8(kPortraitPaletteNumbersOffset + 20, 5);
    return rom;
}

RomState state(bool header) {
    RomState s;
    s.romHasHeader = header;
    return s;
}

} // namespace

TEST(Portraits, UneditedSaveLeavesTheRomByteIdenticalWithAndWithoutHeader) {
    TempDir dir;
    for (bool header : {false, true}) {
        std::string path = dir.file(header ? "h.smc" : "n.smc");
        ASSERT_TRUE(portraitRom(1).writeFile(path, header));
        auto before = morvi::testing::readFile(path);
        PortraitSet set;
        ASSERT_TRUE(loadPortraits(set, path, state(header)));
        EXPECT_EQ(set.portraits[18].paletteNumber, 5) << "portrait 18 reads byte 20";
        EXPECT_EQ(set.portraits[17].paletteNumber, 0);
        CollectingNotifier n;
        ASSERT_TRUE(savePortraits(set, path, state(header), n));
        EXPECT_EQ(morvi::testing::readFile(path), before);
    }
}

TEST(Portraits, TileArrangementAndThePaletteNumberTable) {
    TempDir dir;
    RomImage rom = portraitRom(2);
    for (std::uint32_t i = 0; i < kPortraitTileBytes; ++i) rom.put8(kPortraitTilesOffset + i, 0);
    // Portrait 0: tile k holds value k + 1 in every pixel (k < 15) to show where each tile lands.
    for (int k = 0; k < 15; ++k) {
        std::uint8_t tile[64];
        std::fill(tile, tile + 64, std::uint8_t(k + 1));
        std::uint8_t raw[32];
        encodeTilePixels(tile, raw, 16);
        rom.put(kPortraitTilesOffset + 32 * std::uint32_t(k), raw);
    }
    std::string path = dir.file("p.smc");
    ASSERT_TRUE(rom.writeFile(path, false));
    PortraitSet set;
    ASSERT_TRUE(loadPortraits(set, path, state(false)));
    const auto& image = set.portraits[0].image;
    EXPECT_EQ(image.pixel(0, 0), 1);
    EXPECT_EQ(image.pixel(8 * 3, 0), 4);
    EXPECT_EQ(image.pixel(0, 8 * 2), 5) << "tile 4 is the first tile of row 2";
    EXPECT_EQ(image.pixel(8 * 4, 0), 9) << "tile 8 heads the fifth column";
    EXPECT_EQ(image.pixel(8 * 4, 8 * 4), 13);
    EXPECT_EQ(image.pixel(8 * 2, 8 * 4), 0) << "tile 15 is empty here";
    EXPECT_EQ(portraitTilePosition(24), std::make_pair(3, 4));

    // Bytes 18 and 19 of the number table are not portraits and stay as they were.
    setPortraitPalette(set, set.portraits[18], 9);
    CollectingNotifier n;
    ASSERT_TRUE(savePortraits(set, path, state(false), n));
    auto bytes = morvi::testing::readFile(path);
    EXPECT_EQ(bytes[kPortraitPaletteNumbersOffset + 18], 0xAA);
    EXPECT_EQ(bytes[kPortraitPaletteNumbersOffset + 19], 0xBB);
    EXPECT_EQ(bytes[kPortraitPaletteNumbersOffset + 20], 9);
}

TEST(Portraits, OutOfRangePaletteNumbersShowPaletteZeroAndAreKeptUntilChanged) {
    TempDir dir;
    RomImage rom = portraitRom(3);
    rom.put8(kPortraitPaletteNumbersOffset + 2, 40);
    std::string path = dir.file("p.smc");
    ASSERT_TRUE(rom.writeFile(path, false));
    PortraitSet set;
    ASSERT_TRUE(loadPortraits(set, path, state(false)));
    EXPECT_EQ(set.portraits[2].paletteNumber, 0);
    EXPECT_EQ(set.portraits[2].image.palette[3], set.color(0, 3));
    CollectingNotifier n;
    ASSERT_TRUE(savePortraits(set, path, state(false), n));
    EXPECT_EQ(morvi::testing::readFile(path)[kPortraitPaletteNumbersOffset + 2], 40);
    setPortraitPalette(set, set.portraits[2], 0);
    ASSERT_TRUE(savePortraits(set, path, state(false), n));
    EXPECT_EQ(morvi::testing::readFile(path)[kPortraitPaletteNumbersOffset + 2], 0);
}

TEST(Portraits, SharedPalettesFollowEveryColourChange) {
    TempDir dir;
    std::string path = dir.file("p.smc");
    ASSERT_TRUE(portraitRom(4).writeFile(path, false));
    PortraitSet set;
    ASSERT_TRUE(loadPortraits(set, path, state(false)));
    // Portraits 1 and 18 share palette... make them share palette 5.
    setPortraitPalette(set, set.portraits[1], 5);
    auto& a = set.portraits[1];
    auto& b = set.portraits[18];
    set.color(5, 7) = makeColor(248, 0, 8);
    for (auto& p : set.portraits) reloadPortraitPalette(set, p);
    EXPECT_EQ(b.image.palette[7], makeColor(248, 0, 8));

    IndexedImage imported;
    imported.allocateImage(40, 40);
    imported.setPaletteEntry(0, makeColor(8, 8, 8));
    imported.setPaletteEntry(1, makeColor(16, 16, 16));
    imported.setPixel(3, 3, 1);
    setPortraitFromImage(set, a, imported);
    EXPECT_EQ(set.color(5, 1), makeColor(16, 16, 16));
    EXPECT_EQ(set.color(5, 7), makeColor(248, 0, 8)) << "colours the image lacks stay";
    EXPECT_EQ(a.image.pixel(3, 3), 1);

    const PaletteColor c0 = set.color(5, 0), c4 = set.color(5, 4);
    a.image.setPixel(0, 0, 4);
    swapPortraitColor(set, a, 4);
    EXPECT_EQ(a.image.pixel(0, 0), 0);
    EXPECT_EQ(a.image.pixel(1, 1), 4);
    EXPECT_EQ(set.color(5, 0), c4);
    EXPECT_EQ(set.color(5, 4), c0);

    copyPortrait(set, 18, 2);
    EXPECT_EQ(b.image.pixels, set.portraits[2].image.pixels);
    EXPECT_EQ(set.color(5, 3), set.color(set.portraits[2].paletteNumber, 3));
    auto pixels = b.image.pixels;
    copyPortrait(set, 18, 18);
    EXPECT_EQ(b.image.pixels, pixels);

    flipPortrait(b, 0);
    EXPECT_EQ(b.image.pixel(39, 0), pixels[0]);
    flipPortrait(b, 0);
    flipPortrait(b, 1);
    flipPortrait(b, 1);
    EXPECT_EQ(b.image.pixels, pixels);
    clearPortrait(b);
    EXPECT_EQ(b.image.pixels, std::vector<std::uint8_t>(1600, 0));
    EXPECT_EQ(b.paletteNumber, 5);
}

TEST(Portraits, RawPairExportsFreshTilesAndImportsOnlyWholeFiles) {
    TempDir dir;
    std::string path = dir.file("p.smc");
    ASSERT_TRUE(portraitRom(5).writeFile(path, false));
    PortraitSet set;
    ASSERT_TRUE(loadPortraits(set, path, state(false)));
    CollectingNotifier n;
    set.portraits[3].image.setPixel(10, 10, 7);
    ASSERT_TRUE(exportPortraitRaw(set, 3, dir.file("Shadow.BIN"), n));
    EXPECT_EQ(portraitPalettePath(dir.file("Shadow.BIN")), dir.file("Shadow.pal"));
    EXPECT_EQ(portraitPalettePath("a.b"), "a.b.pal");
    EXPECT_TRUE(isRawPortraitPath("Shadow.BIN"));
    EXPECT_FALSE(isRawPortraitPath(".bin"));
    auto tiles = morvi::testing::readFile(dir.file("Shadow.BIN"));
    ASSERT_EQ(tiles.size(), 800u);
    EXPECT_EQ(morvi::testing::readFile(dir.file("Shadow.pal")).size(), 32u);

    ASSERT_TRUE(importPortraitRaw(set, 0, dir.file("Shadow.BIN"), n));
    EXPECT_EQ(set.portraits[0].image.pixels, set.portraits[3].image.pixels);
    EXPECT_EQ(set.portraits[0].image.pixel(10, 10), 7);

    // A tile file or a palette file of any other size changes nothing and says what it found.
    auto pixels = set.portraits[1].image.pixels;
    auto palettes = set.palettes;
    for (const std::size_t size : {std::size_t(0), std::size_t(700), std::size_t(799), std::size_t(801), std::size_t(5792)}) {
        tiles.resize(size, 3);
        morvi::testing::writeFile(dir.file("odd.bin"), tiles);
        EXPECT_FALSE(importPortraitRaw(set, 1, dir.file("odd.bin"), n));
        EXPECT_EQ(n.lastText(), "The portrait file has " + std::to_string(size) + " bytes; a portrait's has 800 (25 tiles)");
    }
    EXPECT_FALSE(importPortraitRaw(set, 1, dir.file("missing.bin"), n));
    EXPECT_EQ(n.lastText(), kMsgImportOpenError);
    tiles.resize(800);
    morvi::testing::writeFile(dir.file("pal.bin"), tiles);
    for (const std::size_t size : {std::size_t(31), std::size_t(33), std::size_t(512)}) {
        morvi::testing::writeFile(dir.file("pal.pal"), std::vector<std::uint8_t>(size, 0));
        EXPECT_FALSE(importPortraitRaw(set, 1, dir.file("pal.bin"), n));
        EXPECT_EQ(n.lastText(), "The palette file has " + std::to_string(size) + " bytes; a portrait's has 32 (16 colours)");
    }
    EXPECT_EQ(set.portraits[1].image.pixels, pixels);
    EXPECT_EQ(set.palettes, palettes);
    // Without a palette file only the tiles come in.
    morvi::testing::writeFile(dir.file("alone.bin"), tiles);
    EXPECT_TRUE(importPortraitRaw(set, 1, dir.file("alone.bin"), n));
    EXPECT_EQ(set.palettes, palettes);
    EXPECT_FALSE(exportPortraitRaw(set, 1, "/nonexistent/x.bin", n));
    EXPECT_EQ(n.lastText(), kMsgPortraitSaveError);
}

TEST(Portraits, ShortRomsAndFailedWritesAreReported) {
    TempDir dir;
    RomImage rom(0x2D0000);
    std::string path = dir.file("short.smc");
    ASSERT_TRUE(rom.writeFile(path, false));
    PortraitSet set;
    set.portraits[0].paletteNumber = 3;
    EXPECT_FALSE(loadPortraits(set, path, state(false)));
    EXPECT_EQ(set.portraits[0].paletteNumber, 3);
    CollectingNotifier n;
    EXPECT_FALSE(savePortraits(set, dir.file("missing.smc"), state(false), n));
    EXPECT_EQ(n.lastText(), kMsgPortraitSaveError);
    if (std::filesystem::exists("/dev/full")) {
        n.clear();
        EXPECT_FALSE(savePortraits(set, "/dev/full", state(false), n));
        EXPECT_EQ(n.lastText(), kMsgPortraitSaveError);
    }
}

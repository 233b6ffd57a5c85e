#include <gtest/gtest.h>

#include <random>
#include <set>

#include "rom/rom_image.h"
#include "backgrounds/background_rom_builder.h"
#include "backgrounds/battle_backgrounds.h"
#include "backgrounds/block_codec.h"
#include "demo/demo_rom.h"
#include "image/canvas.h"
#include "image/snes_codec.h"
#include "testing/fixtures.h"

using namespace morvi;

namespace {

std::vector<std::uint8_t> block(std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> out = {std::uint8_t((data.size() + 2) & 0xFF), std::uint8_t((data.size() + 2) >> 8)};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A plain greedy longest-match encoder over the same window rules, to compare sizes with.
std::size_t greedySize(const std::vector<std::uint8_t>& input) {
    std::vector<std::uint8_t> buffer(kBlockWindowSize, 0);
    buffer.insert(buffer.end(), input.begin(), input.end());
    std::size_t bits = 0;
    for (std::size_t p = kBlockWindowSize; p < buffer.size();) {
        std::size_t best = 0;
        for (std::size_t q = p - kBlockWindowSize; q < p; ++q) {
            std::size_t len = 0;
            while (len < kBlockMaxCopy && p + len < buffer.size() && buffer[q + len] == buffer[p + len]) ++len;
            best = std::max(best, len);
        }
        if (best >= kBlockMinCopy) {
            bits += 17;
            p += best;
        } else {
            bits += 9;
            p += 1;
        }
    }
    return 2 + (bits + 7) / 8;
}

std::vector<std::uint8_t> tileData(std::mt19937& rng, int tiles) {
    // Tile-like data: a few patterns with small variations, as drawn graphics are.
    std::vector<std::uint8_t> out;
    for (int t = 0; t < tiles; ++t) {
        std::uint8_t pixels[64];
        const int kind = int(rng() % 4);
        for (int i = 0; i < 64; ++i)
            pixels[i] = std::uint8_t(kind == 0 ? 0 : kind == 1 ? (i / 8 + t) % 16 : kind == 2 ? (rng() % 3) : (i % 9 == 0) * 5);
        std::uint8_t raw[32];
        encodeTilePixels(pixels, raw, 16);
        out.insert(out.end(), raw, raw + 32);
    }
    return out;
}

} // namespace

TEST(BlockCodec, DecompressesLiteralsReferencesAndOverlaps) {
    auto literals = block({0xFF, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(decompressBlock(literals, 0), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    // A reference to position 0x7DE of the zeroed window, length 33, before any output.
    EXPECT_EQ(decompressBlock(block({0x00, 0xDE, 0xF7}), 0), std::vector<std::uint8_t>(33, 0));
    // A reference that reads the bytes it has just written: "ab" then copy 6 from 0x7DE.
    auto overlap = decompressBlock(block({0x03, 'a', 'b', 0xDE, 0x1F}), 0);
    EXPECT_EQ(std::string(overlap.begin(), overlap.end()), "abababab");
    EXPECT_TRUE(decompressBlock(block({}), 0).empty());
    // Lengths that lie: the output stops at 8192 bytes and at the end of the data.
    std::vector<std::uint8_t> huge = {0xFF, 0xFF};
    for (int g = 0; g < 400; ++g) huge.insert(huge.end(), {0x00, 0xDE, 0xFF, 0xDE, 0xFF, 0xDE, 0xFF, 0xDE, 0xFF,
                                                          0xDE, 0xFF, 0xDE, 0xFF, 0xDE, 0xFF, 0xDE, 0xFF});
    EXPECT_EQ(decompressBlock(huge, 0).size(), kBlockOutputLimit);
    auto cut = block({0xFF, 1, 2, 3, 4, 5, 6, 7, 8});
    cut[0] = 0x40;
    cut.resize(6);
    EXPECT_EQ(decompressBlock(cut, 0), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(decompressBlock(cut, 5).empty());
    EXPECT_TRUE(decompressBlock(cut, 100).empty());
}

TEST(BlockCodec, CompressionRoundTripsAndBeatsGreedyMatching) {
    std::mt19937 rng(42);
    std::vector<std::vector<std::uint8_t>> inputs = {{}, {7}, std::vector<std::uint8_t>(8192, 0),
                                                     std::vector<std::uint8_t>(8192, 0xAB)};
    for (int size : {1, 2, 3, 35, 100, 2047, 2048, 2049, 5000, 8192}) {
        std::vector<std::uint8_t> random(static_cast<std::size_t>(size)), repetitive(static_cast<std::size_t>(size));
        for (auto& b : random) b = std::uint8_t(rng());
        for (int i = 0; i < size; ++i) repetitive[std::size_t(i)] = std::uint8_t("morvi tiles "[i % 12] + (i / 700));
        inputs.push_back(random);
        inputs.push_back(repetitive);
    }
    inputs.push_back(tileData(rng, 128));
    inputs.push_back(tileData(rng, 256));
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.size());
        auto packed = compressBlock(input);
        ASSERT_EQ(decompressBlock(packed, 0), input);
        ASSERT_EQ(std::size_t(packed[0] | (packed[1] << 8)), packed.size());
    }
    for (std::size_t i = inputs.size() - 2; i < inputs.size(); ++i) {
        auto packed = compressBlock(inputs[i]);
        EXPECT_LE(packed.size(), greedySize(inputs[i]));
        EXPECT_LT(packed.size(), inputs[i].size() / 2) << "tile data really compresses";
    }
    // Larger input is cut to what a block can hold.
    EXPECT_EQ(decompressBlock(compressBlock(std::vector<std::uint8_t>(9000, 1)), 0).size(), 8192u);
}

TEST(BattleBackgrounds, TileMapEntriesDecodeTileNumbersPaletteThirdsAndFlips) {
    TileMapCell cell = decodeTileMapEntry(0xFF, 0x03);
    EXPECT_EQ(cell.tile, 575);
    EXPECT_EQ(decodeTileMapEntry(0x10, 0x01).tile, 0x10 + 64);
    EXPECT_EQ(decodeTileMapEntry(0, 5 << 2).paletteOffset, 0);
    EXPECT_EQ(decodeTileMapEntry(0, 7 << 2).paletteOffset, 32);
    EXPECT_EQ(decodeTileMapEntry(0, 4 << 2).paletteOffset, 240);
    EXPECT_TRUE(decodeTileMapEntry(0, 0x40).flipX);
    EXPECT_TRUE(decodeTileMapEntry(0, 0x80).flipY);
    for (int t : {0, 63, 64, 255, 256, 319, 320, 511, 575}) {
        auto bytes = encodeTileMapEntry(t, 6, true, false);
        EXPECT_EQ(decodeTileMapEntry(bytes[0], bytes[1]).tile, t);
    }
}

namespace {

// Graphics whose tile t is filled with colour value (t % 15) + 1.
std::vector<std::uint8_t> filledTiles(int count, int shift) {
    std::vector<std::uint8_t> out;
    for (int t = 0; t < count; ++t) {
        std::uint8_t pixels[64];
        std::fill(pixels, pixels + 64, std::uint8_t(((t + shift) % 15) + 1));
        if (t == 1) pixels[1] = 0; // pixel (1, 0) of tile 1 shows the flips
        std::uint8_t raw[32];
        encodeTilePixels(pixels, raw, 16);
        out.insert(out.end(), raw, raw + 32);
    }
    return out;
}

} // namespace

TEST(BattleBackgrounds, AreasOverlapInOrderAndOnlyTheWindowIsComposed) {
    BackgroundRomBuilder b;
    for (int k = 0; k < kBackgroundPaletteColors; ++k) b.setPaletteColor(k, makeColor(std::uint8_t(k % 31 * 8), 0, std::uint8_t(k / 48 % 31 * 8)));
    const int big = b.addGraphicsSet(filledTiles(256, 0), true);  // area A: 256 tiles
    const int mid = b.addGraphicsSet(filledTiles(128, 7), false); // area B: raw, replaces 128..255
    const int third = b.addGraphicsSet(filledTiles(256, 3), true); // area C flagged 256: stops at 575
    std::vector<std::uint8_t> map;
    for (int y = 0; y < kTileMapRows; ++y)
        for (int x = 0; x < kTileMapColumns; ++x) {
            int tile = x == 8 && y == 1 ? 1 : x == 9 && y == 1 ? 130 : x == 10 && y == 1 ? 575 : x == 11 && y == 1 ? 300 : 0;
            auto e = encodeTileMapEntry(tile, x == 12 ? 4 : 5 + ((y + 2) % 3), false, false);
            map.insert(map.end(), e.begin(), e.end());
        }
    const int m = b.addTileMap(map);
    b.setBackground(0, std::uint8_t(big | 0x80), std::uint8_t(mid), std::uint8_t(third | 0x80), m, 3);
    b.setBackground(1, 0xFF, std::uint8_t(mid), 0xFF, m, 4);
    RomImage rom;
    ASSERT_TRUE(b.writeTo(rom));
    BackgroundSet set;
    ASSERT_TRUE(readBackgrounds(set, rom.bytes));
    const IndexedImage& bg = set.backgrounds[0].image;
    EXPECT_EQ(bg.width, 256);
    EXPECT_EQ(bg.height, 152);
    EXPECT_EQ(bg.colorCount, 48);
    EXPECT_EQ(bg.palette[0], set.palettes[3 * 48]);
    EXPECT_EQ(bg.pixel(64 + 2, 8), 2) << "tile 1 of area A";
    EXPECT_EQ(bg.pixel(72, 8), ((2 + 7) % 15) + 1) << "tile 130 comes from area B, which overwrote A";
    EXPECT_EQ(bg.pixel(80, 8), ((127 + 3) % 15) + 1) << "tile 575 is area C's 128th tile";
    EXPECT_EQ(bg.pixel(88, 8), 0) << "tile 300 lies in no area";
    EXPECT_EQ(bg.pixel(64 + 1, 8), 0) << "pixel (1, 0) of tile 1 is colour 0";
    // Palette field 6 on row 2 adds 16; field 4 wraps to 240 + value.
    EXPECT_EQ(bg.pixel(64, 16), 1 + 16);
    EXPECT_EQ(bg.pixel(104, 8 * 3), 1 + 32);
    EXPECT_EQ(bg.pixel(96, 8 * 3), 1 + 240);
    EXPECT_EQ(bg.pixel(63, 8), 0) << "outside the composed window";
    EXPECT_EQ(bg.pixel(192, 8), 0);
    EXPECT_EQ(bg.pixel(100, 7), 0);
    EXPECT_EQ(bg.pixel(100, 144), 0);
    EXPECT_NE(bg.pixel(191, 143), 0);
    // Background 1 has only area B: tiles 0..127 stay 0, so its tile 1 is empty.
    EXPECT_EQ(set.backgrounds[1].image.pixel(66, 8), std::uint8_t(0 + 0));
    EXPECT_EQ(set.backgrounds[1].image.pixel(72, 8), ((2 + 7) % 15) + 1);
}

TEST(BattleBackgrounds, FlipsApplyHorizontalFirst) {
    BackgroundRomBuilder b;
    const int set0 = b.addGraphicsSet(filledTiles(128, 0), true);
    std::vector<std::uint8_t> map;
    for (int i = 0; i < kTileMapRows * kTileMapColumns; ++i) {
        const int x = i % 32, y = i / 32;
        auto e = encodeTileMapEntry(y == 1 && x >= 8 && x <= 10 ? 1 : 0, 5, x == 9 || x == 10, x == 10);
        map.insert(map.end(), e.begin(), e.end());
    }
    b.setBackground(0, std::uint8_t(set0), 0xFF, 0xFF, b.addTileMap(map), 0);
    RomImage rom;
    ASSERT_TRUE(b.writeTo(rom));
    BackgroundSet set;
    ASSERT_TRUE(readBackgrounds(set, rom.bytes));
    const IndexedImage& bg = set.backgrounds[0].image;
    EXPECT_EQ(bg.pixel(64 + 1, 8), 0);
    EXPECT_EQ(bg.pixel(72 + 6, 8), 0) << "mirrored left to right";
    EXPECT_EQ(bg.pixel(80 + 6, 8 + 7), 0) << "then top to bottom";
}

TEST(BattleBackgrounds, PointersIntoNowhereGiveEmptyAreasAndShortFilesAreRefused) {
    BackgroundRomBuilder b;
    RomImage rom;
    ASSERT_TRUE(b.writeTo(rom));
    // Background 2's set points past the end of the file; its map pointer too.
    rom.put8(kBackgroundPropertiesOffset + 12, 5);
    rom.put24(kGraphicsSetPointersOffset + 15, 0xFFFFFF);
    rom.put8(kBackgroundPropertiesOffset + 15, 9);
    rom.put16(kTileMapPointersOffset + 18, 0xFFFF);
    rom.bytes.resize(0x280000);
    BackgroundSet set;
    ASSERT_TRUE(readBackgrounds(set, rom.bytes));
    EXPECT_EQ(set.backgrounds[2].image.pixels, std::vector<std::uint8_t>(256 * 152, 0));
    BackgroundSet untouched;
    untouched.palettes[0] = makeColor(1, 2, 3);
    std::vector<std::uint8_t> tiny(0x270100, 0);
    EXPECT_FALSE(readBackgrounds(untouched, tiny));
    EXPECT_EQ(untouched.palettes[0], makeColor(1, 2, 3));
}

TEST(Backdrops, PreviewsAndTheTwoBackdrops) {
    BackgroundSet set;
    buildBackgroundPreviews(set);
    ASSERT_EQ(set.previews.size(), 60u);
    EXPECT_EQ(set.previews[5].at(10, 10), rgb32(0, 0, 0));
    EXPECT_EQ(set.previews[6].at(127, 127), rgb32(30, 60, 240));
    buildBackdrop(set, 6);
    EXPECT_EQ(set.smallBackdrop.colorCount, 2) << "black, then the preview's colour";
    EXPECT_EQ(set.smallBackdrop.palette[1], makeColor(30, 60, 240));
    EXPECT_EQ(set.largeBackdrop.width, 256);
    EXPECT_EQ(set.largeBackdrop.colorCount, 2);
    for (int i = 0; i < 5; ++i) {
        buildBackdrop(set, i);
        std::set<std::uint32_t> colours(set.previews[std::size_t(i)].pixels.begin(), set.previews[std::size_t(i)].pixels.end());
        EXPECT_LT(colours.size(), 256u) << "built-in picture " << i << " fits an indexed backdrop";
        EXPECT_GT(colours.size(), 8u);
        for (int y = 0; y < 256; y += 7)
            for (int x = 0; x < 256; x += 5)
                ASSERT_EQ(set.largeBackdrop.colorAt(x, y), set.smallBackdrop.colorAt(x / 2, y / 2));
    }
}

TEST(Canvas, BackdropShowsThroughIndexZeroAndMagnificationMapsTheOrigin) {
    IndexedImage image;
    image.allocateImage(64, 64);
    for (int i = 0; i < 16; ++i) image.setPaletteEntry(std::uint8_t(i), makeColor(std::uint8_t(i * 10), 0, 0));
    image.setPixel(0, 0, 3);
    image.setPixel(11, 4, 5);
    image.palette[5] = makeColor(0, 200, 0);
    IndexedImage backdrop;
    backdrop.allocateImage(256, 256);
    for (int k = 0; k < 48; ++k) backdrop.setPaletteEntry(std::uint8_t(k), makeColor(0, 200, std::uint8_t(k)));
    backdrop.setPixel(3, 0, 1);
    backdrop.setPixel(100, 100, 47);
    Surface s;
    drawMagnified(image, 4, s, 0, 0, &backdrop, 256, 256);
    EXPECT_EQ(s.at(0, 0), rgb32(30, 0, 0));
    EXPECT_EQ(s.at(3, 3), rgb32(30, 0, 0));
    EXPECT_EQ(s.at(4, 0), rgb32(0, 200, 0)) << "index 0 shows the backdrop's pixel at the canvas position";
    EXPECT_EQ(s.at(100, 100), rgb32(0, 200, 47));
    EXPECT_EQ(s.at(255, 255), rgb32(0, 200, 0)) << "beyond the image, the backdrop";
    drawMagnified(image, 4, s, 10, 2, &backdrop, 256, 256);
    EXPECT_EQ(s.at(5, 9), rgb32(0, 200, 0)) << "canvas (5, 9) shows image pixel (11, 4) of colour 5";
    // A larger canvas: the backdrop repeats; a shifted picture starts at the shift.
    Surface wide;
    drawMagnified(image, 4, wide, 0, 0, &backdrop, 600, 300, 100, 20);
    EXPECT_EQ(wide.at(356, 100), rgb32(0, 200, 47)) << "backdrop pixel (100, 100) again 256 to the right";
    EXPECT_EQ(wide.at(99, 20), rgb32(0, 200, 0)) << "left of the picture: backdrop";
    EXPECT_EQ(wide.at(100, 20), rgb32(30, 0, 0));
    EXPECT_EQ(wide.at(103, 23), rgb32(30, 0, 0));
    EXPECT_EQ(wide.at(100 + 44, 20 + 16), rgb32(0, 200, 0)) << "image pixel (11, 4)";
    EXPECT_EQ(wide.at(259, 0), rgb32(0, 200, 1)) << "above it: backdrop pixel (3, 0), repeated";
    Surface bare;
    drawMagnified(image, 4, bare, 0, 0, nullptr, 256, 256);
    EXPECT_EQ(bare.at(255, 255), rgb32(0, 0, 0));
    // Full size over the small backdrop.
    IndexedImage small;
    small.allocateImage(128, 128);
    small.setPaletteEntry(1, makeColor(9, 9, 9));
    small.setPixel(1, 0, 1);
    Surface preview;
    drawImage(image, preview, &small, 128, 128);
    EXPECT_EQ(preview.at(0, 0), rgb32(30, 0, 0));
    EXPECT_EQ(preview.at(1, 0), rgb32(9, 9, 9));
    EXPECT_EQ(preview.at(100, 100), rgb32(0, 0, 0));
}

TEST(Canvas, PixelAndTileGrids) {
    auto linesAt = [](const Surface& s, bool vertical) {
        std::vector<int> out;
        for (int i = 0; i < 256; ++i)
            if ((vertical ? s.at(i, 1) : s.at(1, i)) == kGridColor) out.push_back(i);
        return out;
    };
    Surface s(256, 256);
    drawCanvasGrid(s, GridMode::Pixel, 2, 2, 64, 64, 0, 0, GridClip::SquareExtent);
    auto v = linesAt(s, true);
    ASSERT_EQ(v.size(), 65u);
    EXPECT_EQ(v.front(), 0);
    EXPECT_EQ(v.back(), 128);
    EXPECT_EQ(s.at(128, 128), kGridColor);
    EXPECT_NE(s.at(128, 129), kGridColor) << "lines are 129 pixels long";
    Surface none(256, 256);
    drawCanvasGrid(none, GridMode::Pixel, 5, 4, 64, 64, 0, 0, GridClip::SquareExtent);
    EXPECT_TRUE(linesAt(none, true).empty()) << "below the minimum magnification";

    Surface t(256, 256);
    drawCanvasGrid(t, GridMode::Tile, 2, 4, 128, 128, 3, 0, GridClip::SquareExtent);
    auto tv = linesAt(t, true);
    ASSERT_GE(tv.size(), 3u);
    EXPECT_EQ(tv[0], 20);
    EXPECT_EQ(tv[1], 52);
    EXPECT_EQ(tv[2], 84);
    Surface u(256, 256);
    drawCanvasGrid(u, GridMode::Tile, 2, 3, 128, 128, 1, 0, GridClip::SquareExtent);
    EXPECT_EQ(linesAt(u, true).front(), 24 - 3);
    // The character page draws only inside its 16 x 24 sprite's extent.
    Surface c(256, 256);
    drawCanvasGrid(c, GridMode::Pixel, 2, 10, 16, 24, 0, 0, GridClip::SpriteExtent);
    EXPECT_EQ(c.at(160, 0), kGridColor);
    EXPECT_NE(c.at(170, 0), kGridColor);
    EXPECT_EQ(c.at(0, 240), kGridColor);
    EXPECT_NE(c.at(0, 250), kGridColor);
    // A shifted picture on a larger canvas: its grid starts at its corner and ends with it.
    Surface big(600, 400);
    drawCanvasGrid(big, GridMode::Pixel, 2, 4, 64, 64, 0, 0, GridClip::SquareExtent, 44, 72);
    EXPECT_EQ(big.at(44, 72), kGridColor);
    EXPECT_EQ(big.at(48, 80), kGridColor);
    EXPECT_NE(big.at(43, 80), kGridColor);
    EXPECT_EQ(big.at(44 + 256, 72 + 256), kGridColor);
    EXPECT_NE(big.at(44 + 257, 72 + 100), kGridColor);
    EXPECT_NE(big.at(44 + 100, 72 + 257), kGridColor);
    Surface tiles(600, 400);
    drawCanvasGrid(tiles, GridMode::Tile, 2, 4, 128, 128, 0, 0, GridClip::SquareExtent, 10, 0);
    EXPECT_EQ(tiles.at(10 + 32, 5), kGridColor);
    EXPECT_EQ(tiles.at(10 + 512, 5), kGridColor);
    EXPECT_NE(tiles.at(10 + 544, 5), kGridColor) << "not past the picture";
}

TEST(Backdrops, AnOpenComposesOnlyTheBackdropsBackgroundAndTheRestMatchWhenShown) {
    const RomImage rom = buildDemoRom();
    BackgroundSet all;
    ASSERT_TRUE(readBackgrounds(all, rom.bytes));
    buildBackgroundPreviews(all);
    BackgroundSet lazy;
    loadBackgrounds(lazy, RomBytes(rom.bytes, false), 20); // preview 20 shows background 13
    int composed = 0;
    for (bool c : lazy.composed) composed += c;
    EXPECT_EQ(composed, 1);
    EXPECT_TRUE(lazy.composed[13]);
    for (int i = 0; i < kPreviewCount; ++i)
        ASSERT_EQ(backgroundPreview(lazy, i).pixels, all.previews[std::size_t(i)].pixels) << "preview " << i;
    for (int n : {0, 13, 54}) EXPECT_EQ(lazy.backgrounds[std::size_t(n)].image.pixels, all.backgrounds[std::size_t(n)].image.pixels);
}

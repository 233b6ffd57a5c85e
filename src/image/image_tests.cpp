#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "image/canvas.h"
#include "image/indexed_image.h"
#include "image/snes_codec.h"

using namespace morvi;

TEST(IndexedImage, AllocationGivesOneBlackColourAndZeroPixels) {
    IndexedImage image;
    image.palette[1] = makeColor(1, 2, 3);
    ASSERT_FALSE(image.allocateImage(4, 3));
    EXPECT_EQ(image.colorCount, 1);
    EXPECT_EQ(image.palette[0], PaletteColor{});
    EXPECT_EQ(image.palette[1], makeColor(1, 2, 3)) << "entries above 0 are left alone";
    EXPECT_EQ(image.pixels, std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(image.findOrAddColor(PaletteColor{}), 0);
    EXPECT_EQ(image.findOrAddColor(makeColor(9, 9, 9)), 1);
    EXPECT_TRUE(IndexedImage().allocateImage(-1, 5));
    EXPECT_TRUE(IndexedImage().allocateImage(1 << 20, 1 << 20));
}

TEST(IndexedImage, FullPaletteRefusesEvenAColourItHolds) {
    IndexedImage image;
    image.allocateImage(16, 16);
    for (int i = 1; i < 256; ++i) image.setPixelColor(makeColor(std::uint8_t(i), 0, 0), i % 16, i / 16);
    ASSERT_EQ(image.colorCount, 256);
    EXPECT_EQ(image.findOrAddColor(makeColor(5, 0, 0)), PALETTE_FULL);
    std::uint8_t before = image.pixel(0, 0);
    EXPECT_EQ(image.setPixelColor(makeColor(5, 0, 0), 0, 0), PALETTE_FULL);
    EXPECT_EQ(image.pixel(0, 0), before);
}

TEST(IndexedImage, LowerIndexWinsAndPaletteEntriesGrowTheCount) {
    IndexedImage image;
    image.allocateImage(2, 2);
    image.setPaletteEntry(3, makeColor(7, 7, 7));
    image.setPaletteEntry(5, makeColor(7, 7, 7));
    EXPECT_EQ(image.colorCount, 6);
    EXPECT_EQ(image.findOrAddColor(makeColor(7, 7, 7)), 3);
    image.palette[10] = makeColor(1, 1, 1);
    image.setPaletteEntry(15, makeColor(2, 2, 2));
    EXPECT_EQ(image.colorCount, 16);
    EXPECT_EQ(image.palette[10], makeColor(1, 1, 1));
    EXPECT_EQ(image.setPixelColor(makeColor(200, 0, 0), 1, 1), 17);
    EXPECT_EQ(image.pixel(1, 1), 16);
}

TEST(IndexedImage, SwapExchangesEntriesAndRemapsPixels) {
    IndexedImage image;
    image.allocateImage(3, 1);
    for (int i = 0; i < 6; ++i) image.setPaletteEntry(std::uint8_t(i), makeColor(std::uint8_t(i * 10), 0, 0));
    image.pixels = {0, 3, 5};
    image.swapPaletteEntries(3, 3);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{0, 3, 5}));
    image.swapPaletteEntries(0, 3);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{3, 0, 5}));
    EXPECT_EQ(image.palette[0], makeColor(30, 0, 0));
    EXPECT_EQ(image.palette[3], makeColor(0, 0, 0));
    EXPECT_EQ(image.colorCount, 6);
    EXPECT_EQ(image.colorAt(1, 0), makeColor(30, 0, 0));
    EXPECT_EQ(image.colorAt(3, 0), PaletteColor{}) << "outside the image is black";
}

TEST(IndexedImage, MirrorWithinContentKeepsTheDrawingInItsCorner) {
    IndexedImage image;
    image.allocateImage(128, 128);
    image.setPixel(2, 0, 4);
    image.setPixel(9, 0, 6);
    image.mirrorImage(0, true);
    EXPECT_EQ(image.pixel(7, 0), 4);
    EXPECT_EQ(image.pixel(0, 0), 6);
    EXPECT_EQ(image.pixel(2, 0), 0);
    EXPECT_EQ(image.pixel(9, 0), 0);

    IndexedImage tall;
    tall.allocateImage(8, 8);
    tall.setPixel(1, 0, 1);
    tall.setPixel(3, 2, 2);
    tall.mirrorImage(1, true); // content extent 4 x 3: rows 0..2 swap
    EXPECT_EQ(tall.pixel(1, 2), 1);
    EXPECT_EQ(tall.pixel(3, 0), 2);
    tall.mirrorImage(1, false); // whole image: row y goes to 7 - y
    EXPECT_EQ(tall.pixel(1, 5), 1);
    EXPECT_EQ(tall.pixel(3, 7), 2);

    IndexedImage blank;
    blank.allocateImage(8, 8);
    blank.mirrorImage(0, true);
    EXPECT_EQ(blank.pixels, std::vector<std::uint8_t>(64, 0));
}

TEST(IndexedImage, CaptureTurnsBlackIntoIndexZeroAndAppendsColoursInScanOrder) {
    Surface surface(3, 2);
    surface.set(0, 0, rgb32(10, 20, 30));
    surface.set(1, 0, rgb32(0, 0, 0));
    surface.set(2, 0, rgb32(10, 20, 30));
    surface.set(0, 1, rgb32(1, 2, 3));
    IndexedImage image;
    image.captureImage(surface, 3, 2);
    EXPECT_EQ(image.colorCount, 3);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{1, 0, 1, 2, 0, 0}));
    EXPECT_EQ(image.palette[1], makeColor(10, 20, 30));
}

TEST(SnesColour, EveryColourWordSurvivesARoundTripWithoutBit15) {
    for (int word = 0; word < 0x10000; ++word) {
        PaletteColor c = colorFromSnes(std::uint8_t(word), std::uint8_t(word >> 8));
        auto [low, high] = colorToSnes(c);
        ASSERT_EQ(low | (high << 8), word & 0x7FFF) << "word " << word;
        ASSERT_EQ(c.red % 8, 0);
    }
    EXPECT_EQ(colorFromSnes(0xFF, 0x7F), makeColor(248, 248, 248));
    EXPECT_EQ(colorFromSnes(0xFF, 0xFF), makeColor(248, 248, 248));
    EXPECT_EQ(colorToSnes(makeColor(255, 0, 0)), std::make_pair(std::uint8_t(0x1F), std::uint8_t(0)));
    EXPECT_EQ(colorToSnes(makeColor(0, 255, 0)), std::make_pair(std::uint8_t(0xE0), std::uint8_t(3)));
    EXPECT_EQ(colorToSnes(makeColor(0, 0, 255)), std::make_pair(std::uint8_t(0), std::uint8_t(0x7C)));
}

TEST(SnesTile, RandomTilesRoundTripInBothDepths) {
    std::mt19937 rng(7);
    for (int colors : {16, 8}) {
        for (int n = 0; n < 500; ++n) {
            std::uint8_t raw[32];
            for (auto& b : raw) b = std::uint8_t(rng());
            std::uint8_t tile[64];
            decodeTile(raw, tile, colors);
            std::uint8_t again[32] = {};
            encodeTilePixels(tile, again, colors);
            ASSERT_EQ(0, std::memcmp(raw, again, std::size_t(tileBytes(colors))));
            for (auto v : tile) ASSERT_LT(v, colors);
        }
    }
}

TEST(SnesTile, PlaneLayoutMatchesTheHardware) {
    std::uint8_t all[32];
    std::memset(all, 0xFF, sizeof all);
    std::uint8_t tile[64];
    decodeTile(all, tile, 16);
    EXPECT_EQ(std::vector<std::uint8_t>(tile, tile + 64), std::vector<std::uint8_t>(64, 15));
    decodeTile(all, tile, 8);
    EXPECT_EQ(std::vector<std::uint8_t>(tile, tile + 64), std::vector<std::uint8_t>(64, 7));

    // Pixel (0, 2) of value 13 = planes 0, 2, 3: bit 7 of bytes 4, 20 and 21.
    std::uint8_t one[32] = {};
    one[4] = 0x80;
    one[20] = 0x80;
    one[21] = 0x80;
    decodeTile(one, tile, 16);
    EXPECT_EQ(tile[16], 13);
    EXPECT_EQ(std::count(tile, tile + 64, 0), 63);
    // In 3-bit tiles, plane 2 is packed one byte a row: row 5 at byte 21.
    std::uint8_t three[24] = {};
    three[21] = 0x01;
    decodeTile(three, tile, 8);
    EXPECT_EQ(tile[8 * 5 + 7], 4);
}

TEST(SnesTile, EncodeDropsHighBitsAndReadsZeroOutsideTheImage) {
    IndexedImage image;
    image.allocateImage(12, 8);
    image.setPixel(0, 0, 9);
    image.setPixel(11, 7, 5);
    std::uint8_t raw[32];
    encodeTile(image, 0, 0, raw, 8);
    std::uint8_t tile[64];
    decodeTile(raw, tile, 8);
    EXPECT_EQ(tile[0], 1) << "bit 3 is dropped in 3-bit tiles";
    encodeTile(image, 1, 0, raw, 16);
    decodeTile(raw, tile, 16);
    EXPECT_EQ(tile[8 * 7 + 3], 5);
    EXPECT_EQ(tile[8 * 7 + 4], 0) << "columns past the image encode as 0";
}

TEST(SnesTile, FlipsAndPlacement) {
    std::uint8_t tile[64];
    for (int i = 0; i < 64; ++i) tile[i] = std::uint8_t(i);
    flipTileX(tile);
    EXPECT_EQ(tile[0], 7);
    EXPECT_EQ(tile[15], 8);
    flipTileY(tile);
    EXPECT_EQ(tile[0], 63);
    EXPECT_EQ(tile[63], 0);

    IndexedImage image;
    image.allocateImage(40, 40);
    EXPECT_TRUE(placeTile(image, tile, 5, 0)) << "8 x 5 = 40 is not below 40 - 7";
    EXPECT_EQ(image.pixels, std::vector<std::uint8_t>(1600, 0));
    EXPECT_FALSE(placeTile(image, tile, 4, 1));
    EXPECT_EQ(image.pixel(32, 8), 63);
    EXPECT_EQ(image.pixel(39, 15), 0);
    EXPECT_EQ(image.pixel(39, 8), 56);
}

TEST(PaletteStrip, FramesTheCurrentSwatchInWhiteAndFillsEachWithItsColour) {
    std::array<PaletteColor, 8> colours{};
    for (int i = 0; i < 8; ++i) colours[std::size_t(i)] = makeColor(std::uint8_t(10 * i), 7, 200);
    Surface strip;
    drawPaletteStrip(strip, colours, 36, 2);
    ASSERT_EQ(strip.width, 288);
    ASSERT_EQ(strip.height, 30);
    const std::uint32_t white = rgb32(255, 255, 255), black = rgb32(0, 0, 0);
    EXPECT_EQ(strip.at(72, 0), white) << "swatch 2 starts at 72 with a white border";
    EXPECT_EQ(strip.at(107, 15), white);
    EXPECT_EQ(strip.at(90, 29), white);
    EXPECT_EQ(strip.at(90, 15), colours[2].toRgb32());
    EXPECT_EQ(strip.at(0, 10), black);
    EXPECT_EQ(strip.at(35, 10), black);
    EXPECT_EQ(strip.at(1, 1), colours[0].toRgb32());
    EXPECT_EQ(strip.at(287, 29), black) << "last swatch's border";
    // The current swatch's mark: white, then two black rings, on a light colour and a dark one.
    for (const PaletteColor light : {makeColor(248, 248, 248), makeColor(0, 0, 0)}) {
        colours[2] = light;
        drawPaletteStrip(strip, colours, 36, 2);
        EXPECT_EQ(strip.at(72, 15), white);
        EXPECT_EQ(strip.at(73, 15), black);
        EXPECT_EQ(strip.at(74, 15), black);
        EXPECT_EQ(strip.at(75, 15), light.toRgb32());
        EXPECT_EQ(strip.at(90, 2), black);
        EXPECT_EQ(strip.at(105, 27), black);
        EXPECT_EQ(strip.at(104, 26), light.toRgb32());
        EXPECT_EQ(strip.at(37, 1), colours[1].toRgb32()) << "the others keep one ring";
    }

    // Sixteen colours in 18-pixel swatches fill the same width.
    std::array<PaletteColor, 16> sixteen{};
    sixteen[15] = makeColor(1, 2, 3);
    drawPaletteStrip(strip, sixteen, 18, 15);
    EXPECT_EQ(strip.at(270, 0), white);
    EXPECT_EQ(strip.at(280, 10), sixteen[15].toRgb32());
    EXPECT_EQ(strip.at(269, 10), black);

    // Unused colours carry a corner mark that stands out from them; used ones do not.
    sixteen[3] = makeColor(248, 248, 248);
    drawPaletteStrip(strip, sixteen, 18, 0, 1u << 2 | 1u << 3);
    EXPECT_EQ(strip.at(2 * 18 + 16, 28), white) << "dark swatch 2: white mark";
    EXPECT_EQ(strip.at(3 * 18 + 16, 28), black) << "light swatch 3: black mark";
    EXPECT_EQ(strip.at(3 * 18 + 8, 28), sixteen[3].toRgb32()) << "the mark keeps to the corner";
    EXPECT_EQ(strip.at(4 * 18 + 16, 28), sixteen[4].toRgb32());
}

TEST(IndexedImage, RemapKeepsTransparencyAndTakesExactThenNearestColours) {
    std::array<PaletteColor, 4> palette = {makeColor(0, 0, 0), makeColor(200, 0, 0), makeColor(0, 200, 0), makeColor(10, 10, 10)};
    IndexedImage file;
    file.allocateImage(4, 1);
    file.setPaletteEntry(0, makeColor(5, 5, 5));       // the transparent colour, whatever it looks like
    file.setPaletteEntry(1, makeColor(0, 200, 0));     // exact: entry 2
    file.setPaletteEntry(2, makeColor(190, 30, 20));   // nearest: entry 1
    file.setPaletteEntry(3, makeColor(0, 0, 0));       // black: entry 3 (10,10,10), never the transparent 0
    for (int x = 0; x < 4; ++x) file.setPixel(x, 0, std::uint8_t(x));
    IndexedImage mapped = remapToPalette(file, palette);
    ASSERT_EQ(mapped.width, 4);
    EXPECT_EQ(mapped.colorCount, 4);
    EXPECT_EQ(mapped.pixel(0, 0), 0);
    EXPECT_EQ(mapped.pixel(1, 0), 2);
    EXPECT_EQ(mapped.pixel(2, 0), 1);
    EXPECT_EQ(mapped.pixel(3, 0), 3);
    EXPECT_EQ(mapped.palette[1], palette[1]);
}

TEST(IndexedImageBuffer, ReusedBuffersStartBlankAndResetForgetsEverythingButMemory) {
    IndexedImage image;
    ASSERT_FALSE(image.allocateImage(16, 16));
    image.setPaletteEntry(3, makeColor(1, 2, 3));
    std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t(3));
    const std::uint8_t* buffer = image.pixels.data();
    ASSERT_FALSE(image.allocateImage(8, 8));
    EXPECT_EQ(image.pixels.data(), buffer) << "a smaller picture reuses the buffer";
    EXPECT_EQ(image.pixels, std::vector<std::uint8_t>(64, 0));
    EXPECT_EQ(image.colorCount, 1);

    image.reset();
    EXPECT_FALSE(image.hasPixels());
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.colorCount, 0);
    EXPECT_EQ(image.palette[3], PaletteColor{});
    ASSERT_FALSE(image.allocateImage(16, 16));
    EXPECT_EQ(image.pixels.data(), buffer) << "reset keeps the memory";
    EXPECT_EQ(image.pixels, std::vector<std::uint8_t>(256, 0));

    EXPECT_TRUE(image.allocateImage(-1, 4));
    EXPECT_FALSE(image.hasPixels());
    EXPECT_EQ(image.pixels.capacity(), 0u) << "a refused size frees the buffer";
}

// The canvas drawn over a kept backdrop, whole or a part at a time, is exactly what drawing it
// at once shows: every magnification, scroll origin, shift and picture edge.
TEST(Canvas, DrawingOverAKeptBackdropMatchesTheWholeDrawingInEveryPart) {
    std::mt19937 random(7);
    IndexedImage backdrop;
    backdrop.allocateImage(48, 40);
    backdrop.colorCount = 4;
    for (int k = 0; k < 4; ++k) backdrop.setPaletteEntry(std::uint8_t(k), makeColor(std::uint8_t(60 * k), 40, std::uint8_t(200 - 40 * k)));
    for (auto& p : backdrop.pixels) p = std::uint8_t(random() % 4);
    for (int round = 0; round < 60; ++round) {
        IndexedImage image;
        image.allocateImage(int(1 + random() % 40), int(1 + random() % 40));
        image.colorCount = 16;
        for (int k = 1; k < 16; ++k) image.setPaletteEntry(std::uint8_t(k), makeColor(std::uint8_t(16 * k), std::uint8_t(255 - 16 * k), 99));
        for (auto& p : image.pixels) p = std::uint8_t(random() % 3 ? random() % 16 : 0);
        const int m = int(1 + random() % 9), w = int(50 + random() % 120), h = int(50 + random() % 120);
        const int ox = int(random() % 4), oy = int(random() % 4), sx = int(random() % 30), sy = int(random() % 30);
        Surface whole(w, h), under, parts(w, h);
        drawMagnified(image, m, whole, ox, oy, &backdrop, w, h, sx, sy);
        drawBackdropTiles(backdrop, under, w, h);
        // In pieces of any size that together cover the canvas, some running past its edges.
        for (int y = -5; y < h;) {
            const int ph = int(1 + random() % 40);
            for (int x = -5; x < w;) {
                const int pw = int(1 + random() % 40);
                drawMagnifiedOver(image, m, parts, under, ox, oy, sx, sy, {x, y, pw, ph});
                x += pw;
            }
            y += ph;
        }
        ASSERT_EQ(parts.pixels, whole.pixels) << "round " << round << " x" << m;
    }
}

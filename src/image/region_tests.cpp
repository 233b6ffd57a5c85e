#include <gtest/gtest.h>

#include "image/region.h"

using namespace morvi;

namespace {

IndexedImage numbered(int w, int h) {
    IndexedImage image;
    image.allocateImage(w, h);
    for (int k = 0; k < 16; ++k) image.setPaletteEntry(std::uint8_t(k), makeColor(std::uint8_t(16 * k), 0, 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, std::uint8_t((x + 3 * y) % 16));
    return image;
}

} // namespace

TEST(Region, RectsCopiesAndWritesStayInsideThePicture) {
    EXPECT_EQ(rectBetween({5, 7}, {2, 3}, 10, 10), (Rect{2, 3, 4, 5}));
    EXPECT_EQ(rectBetween({-3, -3}, {2, 20}, 10, 10), (Rect{0, 0, 3, 10}));
    EXPECT_TRUE(rectBetween({20, 20}, {30, 30}, 10, 10).empty());
    const IndexedImage p = numbered(8, 6);
    const IndexedImage r = copyRegion(p, {6, 4, 4, 4});
    ASSERT_EQ(r.width, 4);
    EXPECT_EQ(r.pixel(0, 0), p.pixel(6, 4));
    EXPECT_EQ(r.pixel(1, 1), p.pixel(7, 5));
    EXPECT_EQ(r.pixel(2, 0), 0) << "outside the picture";
    EXPECT_EQ(r.palette[5], p.palette[5]);
    EXPECT_EQ(fillWrites({6, 4, 4, 4}, 9, 8, 6).size(), 4u);
    const auto placed = placeWrites(r, {-1, -1}, 8, 6);
    ASSERT_EQ(placed.size(), 9u) << "the part left of and above the picture is dropped";
    EXPECT_EQ(placed.front(), (PixelWrite{0, 0, r.pixel(1, 1)}));
}

TEST(Region, FlipsAndQuarterTurnsAreExactAndComeBack) {
    const IndexedImage r = numbered(5, 3);
    const IndexedImage h = flippedRegion(r, false), v = flippedRegion(r, true);
    EXPECT_EQ(h.pixel(0, 1), r.pixel(4, 1));
    EXPECT_EQ(v.pixel(2, 0), r.pixel(2, 2));
    const IndexedImage cw = turnedRegion(r, true);
    ASSERT_EQ(cw.width, 3);
    ASSERT_EQ(cw.height, 5);
    EXPECT_EQ(cw.pixel(2, 0), r.pixel(0, 0)) << "top-left goes to top-right";
    EXPECT_EQ(cw.pixel(0, 0), r.pixel(0, 2)) << "bottom-left goes to top-left";
    EXPECT_EQ(turnedRegion(cw, false).pixels, r.pixels);
    EXPECT_EQ(turnedRegion(turnedRegion(turnedRegion(cw, true), true), true).pixels, r.pixels);
    EXPECT_EQ(turnedCorner({10, 10, 6, 2}), (Point{12, 8}));
}

TEST(Region, ForeignPicturesAndWidePalettesAreMappedNotTruncated) {
    const std::vector<PaletteColor> palette = {makeColor(0, 0, 0), makeColor(200, 0, 0), makeColor(0, 0, 200)};
    const std::uint32_t argb[4] = {0x00FF0000u, 0xFFF00000u, 0xFF0000E0u, 0xFF000000u};
    const IndexedImage m = mapArgbToPalette(argb, 2, 2, palette);
    EXPECT_EQ(m.pixel(0, 0), 0) << "transparent";
    EXPECT_EQ(m.pixel(1, 0), 1);
    EXPECT_EQ(m.pixel(0, 1), 2);
    EXPECT_NE(m.pixel(1, 1), 0) << "black is a colour, never the transparent one";
    // A 16-colour region into 3 colours: mapped by colour.
    IndexedImage wide = numbered(4, 1);
    wide.palette[12] = makeColor(10, 0, 190);
    wide.setPixel(0, 0, 12);
    const IndexedImage fitted = fitRegionToPalette(wide, palette);
    EXPECT_EQ(fitted.pixel(0, 0), 2);
    for (std::uint8_t v : fitted.pixels) EXPECT_LT(v, 3);
    // Within the colours: the indices stay.
    IndexedImage narrow = numbered(2, 1);
    narrow.setPixel(1, 0, 2);
    EXPECT_EQ(fitRegionToPalette(narrow, palette).pixels, narrow.pixels);
}

TEST(Region, TheClipboardFormRoundTripsAndRefusesAnythingElse) {
    ClipRegion r{{7, 9}, numbered(5, 4)};
    const auto bytes = encodeClipRegion(r);
    const auto back = decodeClipRegion(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->origin, (Point{7, 9}));
    EXPECT_EQ(back->pixels.pixels, r.pixels.pixels);
    EXPECT_EQ(back->pixels.palette, r.pixels.palette);
    auto bad = bytes;
    bad[0] = 'X';
    EXPECT_FALSE(decodeClipRegion(bad));
    EXPECT_FALSE(decodeClipRegion(std::span(bytes).first(bytes.size() - 1))) << "short";
    bad = bytes;
    bad[9] = 0xFF, bad[10] = 0xFF; // width 65535
    EXPECT_FALSE(decodeClipRegion(bad));
    bad = bytes;
    bad[9] = 0, bad[10] = 0;
    EXPECT_FALSE(decodeClipRegion(bad)) << "no pixels";
    EXPECT_FALSE(decodeClipRegion({}));
}

#include <gtest/gtest.h>

#include <functional>

#include "image/indexed_image.h"
#include "imagefile/image_file.h"
#include "imagefile/palette_file.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

// A sheet whose palette order means something: the top-left pixel is colour 9, so order of first
// use would renumber it, and colour 12 repeats colour 3, so looking colours up would merge them.
IndexedImage sheet(int w, int h) {
    IndexedImage image;
    image.allocateImage(w, h);
    for (int i = 0; i < 16; ++i)
        image.setPaletteEntry(std::uint8_t(i), makeColor(std::uint8_t(15 * i), std::uint8_t(200 - 9 * i), std::uint8_t(7 * i)));
    image.palette[12] = image.palette[3];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, std::uint8_t((x / 2 + 3 * y + 9) % 16));
    return image;
}

// 256 entries, the picture's 16 first and a filler after them, as painting programs write them.
std::vector<PaletteColor> fullPalette(const IndexedImage& image) {
    std::vector<PaletteColor> colors(256, makeColor(1, 2, 3));
    std::copy_n(image.palette.begin(), 16, colors.begin());
    return colors;
}

std::vector<std::uint8_t> bmp8(const IndexedImage& image) {
    const int w = image.width, h = image.height, rowBytes = (w + 3) / 4 * 4;
    std::vector<std::uint8_t> f(54, 0);
    f[0] = 'B', f[1] = 'M', f[14] = 40, f[18] = std::uint8_t(w), f[22] = std::uint8_t(h), f[26] = 1, f[28] = 8;
    for (const PaletteColor c : fullPalette(image)) f.insert(f.end(), {c.blue, c.green, c.red, 0});
    f[10] = std::uint8_t(f.size()), f[11] = std::uint8_t(f.size() >> 8);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < rowBytes; ++x) f.push_back(x < w ? image.pixel(x, y) : 0);
    return f;
}

std::vector<std::uint8_t> pcx8(const IndexedImage& image) {
    const int w = image.width, h = image.height;
    std::vector<std::uint8_t> f(128, 0);
    f[0] = 10, f[1] = 5, f[2] = 1, f[3] = 8, f[65] = 1;
    f[8] = std::uint8_t(w - 1), f[10] = std::uint8_t(h - 1), f[66] = std::uint8_t(w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.push_back(image.pixel(x, y)); // indices below 0xC0 need no run
    f.push_back(12);
    for (const PaletteColor c : fullPalette(image)) f.insert(f.end(), {c.red, c.green, c.blue});
    return f;
}

void png8(const IndexedImage& image, const std::string& path) {
    IndexedImage full = image;
    const auto colors = fullPalette(image);
    std::copy(colors.begin(), colors.end(), full.palette.begin());
    full.colorCount = 256;
    ASSERT_FALSE(savePng8(full, path, image.width, image.height));
}

} // namespace

TEST(IndexOrder, EightBitFilesOfASheetGiveTheIndicesOfItsFourBitFilesInEveryFormat) {
    TempDir dir;
    const IndexedImage image = sheet(32, 24);
    ASSERT_FALSE(savePng(image, dir.file("four.png"), 32, 24));
    ASSERT_FALSE(saveBmp(image, dir.file("four.bmp"), 32, 24));
    ASSERT_FALSE(savePcx(image, dir.file("four.pcx"), 32, 24));
    png8(image, dir.file("eight.png"));
    morvi::testing::writeFile(dir.file("eight.bmp"), bmp8(image));
    morvi::testing::writeFile(dir.file("eight.pcx"), pcx8(image));
    for (const char* name : {"four.png", "four.bmp", "four.pcx", "eight.png", "eight.bmp", "eight.pcx"}) {
        SCOPED_TRACE(name);
        IndexedImage back;
        IndexOrder order{16};
        ASSERT_EQ(loadImageFile(back, dir.file(name), 16, 128, 128, &order), ImageLoadResult::Read);
        EXPECT_TRUE(order.kept);
        EXPECT_EQ(back.pixels, image.pixels);
        EXPECT_EQ(back.colorCount, 16);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(back.palette[std::size_t(i)], image.palette[std::size_t(i)]) << i;
    }
    // Without asking, and where an index reaches the limit (8 for a 3-bit monster), an 8-bit file
    // is numbered in order of first use as before: the same colours, other indices.
    for (int keep : {0, 8}) {
        IndexedImage back;
        IndexOrder order{keep};
        ASSERT_EQ(loadImageFile(back, dir.file("eight.bmp"), 16, 128, 128, &order), ImageLoadResult::Read);
        EXPECT_FALSE(order.kept);
        EXPECT_EQ(back.pixel(0, 0), 0);
        EXPECT_EQ(back.colorCount, 15) << "the repeated colour merged";
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(back.colorAt(x, y), image.colorAt(x, y));
    }
}

TEST(IndexOrder, AnIndexAtOrPastTheLimitGoesBackToFirstUse) {
    TempDir dir;
    IndexedImage image = sheet(16, 8);
    image.setPixel(5, 5, 7);
    IndexedImage eightOnly = image;
    for (auto& p : eightOnly.pixels) p &= 7;
    // Every index below 8: a 3-bit target keeps them, its 8 first colours in order.
    morvi::testing::writeFile(dir.file("low.pcx"), pcx8(eightOnly));
    IndexedImage back;
    IndexOrder order{8};
    ASSERT_EQ(loadImageFile(back, dir.file("low.pcx"), 16, 128, 128, &order), ImageLoadResult::Read);
    EXPECT_TRUE(order.kept);
    EXPECT_EQ(back.pixels, eightOnly.pixels);
    EXPECT_EQ(back.colorCount, 8);
    // One pixel of index 200 (the filler colour): order of first use, 15 colours and the filler.
    image.setPixel(0, 7, 200);
    morvi::testing::writeFile(dir.file("high.bmp"), bmp8(image));
    order = IndexOrder{16};
    ASSERT_EQ(loadImageFile(back, dir.file("high.bmp"), 16, 128, 128, &order), ImageLoadResult::Read);
    EXPECT_FALSE(order.kept);
    EXPECT_EQ(back.colorCount, 16);
    EXPECT_EQ(back.colorAt(0, 7), makeColor(1, 2, 3));
    // Two such pixels of new colours are one too many for 16, as before.
    image.setPixel(1, 7, 201);
    auto bytes = bmp8(image);
    bytes[54 + 4 * 201] = 99;
    morvi::testing::writeFile(dir.file("over.bmp"), bytes);
    EXPECT_EQ(loadImageFile(back, dir.file("over.bmp"), 16, 128, 128, &order), ImageLoadResult::TooManyColors);
}

TEST(IndexOrder, AnIndexedPictureGivesItsPaletteInIndexOrder) {
    TempDir dir;
    const IndexedImage image = sheet(16, 8);
    png8(image, dir.file("sheet.PNG"));
    ASSERT_FALSE(saveBmp(image, dir.file("sheet.bmp"), 16, 8));
    morvi::testing::writeFile(dir.file("sheet.pcx"), pcx8(image));
    for (const char* name : {"sheet.PNG", "sheet.bmp", "sheet.pcx"}) {
        SCOPED_TRACE(name);
        const PaletteRead read = loadPaletteFile(dir.file(name));
        ASSERT_TRUE(read.ok()) << read.error;
        ASSERT_GE(read.colors.size(), 16u);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(read.colors[std::size_t(i)], image.palette[std::size_t(i)]) << i;
    }
    // A picture of direct colours has no palette to give; a broken one says it could not be read.
    const std::vector<std::uint8_t> bmp24 = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                             0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0, 0, 0, 0, 0, 0, 10, 20, 30, 0};
    morvi::testing::writeFile(dir.file("direct.bmp"), bmp24);
    EXPECT_NE(loadPaletteFile(dir.file("direct.bmp")).error.find("not an indexed picture"), std::string::npos);
    EXPECT_FALSE(loadPaletteFile(dir.file("missing.png")).ok());
}

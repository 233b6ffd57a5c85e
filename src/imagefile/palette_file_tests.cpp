#include <gtest/gtest.h>

#include <filesystem>

#include "imagefile/palette_file.h"
#include "testing/fixtures.h"

using namespace morvi;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

std::vector<PaletteColor> sample(int n) {
    std::vector<PaletteColor> colors;
    for (int k = 0; k < n; ++k) colors.push_back(makeColor(std::uint8_t(8 * k), std::uint8_t(255 - 8 * k), std::uint8_t(16 * (k % 16))));
    return colors;
}

} // namespace

TEST(PaletteFiles, EveryFormatRoundTripsAndIsToldByItsContent) {
    const auto colors = sample(16);
    for (PaletteFormat f : {PaletteFormat::Jasc, PaletteFormat::Gimp, PaletteFormat::Act, PaletteFormat::Hex}) {
        const PaletteRead r = readPalette(writePalette(colors, f));
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.colors, colors) << int(f);
    }
    // SNES words keep five bits a channel, as the console does.
    std::vector<PaletteColor> rounded;
    for (auto c : colors) rounded.push_back(snesRounded(c));
    EXPECT_EQ(readPalette(writePalette(colors, PaletteFormat::Snes)).colors, rounded);
    // JASC-PAL is written with CRLF and read with either line ending.
    const auto jasc = writePalette(sample(2), PaletteFormat::Jasc);
    EXPECT_EQ(std::string(jasc.begin(), jasc.end()), "JASC-PAL\r\n0100\r\n2\r\n0 255 0\r\n8 247 16\r\n");
    EXPECT_EQ(readPalette(bytesOf("JASC-PAL\n0100\n2\n0 255 0\n8 247 16  \n\n")).colors, sample(2));
    EXPECT_EQ(paletteFormatForPath("a/B.PAL"), PaletteFormat::Jasc);
    EXPECT_EQ(paletteFormatForPath("x.gpl"), PaletteFormat::Gimp);
    EXPECT_EQ(paletteFormatForPath("x.bin"), PaletteFormat::Snes);
    EXPECT_FALSE(paletteFormatForPath("x.png"));
    EXPECT_EQ(paletteFormatNamed("snes"), PaletteFormat::Snes);
    EXPECT_FALSE(paletteFormatNamed("riff"));
}

TEST(PaletteFiles, OptionalPartsOfEachFormatAreRead) {
    // GIMP: name, columns, comments, tabs, names after the colour, GIMP's right-aligned columns.
    const auto gimp = readPalette(bytesOf("GIMP Palette\r\nName: Dusk\r\nColumns: 4\r\n# a comment\r\n"
                                          "  0   0   0\tBlack\r\n255\t128 7 Orange red\r\n\r\n 12 34 56\r\n"));
    ASSERT_TRUE(gimp.ok()) << gimp.error;
    EXPECT_EQ(gimp.colors, (std::vector<PaletteColor>{makeColor(0, 0, 0), makeColor(255, 128, 7), makeColor(12, 34, 56)}));
    // ACT without and with the count (and transparent index).
    std::vector<std::uint8_t> act(768, 0);
    act[3] = 200;
    EXPECT_EQ(readPalette(act).colors.size(), 256u);
    EXPECT_EQ(readPalette(act).colors[1], makeColor(200, 0, 0));
    act.insert(act.end(), {0, 5, 0xFF, 0xFF});
    EXPECT_EQ(readPalette(act).colors.size(), 5u);
    // RIFF: version, count, then R G B flags per colour.
    std::vector<std::uint8_t> riff = {'R', 'I', 'F', 'F', 24, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a', 12, 0, 0, 0,
                                      0x00, 0x03, 2, 0, 10, 20, 30, 0, 40, 50, 60, 0};
    const auto fromRiff = readPalette(riff);
    ASSERT_TRUE(fromRiff.ok()) << fromRiff.error;
    EXPECT_EQ(fromRiff.colors, (std::vector<PaletteColor>{makeColor(10, 20, 30), makeColor(40, 50, 60)}));
    // Lospec hex, with or without '#', either case.
    EXPECT_EQ(readPalette(bytesOf("F8F8F8\n#00ff7f\n")).colors, (std::vector<PaletteColor>{makeColor(248, 248, 248), makeColor(0, 255, 127)}));
}

TEST(PaletteFiles, BadFilesAreRefusedWithAReason) {
    auto refused = [](const std::vector<std::uint8_t>& bytes, const std::string& why) {
        const PaletteRead r = readPalette(bytes);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.colors.empty());
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    };
    refused({}, "empty");
    refused(bytesOf("JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\n4 5 6\r\n"), "not its count of 3");
    refused(bytesOf("JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n4 5 6\r\n"), "more colours than its count");
    refused(bytesOf("JASC-PAL\r\n0100\r\n300\r\n"), "count");
    refused(bytesOf("JASC-PAL\r\n0100\r\nmany\r\n"), "count");
    refused(bytesOf("JASC-PAL\r\n0100\r\n1\r\n1 256 3\r\n"), "outside 0 to 255");
    refused(bytesOf("JASC-PAL\r\n0100\r\n1\r\n1 -2 3\r\n"), "outside 0 to 255");
    refused(bytesOf("JASC-PAL\r\n0100\r\n1\r\n1 2\r\n"), "line 4");
    refused(bytesOf("JASC-PAL\r\n"), "header");
    refused(bytesOf("GIMP Palette\nName: x\n"), "no colours");
    refused(bytesOf("GIMP Palette\n1 2 x\n"), "line 2");
    refused(bytesOf("GIMP Pallete\n1 2 3\n"), "header");
    std::string many = "GIMP Palette\n";
    for (int k = 0; k < 257; ++k) many += "1 2 3\n";
    refused(bytesOf(many), "more than 256");
    refused(bytesOf("ffffff\nnot a colour\n"), "not a palette file");
    refused({0x12, 0x34, 0x56}, "not a palette file");                 // odd, binary
    refused({0x00, 0xFF, 0x00, 0x80}, "not a palette file");           // top bits set: not colour words
    refused(std::vector<std::uint8_t>(2 << 20, 1), "too large");
    std::vector<std::uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a', 200, 0, 0, 0};
    refused(riff, "past the end");
    std::vector<std::uint8_t> act(772, 0);
    refused(act, "count");
}

TEST(PaletteFiles, AFileThatNamesATextFormatIsThatFormatOrRefused) {
    auto refusedAs = [](std::vector<std::uint8_t> bytes, const std::string& why) {
        const PaletteRead r = readPalette(bytes);
        EXPECT_FALSE(r.ok()) << r.colors.size() << " colours read";
        EXPECT_TRUE(r.colors.empty());
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    };
    // Binary garbage after a GIMP header: 28 bytes that would pass as 14 colour words.
    const std::string garbage("GIMP Palette\n\x00\x01\x02 nonsense \xff\n", 28);
    ASSERT_EQ(garbage.size(), 28u);
    refusedAs(bytesOf(garbage), "GIMP palette's line 2 is not text");
    refusedAs(bytesOf("JASC-PAL\r\n0100\r\n\x01\x02\r\n\xfe\xff"), "JASC-PAL palette's line 3 is not text");
    refusedAs(bytesOf("GIMP Pallete\n\x80\x81"), "GIMP palette's line 2");
    // A GIMP header followed by an Adobe colour table's body, 768 bytes in all.
    std::vector<std::uint8_t> act = bytesOf("GIMP Palette\n");
    for (std::size_t k = act.size(); k < 768; ++k) act.push_back(std::uint8_t(k * 37));
    refusedAs(act, "GIMP palette's line");
    // The same goes for text pasted from the clipboard.
    const PaletteRead pasted = readPaletteText(garbage);
    EXPECT_FALSE(pasted.ok());
    EXPECT_TRUE(pasted.colors.empty());
    // Good text formats are still read, and real binary forms still are too.
    EXPECT_TRUE(readPalette(bytesOf("GIMP Palette\n1 2 3\n")).ok());
    EXPECT_EQ(readPalette(std::vector<std::uint8_t>{0x00, 0x7C, 0xFF, 0x03}).colors.size(), 2u);
}

TEST(PaletteFiles, FilesAreWrittenWholeAndErrorsNameTheFile) {
    morvi::testing::TempDir dir;
    const std::string path = dir.file("dusk.gpl");
    ASSERT_TRUE(savePaletteFile(path, sample(8), PaletteFormat::Gimp));
    EXPECT_EQ(loadPaletteFile(path).colors, sample(8));
    morvi::testing::writeFile(dir.file("bad.pal"), bytesOf("JASC-PAL\r\n0100\r\n2\r\n"));
    const PaletteRead bad = loadPaletteFile(dir.file("bad.pal"));
    EXPECT_NE(bad.error.find("bad.pal"), std::string::npos) << bad.error;
    EXPECT_FALSE(loadPaletteFile(dir.file("none.pal")).ok());
    EXPECT_FALSE(savePaletteFile(dir.file("no/such/folder.pal"), sample(2), PaletteFormat::Jasc));
}

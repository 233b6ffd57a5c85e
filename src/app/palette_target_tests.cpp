#include <gtest/gtest.h>

#include "family/palette_target.h"
#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "imagefile/palette_file.h"
#include "testing/fixtures.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

std::unique_ptr<Workspace> openDemo(const TempDir& dir) {
    const std::string path = dir.file("demo.smc");
    EXPECT_TRUE(buildDemoRom().writeFile(path, false));
    auto ws = Workspace::create();
    EXPECT_TRUE(openRom(*ws, path, HeaderChoice::Detect).ok);
    return ws;
}

const auto look = morvi::testing::lookOf;

} // namespace

TEST(ColourTexts, HexAndSnesWordsParseStrictlyAndRoundTrip) {
    EXPECT_EQ(hexColorText(makeColor(248, 8, 255)), "#f808ff");
    EXPECT_EQ(parseHexColor(" #F8f808 "), makeColor(248, 248, 8));
    EXPECT_EQ(parseHexColor("102030"), makeColor(16, 32, 48));
    for (const char* bad : {"", "#", "#12345", "#1234567", "12345g", "##123456", "0x123456"}) EXPECT_FALSE(parseHexColor(bad)) << bad;
    // White is 7FFF; red sits in the low five bits, blue in the high ones.
    EXPECT_EQ(snesWord(makeColor(248, 248, 248)), 0x7FFF);
    EXPECT_EQ(snesWord(makeColor(248, 0, 0)), 0x001F);
    EXPECT_EQ(snesWord(makeColor(0, 0, 248)), 0x7C00);
    EXPECT_EQ(colorOfSnesWord(0x03E0), makeColor(0, 248, 0));
    EXPECT_EQ(snesWordText(0x1f), "001F");
    EXPECT_EQ(parseSnesWord("7fff"), 0x7FFF);
    EXPECT_EQ(parseSnesWord("$1F"), 0x1F);
    EXPECT_EQ(parseSnesWord("0x03E0"), 0x03E0);
    for (const char* bad : {"", "8000", "FFFF", "12345", "$", "0x", "7FFG", "-1"}) EXPECT_FALSE(parseSnesWord(bad)) << bad;
    for (std::uint32_t w = 0; w < 0x8000; w += 0x111) EXPECT_EQ(snesWord(colorOfSnesWord(std::uint16_t(w))), w);
}

TEST(ColourTexts, PaletteTextFromOtherProgramsIsReadOrRefused) {
    EXPECT_EQ(readPaletteText("#ff0000, #00ff00;0000ff\n").colors,
              (std::vector<PaletteColor>{makeColor(255, 0, 0), makeColor(0, 255, 0), makeColor(0, 0, 255)}));
    EXPECT_EQ(readPaletteText("ff0000\r\n102030\r\n").colors.size(), 2u);
    EXPECT_EQ(readPaletteText("JASC-PAL\n0100\n1\n1 2 3\n").colors, std::vector<PaletteColor>{makeColor(1, 2, 3)});
    EXPECT_FALSE(readPaletteText("JASC-PAL\n0100\n2\n1 2 3\n").ok()) << "a JASC count that does not match";
    EXPECT_FALSE(readPaletteText("").ok());
    EXPECT_FALSE(readPaletteText("hello world").ok());
    std::string many;
    for (int k = 0; k < 257; ++k) many += "#000000 ";
    EXPECT_FALSE(readPaletteText(many).ok());
}

TEST(PaletteOrder, SwapAndMoveOrders) {
    EXPECT_EQ(swapOrder(4, 1, 3), (std::vector<int>{0, 3, 2, 1}));
    EXPECT_EQ(moveOrder(5, 1, 3), (std::vector<int>{0, 2, 3, 1, 4}));
    EXPECT_EQ(moveOrder(5, 4, 0), (std::vector<int>{4, 0, 1, 2, 3}));
    EXPECT_EQ(moveOrder(3, 0, 9), (std::vector<int>{0, 1, 2})) << "out of range moves nothing";
}

TEST(PaletteOrder, ReorderingRenumbersEverySharerSoNothingLooksDifferent) {
    TempDir dir;
    auto ws = openDemo(dir);
    // Portraits: every portrait on the palette keeps its look.
    {
        auto& ps = portraitsOf(*ws).portraits;
        ps[3].paletteNumber = ps[1].paletteNumber;
        reloadPortraitPalette(portraitsOf(*ws), ps[3]);
        const auto looks1 = look(ps[1].image), looks3 = look(ps[3].image);
        const auto pixels = ps[1].image.pixels;
        std::string why;
        ASSERT_TRUE(reorderTargetPalette(*ws, {portraitFamily(), 1}, moveOrder(16, 2, 9), why)) << why;
        EXPECT_EQ(look(ps[1].image), looks1);
        EXPECT_EQ(look(ps[3].image), looks3);
        EXPECT_NE(ps[1].image.pixels, pixels) << "the numbers moved";
        EXPECT_EQ(targetPalette(*ws, {portraitFamily(), 3})[9], targetPalette(*ws, {portraitFamily(), 1})[9]);
    }
    // Characters: every character on the palette, through its tiles.
    {
        auto& chars = charactersOf(*ws).characters;
        int a = 0, b = -1;
        for (int c = 1; c < kCharacterCount; ++c)
            if (!chars[std::size_t(c)].fixedPalette && chars[std::size_t(c)].paletteNumber == chars[0].paletteNumber) b = c;
        ASSERT_GE(b, 0) << "the demo ROM has characters sharing a palette";
        std::vector<std::vector<std::uint32_t>> before;
        for (int c : {a, b})
            for (const auto& s : chars[std::size_t(c)].sprites) before.push_back(look(s));
        const auto tiles = chars[std::size_t(b)].tileStore;
        std::string why;
        ASSERT_TRUE(reorderTargetPalette(*ws, {characterFamily(), a}, swapOrder(16, 1, 14), why)) << why;
        std::size_t i = 0;
        for (int c : {a, b})
            for (const auto& s : chars[std::size_t(c)].sprites) EXPECT_EQ(look(s), before[i++]);
        EXPECT_NE(chars[std::size_t(b)].tileStore, tiles);
    }
    // Monsters: entries on the same palette with their own records; a record shared with an
    // entry of another palette follows the edited entry.
    {
        auto& mg = monstersOf(*ws);
        auto& e = mg.entries[0];
        int other = -1;
        for (int k = 1; k < kMonsterEntryCount && other < 0; ++k)
            if (mg.entries[std::size_t(k)].recordIndex != e.recordIndex && mg.entries[std::size_t(k)].colorCount == e.colorCount &&
                mg.entries[std::size_t(k)].image.hasPixels())
                other = k;
        ASSERT_GE(other, 0);
        auto& o = mg.entries[std::size_t(other)];
        setEntryPalette(mg, o, e.paletteNumber);
        const auto lookE = look(e.image), lookO = look(o.image);
        std::string why;
        ASSERT_TRUE(reorderTargetPalette(*ws, {monsterFamily(), 0}, swapOrder(e.colorCount, 1, 5), why)) << why;
        EXPECT_EQ(look(e.image), lookE);
        EXPECT_EQ(look(o.image), lookO);
        // The records were encoded again: decoding them gives the same pictures.
        for (auto* entry : {&e, &o}) {
            const auto pixels = entry->image.pixels;
            decodeEntry(mg, *entry);
            EXPECT_EQ(entry->image.pixels, pixels);
        }
    }
}

TEST(PaletteOrder, ColourZeroMakesAColourTransparentAndBadOrdersChangeNothing) {
    TempDir dir;
    auto ws = openDemo(dir);
    auto& p = portraitsOf(*ws).portraits[0];
    const auto pixels = p.image.pixels;
    const auto palette = targetPalette(*ws, {portraitFamily(), 0});
    std::string why;
    ASSERT_TRUE(reorderTargetPalette(*ws, {portraitFamily(), 0}, swapOrder(16, 0, 4), why));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(p.image.pixels[i], pixels[i] == 4 ? 0 : pixels[i] == 0 ? 4 : pixels[i]);
    EXPECT_EQ(targetPalette(*ws, {portraitFamily(), 0})[0], palette[4]);
    const auto now = portraitsOf(*ws).palettes;
    for (const std::vector<int>& bad : {std::vector<int>{0, 1}, std::vector<int>(16, 0), moveOrder(17, 0, 16)}) {
        why.clear();
        EXPECT_FALSE(reorderTargetPalette(*ws, {portraitFamily(), 0}, bad, why));
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(portraitsOf(*ws).palettes, now);
    EXPECT_FALSE(reorderTargetPalette(*ws, {characterFamily(), kEsperTerra}, swapOrder(16, 1, 2), why));
}

TEST(PaletteOrder, UsedColoursAreThePicturesOwn) {
    TempDir dir;
    auto ws = openDemo(dir);
    auto& p = portraitsOf(*ws).portraits[2];
    clearPortrait(p);
    EXPECT_EQ(colorsUsed(*ws, {portraitFamily(), 2}), 1u);
    const PixelWrite w[] = {{1, 1, 7}, {2, 2, 15}};
    setPortraitPixels(p, w);
    EXPECT_EQ(colorsUsed(*ws, {portraitFamily(), 2}), 1u | 1u << 7 | 1u << 15);
    auto& ch = charactersOf(*ws).characters[1];
    clearCharacterSprites(charactersOf(*ws), ch);
    setSpritePixel(charactersOf(*ws), ch, 30, 3, 3, 9);
    EXPECT_EQ(colorsUsed(*ws, {characterFamily(), 1}), 1u | 1u << 9) << "every sprite counts";
}

// The community's sprite and portrait files (.bin with a .pal beside it), on the demo ROM, whose
// characters 0 to 15 have the riding tiles and 16 to 21 do not.
#include <gtest/gtest.h>

#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "image/snes_codec.h"
#include "testing/fixtures.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

std::unique_ptr<Workspace> openDemo() { return morvi::testing::demoWorkspace(); }

std::vector<std::uint8_t> noise(std::size_t n, std::uint32_t seed) {
    std::vector<std::uint8_t> out(n);
    for (auto& b : out) b = std::uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    return out;
}

// Palette words the console can hold (bit 15 clear), so they read back the same.
std::vector<std::uint8_t> paletteWords(std::uint32_t seed) {
    std::vector<std::uint8_t> out = noise(32, seed);
    for (std::size_t k = 1; k < 32; k += 2) out[k] &= 0x7F;
    return out;
}

} // namespace

TEST(TileFiles, SpritePairsRoundTripByteForByteForBothSizes) {
    TempDir dir;
    for (int index : {3, 19}) {
        SCOPED_TRACE(index);
        auto ws = openDemo();
        const int size = index < kFirstShortCharacter ? kCharacterTileBytes : kShortCharacterTileBytes;
        const std::vector<std::uint8_t> tiles = noise(std::size_t(size), std::uint32_t(index)), palette = paletteWords(7);
        morvi::testing::writeFile(dir.file("in.bin"), tiles);
        morvi::testing::writeFile(dir.file("IN.PAL"), palette); // another letter case
        const TileFileRead read = importCharacterTiles(charactersOf(*ws), index, dir.file("in.bin"));
        ASSERT_TRUE(read.ok) << read.error;
        ASSERT_TRUE(exportCharacterTiles(charactersOf(*ws), index, dir.file("out.bin")));
        EXPECT_EQ(morvi::testing::readFile(dir.file("out.bin")), tiles);
        EXPECT_EQ(morvi::testing::readFile(dir.file("out.pal")), palette);
        // Every character on the same palette shows the new colours; the note names them.
        const int number = charactersOf(*ws).characters[std::size_t(index)].paletteNumber;
        for (int other : charactersSharingPalette(charactersOf(*ws), index))
            EXPECT_EQ(charactersOf(*ws).characters[std::size_t(other)].sprites[5].palette[3], charactersOf(*ws).color(number, 3));
        ASSERT_FALSE(read.notes.empty());
        EXPECT_NE(read.notes.back().find("is shared"), std::string::npos);
    }
}

TEST(TileFiles, ALongFileForAShortCharacterAndAShortFileForALongOne) {
    TempDir dir;
    auto ws = openDemo();
    // 5792 bytes to Ghost (171 tiles): the first 171 are taken, and it says so.
    const std::vector<std::uint8_t> longFile = noise(kCharacterTileBytes, 3);
    morvi::testing::writeFile(dir.file("long.bin"), longFile);
    const TileFileRead read = importCharacterTiles(charactersOf(*ws), 20, dir.file("long.bin"));
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.notes.size(), 1u) << "no palette file: the palette stays, unmentioned";
    EXPECT_NE(read.notes[0].find("first 171"), std::string::npos);
    EXPECT_EQ(characterTileFile(charactersOf(*ws).characters[20]), std::vector<std::uint8_t>(longFile.begin(), longFile.begin() + kShortCharacterTileBytes));
    // 5472 bytes to Terra: her riding tiles stay.
    auto& terra = charactersOf(*ws).characters[0];
    const std::vector<std::uint8_t> before = characterTileFile(terra);
    const std::vector<std::uint8_t> shortFile = noise(kShortCharacterTileBytes, 4);
    morvi::testing::writeFile(dir.file("short.bin"), shortFile);
    ASSERT_TRUE(importCharacterTiles(charactersOf(*ws), 0, dir.file("short.bin")).ok);
    const std::vector<std::uint8_t> after = characterTileFile(terra);
    EXPECT_TRUE(std::equal(shortFile.begin(), shortFile.end(), after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + kShortCharacterTileBytes, before.end(), after.begin() + kShortCharacterTileBytes));
}

TEST(TileFiles, RefusedPairsSayWhyAndChangeNothing) {
    TempDir dir;
    auto ws = openDemo();
    const auto tiles = charactersOf(*ws).characters[2].tileStore;
    const auto palettes = charactersOf(*ws).palettes;
    struct Case {
        std::string name;
        std::size_t tileBytes;
        int paletteBytes; // -1: no palette file
        std::string says;
    };
    const Case cases[] = {{"small", 100, -1, "100 bytes"},
                          {"big", 5793, -1, "5793 bytes"},
                          {"empty", 0, -1, "0 bytes"},
                          {"badpal", kCharacterTileBytes, 31, "31 bytes"},
                          {"hugepal", kCharacterTileBytes, 70000, "70000 bytes"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        morvi::testing::writeFile(dir.file(c.name + ".bin"), noise(c.tileBytes, 9));
        if (c.paletteBytes >= 0) morvi::testing::writeFile(dir.file(c.name + ".pal"), noise(std::size_t(c.paletteBytes), 10));
        const TileFileRead read = importCharacterTiles(charactersOf(*ws), 2, dir.file(c.name + ".bin"));
        EXPECT_FALSE(read.ok);
        EXPECT_NE(read.error.find(c.says), std::string::npos) << read.error;
    }
    EXPECT_FALSE(importCharacterTiles(charactersOf(*ws), 2, dir.file("missing.bin")).ok);
    EXPECT_EQ(charactersOf(*ws).characters[2].tileStore, tiles);
    EXPECT_EQ(charactersOf(*ws).palettes, palettes);
}

TEST(TileFiles, PortraitPairsAreTheCommunitysFilesExactly) {
    TempDir dir;
    auto ws = openDemo();
    CollectingNotifier n;
    ASSERT_TRUE(exportPortrait(portraitsOf(*ws), 4, dir.file("face.bin"), ExportFileType::Raw, n));
    const std::vector<std::uint8_t> tiles = morvi::testing::readFile(dir.file("face.bin"));
    ASSERT_EQ(tiles.size(), 800u);
    ASSERT_EQ(morvi::testing::readFile(dir.file("face.pal")).size(), 32u);
    // Another portrait's pair, named in capitals with its palette in small letters, comes in whole.
    const std::vector<std::uint8_t> other = noise(800, 12), palette = paletteWords(13);
    morvi::testing::writeFile(dir.file("OTHER.BIN"), other);
    morvi::testing::writeFile(dir.file("other.pal"), palette);
    ASSERT_TRUE(importPortraitRaw(portraitsOf(*ws), 4, dir.file("OTHER.BIN"), n));
    ASSERT_TRUE(exportPortrait(portraitsOf(*ws), 4, dir.file("again.bin"), ExportFileType::Raw, n));
    EXPECT_EQ(morvi::testing::readFile(dir.file("again.bin")), other);
    EXPECT_EQ(morvi::testing::readFile(dir.file("again.pal")), palette);
}

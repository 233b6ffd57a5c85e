#include <gtest/gtest.h>

#include "app/rom_session.h"
#include "app/settings.h"
#include "cli/demo_rom.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

TEST(RecentFiles, NewestFirstMovedNotDuplicatedAndFourAtMost) {
    Settings s;
    for (const char* p : {"A", "B", "C", "D", "E"}) s.addRecentFile(p);
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"E", "D", "C", "B"}));
    s.addRecentFile("C");
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"C", "E", "D", "B"}));
    s.addRecentFile("C");
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"C", "E", "D", "B"}));
    s.addRecentFile("c");
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"c", "C", "E", "D"})) << "letter case makes another entry";
}

TEST(Settings, ByteFieldsTakeTheLowBitsAndWindowCoordinatesFallBackTo50) {
    EXPECT_EQ(lowByte(258), 2);
    EXPECT_EQ(lowByte(-1), 255);
    EXPECT_EQ(placeWindowCoordinate(-5, 1919), 50);
    EXPECT_EQ(placeWindowCoordinate(3000, 1079), 50);
    EXPECT_EQ(placeWindowCoordinate(1900, 1919), 1900);
    EXPECT_EQ(placeWindowCoordinate(0, 1919), 0);
}

TEST(Settings, LongRecentPathsAreShortenedOnlyInTheMenuText) {
    EXPECT_EQ(recentMenuText(0, "/roms/ff3.smc"), "&1 /roms/ff3.smc");
    std::string longPath = "/home/user/" + std::string(300, 'x') + "/hack.smc";
    Settings s;
    s.addRecentFile(longPath);
    EXPECT_EQ(s.recentFiles[0], longPath) << "the list keeps the whole path";
    std::string text = recentMenuText(3, longPath, 60);
    EXPECT_EQ(text.rfind("&4 /home/", 0), 0u);
    EXPECT_NE(text.find("..."), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 8), "hack.smc");
    EXPECT_LE(text.size(), 3u + 60u);
    // A multi-byte character at a cut point is never split.
    std::string wide;
    for (int i = 0; i < 100; ++i) wide += "\xC3\xA9"; // é
    std::string cut = recentMenuText(0, wide, 41);
    for (std::size_t i = 3; i < cut.size(); ++i) {
        if (cut.compare(i, 3, "...") == 0) { i += 2; continue; }
        const auto b = std::uint8_t(cut[i]);
        if (b == 0xC3) {
            EXPECT_EQ(std::uint8_t(cut[i + 1]), 0xA9);
        }
    }
}

TEST(RomSession, AFailedOpenChangesNothingInTheWorkspace) {
    TempDir dir;
    const std::string good = dir.file("good.smc"), damaged = dir.file("damaged.smc");
    RomImage demo = buildDemoRom();
    ASSERT_TRUE(demo.writeFile(good, false));
    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, good, HeaderChoice::Detect).ok);
    const std::string firstName = ws->monsters.entries[0].name;
    const auto firstPalette = ws->monsters.palettes;

    // A file that the monster reader accepts but the character reader refuses: its character
    // tile pointers lead outside the sprite graphics block.
    RomImage other = demo;
    other.put8(kMonsterNamesOffset, 0x9A); // another first monster name
    for (int c = 0; c < kCharacterCount; ++c) {
        other.put16(kCharacterTileAddressOffset + 2 * c, 0xFFFF);
        other.put8(kCharacterTileBankOffset + 2 * c, 0xFF);
    }
    for (std::uint32_t i = 0; i < 64; ++i) other.put8(kMonsterPaletteOffset + i, std::uint8_t(i * 7));
    ASSERT_TRUE(other.writeFile(damaged, true));
    MonsterGraphics probe;
    RomState headered;
    ASSERT_TRUE(loadMonsterGraphics(probe, damaged, headered)) << "the monsters alone would load";
    ASSERT_NE(probe.entries[0].name, firstName);

    OpenOutcome outcome = openRom(*ws, damaged, HeaderChoice::Detect);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(ws->rom.romPath, good);
    EXPECT_FALSE(ws->rom.romHasHeader) << "the header flag of the failed file is not kept";
    EXPECT_EQ(ws->monsters.entries[0].name, firstName);
    EXPECT_EQ(ws->monsters.palettes, firstPalette);
}

#include <gtest/gtest.h>

#include "app/history.h"
#include "app/rom_session.h"
#include "family/settings.h"
#include "demo/demo_rom.h"
#include "testing/fixtures.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"
#include "family/picture_files.h"

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
    const std::string firstName = monstersOf(*ws).entries[0].name;
    const auto firstPalette = monstersOf(*ws).palettes;

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
    EXPECT_EQ(monstersOf(*ws).entries[0].name, firstName);
    EXPECT_EQ(monstersOf(*ws).palettes, firstPalette);
}

// Opening reads each family in place, over whatever the workspace held: the result must be what
// a fresh workspace reads, whatever was loaded and edited before.
TEST(RomSession, OpeningOverAnEditedWorkspaceReadsWhatAFreshOneReads) {
    TempDir dir;
    const std::string demoPath = dir.file("demo.smc"), otherPath = dir.file("other.smc");
    RomImage demo = buildDemoRom();
    ASSERT_TRUE(demo.writeFile(demoPath, false));
    RomImage other = demo;
    for (std::uint32_t i = 0; i < 4096; ++i) other.put8(kMonsterGraphicsOffset + i * 13, std::uint8_t(i));
    for (std::uint32_t i = 0; i < 256; ++i) other.put8(kSmallMoldsOffset + i, std::uint8_t(i * 5));
    ASSERT_TRUE(other.writeFile(otherPath, true));

    auto fresh = Workspace::create();
    ASSERT_TRUE(openRom(*fresh, demoPath, HeaderChoice::Detect).ok);

    auto ws = Workspace::create();
    ASSERT_TRUE(openRom(*ws, otherPath, HeaderChoice::Detect).ok);
    MonsterGraphics& mg = monstersOf(*ws);
    for (int e : {0, 7, 300}) {
        ASSERT_TRUE(newEntryImage(mg, mg.entries[std::size_t(e)]));
        setEntrySize(mg, mg.entries[std::size_t(e)], 1);
        setEntryPixel(mg, mg.entries[std::size_t(e)], 100, 100, 3);
    }
    mg.entries[5].image.palette[200] = makeColor(1, 2, 3);
    mg.largeMolds.push_back(Mold{});
    portraitsOf(*ws).portraits[2].image.setPixel(3, 3, 9);
    portraitsOf(*ws).portraits[2].image.palette[100] = makeColor(4, 5, 6);
    setSpritePixel(charactersOf(*ws), charactersOf(*ws).characters[1], 0, 2, 2, 7);
    charactersOf(*ws).characters[3].sprites[4].palette[50] = makeColor(7, 8, 9);
    charactersOf(*ws).characters[6].tileStore.resize(10);

    ASSERT_TRUE(openRom(*ws, demoPath, HeaderChoice::Detect).ok);
    for (Family f : {monsterFamily(), portraitFamily(), characterFamily()})
        EXPECT_TRUE(takeSnapshot(*ws, f) == takeSnapshot(*fresh, f)) << "family " << f->cliName();
    EXPECT_EQ(monstersOf(*ws).tileBuffer, monstersOf(*fresh).tileBuffer);
    EXPECT_EQ(monstersOf(*ws).moldBuffer, monstersOf(*fresh).moldBuffer);
    EXPECT_EQ(monstersOf(*ws).recordCount, monstersOf(*fresh).recordCount);
    EXPECT_EQ(charactersOf(*ws).characters[6].tileStore, charactersOf(*fresh).characters[6].tileStore);
}

namespace {

std::unique_ptr<Workspace> demoWorkspace(const TempDir& dir) {
    const std::string path = dir.file("demo.smc");
    EXPECT_TRUE(buildDemoRom().writeFile(path, false));
    auto ws = Workspace::create();
    EXPECT_TRUE(openRom(*ws, path, HeaderChoice::Detect).ok);
    return ws;
}

} // namespace

TEST(History, UndoAndRedoBringBackEveryChunkOfEachFamily) {
    TempDir dir;
    auto ws = demoWorkspace(dir);
    EditHistory history;
    const Family all[3] = {monsterFamily(), portraitFamily(), characterFamily()};
    const Snapshot start[3] = {takeSnapshot(*ws, all[0]), takeSnapshot(*ws, all[1]), takeSnapshot(*ws, all[2])};

    // A new image (a record slot more, a mold table change), a palette colour, a portrait
    // pixel, a copied character.
    history.begin(*ws, monsterFamily(), "New Image", {3});
    ASSERT_TRUE(newEntryImage(monstersOf(*ws), monstersOf(*ws).entries[3]));
    setEntryPixel(monstersOf(*ws), monstersOf(*ws).entries[3], 60, 60, 5);
    commitEntry(monstersOf(*ws), monstersOf(*ws).entries[3]);
    ASSERT_TRUE(history.end(*ws));
    history.begin(*ws, monsterFamily(), "Palette colour", {390});
    monstersOf(*ws).palettes[12].red = 8;
    ASSERT_TRUE(history.end(*ws));
    history.begin(*ws, portraitFamily(), "Draw", {4});
    portraitsOf(*ws).portraits[4].image.setPixel(1, 1, 9);
    ASSERT_TRUE(history.end(*ws));
    history.begin(*ws, characterFamily(), "Copy", {1});
    copyCharacterSprites(charactersOf(*ws), 1, 5, kAllSprites);
    ASSERT_TRUE(history.end(*ws));
    history.begin(*ws, portraitFamily(), "Nothing", {0});
    EXPECT_FALSE(history.end(*ws)) << "a step that changed nothing is not kept";
    EXPECT_EQ(history.size(), 4u);
    EXPECT_EQ(history.undoLabel(), "Copy");

    const Snapshot end[3] = {takeSnapshot(*ws, all[0]), takeSnapshot(*ws, all[1]), takeSnapshot(*ws, all[2])};
    std::optional<Place> where;
    while (history.canUndo()) where = history.undo(*ws);
    ASSERT_TRUE(where);
    EXPECT_EQ(where->picture, 3);
    EXPECT_EQ(history.undoFamily(), std::nullopt);
    for (int f = 0; f < 3; ++f) EXPECT_TRUE(takeSnapshot(*ws, all[f]) == start[f]) << f;
    EXPECT_EQ(history.redoLabel(), "New Image");
    while (history.canRedo()) history.redo(*ws);
    for (int f = 0; f < 3; ++f) EXPECT_TRUE(takeSnapshot(*ws, all[f]) == end[f]) << f;
}

TEST(History, SavedStateFollowsUndoRedoAndHiddenSaveSteps) {
    TempDir dir;
    auto ws = demoWorkspace(dir);
    EditHistory history;
    auto draw = [&](int x) {
        history.begin(*ws, portraitFamily(), "Draw", {0});
        portraitsOf(*ws).portraits[0].image.setPixel(x, 0, 3);
        history.end(*ws);
    };
    EXPECT_FALSE(history.differsFromSaved(portraitFamily()));
    draw(0);
    EXPECT_TRUE(history.differsFromSaved(portraitFamily()));
    EXPECT_FALSE(history.differsFromSaved(monsterFamily()));
    history.undo(*ws);
    EXPECT_FALSE(history.differsFromSaved(portraitFamily())) << "undone back to the saved state";
    history.redo(*ws);
    // A save that changes the data on its own (as the monster save renumbers records).
    const Snapshot beforeSave = takeSnapshot(*ws, portraitFamily());
    const std::uint8_t stored = portraitsOf(*ws).portraits[7].storedNumber;
    const std::uint8_t renumbered = std::uint8_t(stored ^ 1);
    portraitsOf(*ws).portraits[7].storedNumber = renumbered;
    history.recordHidden(*ws, portraitFamily(), beforeSave);
    history.markSaved(portraitFamily());
    EXPECT_FALSE(history.differsFromSaved(portraitFamily()));
    EXPECT_EQ(history.undoLabel(), "Draw") << "the save's own step is not offered";
    history.undo(*ws);
    EXPECT_EQ(portraitsOf(*ws).portraits[7].storedNumber, stored) << "undo takes the save's own changes back first";
    EXPECT_TRUE(history.differsFromSaved(portraitFamily()));
    EXPECT_NE(portraitsOf(*ws).portraits[0].image.pixel(0, 0), 3);
    history.redo(*ws);
    EXPECT_EQ(portraitsOf(*ws).portraits[7].storedNumber, renumbered) << "redo brings the save's changes back too";
    EXPECT_FALSE(history.differsFromSaved(portraitFamily()));
    // A new edit after an undo drops the redo branch.
    history.undo(*ws);
    draw(5);
    EXPECT_FALSE(history.canRedo());
    EXPECT_TRUE(history.differsFromSaved(portraitFamily()));
}

TEST(History, OldestStepsGoWhenTheHistoryOutgrowsItsLimit) {
    TempDir dir;
    auto ws = demoWorkspace(dir);
    EditHistory history(200 * 1024);
    for (int i = 0; i < 100; ++i) {
        history.begin(*ws, portraitFamily(), "Draw", {i % 19});
        portraitsOf(*ws).portraits[std::size_t(i % 19)].image.setPixel(i % 40, 2, std::uint8_t(1 + i % 15));
        history.end(*ws);
    }
    EXPECT_LE(history.bytes(), 200u * 1024);
    EXPECT_LT(history.size(), 100u);
    EXPECT_GT(history.size(), 10u);
    int undone = 0;
    while (history.canUndo()) history.undo(*ws), ++undone;
    EXPECT_EQ(std::size_t(undone), history.size());
    EXPECT_TRUE(history.differsFromSaved(portraitFamily())) << "the saved state was among the dropped steps";
}

TEST(PictureTransfer, ClipboardPixelsRoundTripAndKeepTheImportRules) {
    IndexedImage picture;
    picture.allocateImage(4, 3);
    picture.setPaletteEntry(1, makeColor(200, 10, 10));
    picture.setPaletteEntry(2, makeColor(10, 200, 10));
    picture.setPixel(1, 0, 1);
    picture.setPixel(2, 1, 2);
    picture.setPixel(3, 2, 1);
    const std::vector<std::uint32_t> argb = pictureToArgb(picture, 5, 3);
    ASSERT_EQ(argb.size(), 15u);
    EXPECT_EQ(argb[1], 0xFFC80A0Au);
    EXPECT_EQ(argb[0] >> 24, 0u) << "colour 0 is transparent";
    EXPECT_EQ(argb[4] >> 24, 0u) << "past the picture is transparent";

    IndexedImage back;
    ASSERT_EQ(pictureFromArgb(argb, 5, 3, kImportColorLimit, back), ImageLoadResult::Read);
    EXPECT_EQ(back.width, 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(back.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(back.palette[1], picture.palette[1]);
    EXPECT_EQ(back.palette[2], picture.palette[2]);

    // No transparent pixel: the first colour met is index 0. Alpha 128 counts as opaque, 127 not.
    std::vector<std::uint32_t> opaque = {0x80102030u, 0xFF405060u, 0xFF102030u, 0xFF405060u};
    ASSERT_EQ(pictureFromArgb(opaque, 2, 2, kImportColorLimit, back), ImageLoadResult::Read);
    EXPECT_EQ(back.pixels, (std::vector<std::uint8_t>{0, 1, 0, 1}));
    EXPECT_EQ(back.palette[0], makeColor(0x10, 0x20, 0x30));
    opaque[0] = 0x7F102030u;
    ASSERT_EQ(pictureFromArgb(opaque, 2, 2, kImportColorLimit, back), ImageLoadResult::Read);
    EXPECT_EQ(back.pixels, (std::vector<std::uint8_t>{0, 1, 2, 1}));

    // Sixteen colours fit without transparency, not with it, and seventeen never; a refusal
    // leaves the picture as it was.
    std::vector<std::uint32_t> many(17);
    for (std::uint32_t k = 0; k < 17; ++k) many[k] = 0xFF000000u | (k * 0x0F0F0F);
    const IndexedImage kept = back;
    ASSERT_EQ(pictureFromArgb(std::span(many).first(16), 16, 1, kImportColorLimit, back), ImageLoadResult::Read);
    EXPECT_EQ(back.pixel(15, 0), 15);
    back = kept;
    many[16] = 0;
    EXPECT_EQ(pictureFromArgb(many, 17, 1, kImportColorLimit, back), ImageLoadResult::TooManyColors);
    many[16] = 0xFFFFFFFFu;
    EXPECT_EQ(pictureFromArgb(many, 17, 1, kImportColorLimit, back), ImageLoadResult::TooManyColors);
    EXPECT_EQ(back.pixels, kept.pixels);
    EXPECT_EQ(pictureFromArgb(many, 4, 4, kImportColorLimit, back), ImageLoadResult::NotValid) << "17 pixels for 4 x 4";
}

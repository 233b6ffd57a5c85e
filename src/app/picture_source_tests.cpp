#include <gtest/gtest.h>

#include "app/history.h"
#include "family/picture_source.h"
#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "testing/fixtures.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

using namespace morvi;

namespace {

std::unique_ptr<Workspace> openDemo() { return morvi::testing::demoWorkspace(); }

// A picture of the family that shows real pixels: a 16-colour monster with a record of its own,
// portrait 2, character 1.
int pictureOf(const Workspace& ws, Family family) {
    if (family == portraitFamily()) return 2;
    if (family == characterFamily()) return 1;
    for (int e = 0; e < kMonsterCount; ++e)
        if (monstersOf(ws).entries[std::size_t(e)].colorCount == 16 && entriesSharingRecord(monstersOf(ws), e).empty()) return e;
    return 0;
}

std::vector<std::uint8_t> pixels(const PictureSource& s) { return s.picture().pixels; }

} // namespace

// Every family through the one seam: write, clear, flip and import change the picture; each is
// one step of the history that undo takes back exactly, and the step of a write keeps only the
// chunks its scope names.
TEST(PictureSource, EveryFamilyWritesClearsFlipsAndImportsThroughTheSeamAndUndoTakesItBack) {
    for (Family family : {monsterFamily(), portraitFamily(), characterFamily()}) {
        SCOPED_TRACE(std::string(family->cliName()));
        auto ws = openDemo();
        auto source = makePictureSource(*ws, family);
        ASSERT_EQ(source->family(), family);
        source->show(pictureOf(*ws, family));
        const IndexedImage& picture = source->picture();
        ASSERT_TRUE(picture.hasPixels());
        const Snapshot start = takeSnapshot(*ws, family);
        EditHistory history;

        // Pixels: the picture shows them at once, and only the scoped chunks are kept.
        const std::uint8_t was = picture.pixel(3, 4);
        const std::uint8_t value = std::uint8_t(was == 5 ? 6 : 5);
        history.begin(*ws, family, "Draw", {source->index()}, source->writeScope());
        EXPECT_TRUE(source->writePixels(std::vector<PixelWrite>{{3, 4, value}, {4, 4, value}}));
        ASSERT_TRUE(history.end(*ws));
        EXPECT_EQ(picture.pixel(3, 4), value);
        EXPECT_FALSE(source->writePixels(std::vector<PixelWrite>{{3, 4, value}})) << "nothing new to write";
        source->settle();

        // Flip, clear and import.
        const auto beforeFlip = pixels(*source);
        history.begin(*ws, family, "Flip", {source->index()});
        EXPECT_TRUE(source->flip(false));
        history.end(*ws);
        EXPECT_NE(pixels(*source), beforeFlip);
        history.begin(*ws, family, "Clear", {source->index()});
        EXPECT_TRUE(source->clear());
        history.end(*ws);
        EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint8_t p) { return p == 0; }));
        EXPECT_FALSE(source->clear()) << "a clear picture does not change";
        IndexedImage stamp;
        stamp.allocateImage(8, 8);
        stamp.colorCount = 2;
        stamp.setPaletteEntry(1, makeColor(248, 0, 0));
        for (int y = 0; y < 8; ++y) stamp.setPixel(y, y, 1);
        history.begin(*ws, family, "Import", {source->index()});
        source->importPicture(stamp);
        history.end(*ws);
        source->settle();
        EXPECT_NE(picture.pixel(5, 5), 0);

        // The clipboard takes the whole of what the list entry holds.
        const IndexedImage copied = source->clipboardPicture();
        EXPECT_GT(copied.width, 0);
        EXPECT_EQ(copied.pixel(5, 5), picture.pixel(5, 5));

        while (history.canUndo()) history.undo(*ws);
        source->restored();
        EXPECT_TRUE(takeSnapshot(*ws, family) == start) << "undo takes every step back";
        EXPECT_EQ(picture.pixel(3, 4), was);
    }
}

// A colour set through the seam reaches every picture on the palette, whichever page set it
// (the sliders once refreshed only the shown monster entry).
TEST(PictureSource, AColourReachesEveryPictureSharingThePaletteAndFixedPalettesRefuse) {
    auto ws = openDemo();
    MonsterSource monsters(*ws);
    int shared = -1;
    for (int e = 0; e < kMonsterCount && shared < 0; ++e)
        if (!entriesSharingPalette(monstersOf(*ws), e).empty()) shared = e;
    ASSERT_GE(shared, 0) << "the demo has entries sharing a palette";
    monsters.show(shared);
    const int other = entriesSharingPalette(monstersOf(*ws), shared).front();
    const PaletteColor red = makeColor(248, 8, 16);
    ASSERT_TRUE(monsters.colorEditable(2));
    EXPECT_TRUE(monsters.setColor(2, makeColor(250, 10, 20)));
    EXPECT_EQ(monsters.tableColors()[2], red) << "five bits a channel";
    EXPECT_EQ(monstersOf(*ws).entries[std::size_t(other)].image.palette[2], red);
    EXPECT_FALSE(monsters.setColor(2, red)) << "the same colour is no change";
    EXPECT_FALSE(monsters.colorEditable(0));
    EXPECT_FALSE(monsters.setColor(0, red));

    CharacterSource characters(*ws);
    characters.show(kEsperTerra);
    EXPECT_FALSE(characters.colorEditable(3));
    EXPECT_FALSE(characters.setColor(3, red));
    EXPECT_FALSE(characters.makeTransparent(3));
    characters.show(0);
    const std::vector<PaletteColor> before = characters.palette();
    EXPECT_TRUE(characters.makeTransparent(3));
    EXPECT_EQ(characters.palette()[0], before[3]);
    EXPECT_EQ(characters.palette()[3], before[0]);
}

TEST(PictureSource, AnEightBitFileKeepsItsIndicesUpToThePicturesOwnColourCount) {
    morvi::testing::TempDir dir;
    auto ws = openDemo();
    int small = -1;
    for (int i = 0; i < kMonsterEntryCount && small < 0; ++i)
        if (monstersOf(*ws).entries[std::size_t(i)].colorCount == 8) small = i;
    ASSERT_GE(small, 0);
    // An 8-bit file of 256 entries whose top-left pixel is colour 5 and which uses 1 to 7 only.
    IndexedImage image;
    image.allocateImage(40, 40);
    for (int i = 0; i < 256; ++i) image.setPaletteEntry(std::uint8_t(i), makeColor(std::uint8_t(i), std::uint8_t(40 + i / 2), 9));
    image.colorCount = 256;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) image.setPixel(x, y, std::uint8_t(1 + (x + y + 4) % 7));
    ASSERT_FALSE(savePng8(image, dir.file("eight.png"), 40, 40));
    auto source = monsterFamily()->makeSource(*ws);
    source->show(small);
    IndexedImage read;
    bool kept = false;
    ASSERT_EQ(loadForImport(dir.file("eight.png"), source->importLimits(), read, &kept), ImageLoadResult::Read);
    EXPECT_TRUE(kept) << "every index is below the 3-bit monster's 8 colours";
    EXPECT_EQ(read.pixel(0, 0), 5);
    source->importPicture(read);
    EXPECT_EQ(monstersOf(*ws).entries[std::size_t(small)].colorCount, 8);
    EXPECT_EQ(monstersOf(*ws).entries[std::size_t(small)].image.pixel(0, 0), 5);
    // Index 9 somewhere is past a 3-bit monster's colours: numbered by first use instead.
    image.setPixel(39, 39, 9);
    ASSERT_FALSE(savePng8(image, dir.file("nine.png"), 40, 40));
    ASSERT_EQ(loadForImport(dir.file("nine.png"), source->importLimits(), read, &kept), ImageLoadResult::Read);
    EXPECT_FALSE(kept);
    EXPECT_EQ(read.pixel(0, 0), 0);
}

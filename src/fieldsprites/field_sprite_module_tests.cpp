// The field sprites as a family of the program: edits go through the picture source and the
// save like any family's, the palette table stays one table however many families write it, and
// a ROM whose sheet table does not hold still opens, without its sheets.
#include <gtest/gtest.h>

#include "app/families.h"
#include "app/history.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "characters/character_module.h"
#include "demo/demo_rom.h"
#include "fieldsprites/field_files.h"
#include "fieldsprites/field_sprite_module.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;

namespace {

SaveOutcome save(Workspace& ws, std::initializer_list<Family> families) {
    SaveRequest request;
    for (Family f : families) request.add(f);
    DiskSteps steps;
    CollectingNotifier quiet;
    return saveRomFamilies(ws, request, steps, quiet, [] { return true; });
}

std::unique_ptr<Workspace> opened(const std::string& path) {
    auto ws = Workspace::create();
    EXPECT_TRUE(openRom(*ws, path, HeaderChoice::Detect).ok);
    return ws;
}

// Sheet 29 (a person) in the demo ROM, as the family numbers its pictures.
constexpr int kPerson = 29 - kFirstFieldSheet;

} // namespace

TEST(FieldSpriteFamily, AStrokeAndAPaletteEditAreSavedInsideTheSheetAndTheTableAndReachEveryoneOnThePalette) {
    TempDir dir;
    const std::string path = dir.file("demo.smc");
    morvi::testing::writeFile(path, buildDemoRom().bytes);
    const std::vector<std::uint8_t> before = morvi::testing::readFile(path);
    auto ws = opened(path);
    auto source = fieldSpriteFamily()->makeSource(*ws);
    source->show(kPerson);
    const FieldSheet& sheet = fieldSpritesOf(*ws).sheet(29);
    // A character on the sheet's palette: the one table holds both.
    const int palette = sheet.palette;
    int character = -1;
    for (int c = 0; c < kCharacterCount; ++c)
        if (charactersOf(*ws).characters[std::size_t(c)].paletteNumber == palette && !charactersOf(*ws).characters[std::size_t(c)].fixedPalette)
            character = c;
    ASSERT_GE(character, 0) << "the demo puts a character on palette " << palette;

    const std::vector<PixelWrite> stroke = {{3, 5, 9}, {4, 5, 9}, {5, 5, 9}};
    ASSERT_TRUE(source->writePixels(stroke));
    EXPECT_EQ(source->picture().pixel(4, 5), 9);
    ASSERT_TRUE(source->setColor(9, makeColor(248, 0, 248)));
    EXPECT_EQ(charactersOf(*ws).characters[std::size_t(character)].sprites[0].palette[9], makeColor(248, 0, 248))
        << "the character on the palette shows the new colour at once";
    ASSERT_TRUE(save(*ws, {fieldSpriteFamily()}).ok);

    // Only the sheet's bytes, the palette table (and its battle copy) and the header checksum changed.
    const std::vector<std::uint8_t> after = morvi::testing::readFile(path);
    ASSERT_EQ(after.size(), before.size());
    auto inside = [&](std::size_t at) {
        return (at >= sheet.offset && at < sheet.offset + sheet.size) ||
               (at >= kCharacterPalettesOffset && at < kCharacterPalettesOffset + kCharacterPaletteCount * 32) ||
               (at >= kCharacterPaletteCopyOffset && at < kCharacterPaletteCopyOffset + kCopiedCharacterPalettes * 32) ||
               (at >= 0xFFDC && at < 0xFFE0);
    };
    int changedInSheet = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!inside(i)) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        }
        changedInSheet += after[i] != before[i] && i >= sheet.offset && i < sheet.offset + sheet.size;
    }
    EXPECT_GT(changedInSheet, 0);

    auto again = opened(path);
    auto reread = fieldSpriteFamily()->makeSource(*again);
    reread->show(kPerson);
    EXPECT_EQ(reread->picture().pixel(4, 5), 9);
    EXPECT_EQ(reread->palette()[9], makeColor(248, 0, 248));
    EXPECT_EQ(charactersOf(*again).palettes[std::size_t(palette * 16 + 9)], makeColor(248, 0, 248));

    // Both families in one save write the one table once: the character's later edit of the same
    // palette is what the file keeps, whichever family the registry writes last.
    auto characters = characterFamily()->makeSource(*again);
    characters->show(character);
    ASSERT_TRUE(characters->setColor(9, makeColor(0, 248, 0)));
    ASSERT_TRUE(save(*again, {characterFamily(), fieldSpriteFamily()}).ok);
    EXPECT_EQ(charactersOf(*opened(path)).palettes[std::size_t(palette * 16 + 9)], makeColor(0, 248, 0));
}

TEST(FieldSpriteFamily, UndoPutsASheetBackAndABadTableLeavesTheOtherFamiliesOpen) {
    auto ws = Workspace::create();
    const RomImage demo = buildDemoRom();
    ASSERT_TRUE(loadRomFamilies(*ws, RomBytes(demo.bytes, false)));
    EditHistory history;
    auto source = fieldSpriteFamily()->makeSource(*ws);
    source->show(kPerson);
    const std::vector<std::uint8_t> tiles = fieldSpritesOf(*ws).sheet(29).tiles;
    history.begin(*ws, fieldSpriteFamily(), "Draw", {kPerson}, source->writeScope());
    ASSERT_TRUE(source->writePixels(std::vector<PixelWrite>{{0, 0, 3}, {15, 23, 4}}));
    ASSERT_TRUE(history.end(*ws));
    ASSERT_NE(fieldSpritesOf(*ws).sheet(29).tiles, tiles);
    ASSERT_TRUE(history.undo(*ws).has_value());
    EXPECT_EQ(fieldSpritesOf(*ws).sheet(29).tiles, tiles);

    // Sheet 40's pointer before sheet 39's: the sheets stay out, the reason is said, the rest opens.
    std::vector<std::uint8_t> bad = demo.bytes;
    const std::uint32_t at = kFieldSheetLowWordsOffset + 2 * 40;
    bad[at] = 0;
    bad[at + 1] = 0;
    ASSERT_TRUE(loadRomFamilies(*ws, RomBytes(bad, false)));
    EXPECT_NE(fieldSpritesRefusal(*ws), "");
    EXPECT_EQ(charactersOf(*ws).characters.size(), std::size_t(kCharacterCount));
    EXPECT_EQ(fieldSpriteFamily()->chunkIds(*ws).size(), 1u) << "no sheet is there to undo";
    source->show(kPerson);
    EXPECT_NE(source->refusePixels(std::vector<PixelWrite>{{0, 0, 1}}), "");
    EXPECT_FALSE(source->writePixels(std::vector<PixelWrite>{{0, 0, 1}}));
    // A save of the family writes nothing of the sheets it could not read.
    std::vector<std::uint8_t> file = bad;
    RomBuffer buffer(file, false);
    CollectingNotifier notes;
    EXPECT_TRUE(fieldSpriteFamily()->write(*ws, buffer, notes));
    EXPECT_TRUE(buffer.written().empty());
}

TEST(FieldSpriteFamily, TargetsNameSheetsTheCharactersSheetsAndTheVehicles) {
    std::string why;
    const auto person = parsePaletteTarget("sprite:29", why);
    ASSERT_TRUE(person);
    EXPECT_EQ(person->family, fieldSpriteFamily());
    EXPECT_EQ(person->index, kPerson);
    const auto terra = parsePaletteTarget("sprite:0", why);
    ASSERT_TRUE(terra);
    EXPECT_EQ(terra->family, characterFamily());
    EXPECT_EQ(terra->index, 0);
    const auto vehicles = parsePaletteTarget("vehicles", why);
    ASSERT_TRUE(vehicles);
    EXPECT_EQ(vehicles->index, kVehiclePicture);
    EXPECT_FALSE(parsePaletteTarget("sprite:165", why));
    EXPECT_NE(why.find("0 to 164"), std::string::npos) << why;
}

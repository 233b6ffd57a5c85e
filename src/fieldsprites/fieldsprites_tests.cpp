#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "demo/demo_rom.h"
#include "fieldsprites/field_animations.h"
#include "fieldsprites/field_files.h"
#include "fieldsprites/field_palettes.h"
#include "fieldsprites/field_sprites.h"

namespace morvi {
namespace {

const std::vector<std::uint8_t>& demoImage() {
    static const std::vector<std::uint8_t> bytes = buildDemoRom().bytes;
    return bytes;
}

FieldSpriteSet loaded(std::span<const std::uint8_t> file, bool header = false) {
    FieldSpriteSet set;
    const std::string error = loadFieldSprites(set, RomBytes(file, header));
    EXPECT_EQ(error, "");
    return set;
}

// Paints every pixel of every frame of a sheet.
void paintAll(FieldSpriteSet& set, int index, std::uint8_t colour) {
    for (int f = 0; f < int(set.sheet(index).frames.size()); ++f) {
        const FieldFrame& frame = set.sheet(index).frames[std::size_t(f)];
        std::vector<PixelWrite> writes;
        for (int y = -1; y <= frame.height(); ++y)
            for (int x = -1; x <= frame.width(); ++x) writes.push_back({x, y, colour});
        setFieldFramePixels(set, index, f, writes);
    }
}

void setPointer(std::vector<std::uint8_t>& rom, int index, std::uint32_t snes) {
    rom[kFieldSheetLowWordsOffset + 2 * std::size_t(index)] = std::uint8_t(snes);
    rom[kFieldSheetLowWordsOffset + 2 * std::size_t(index) + 1] = std::uint8_t(snes >> 8);
    rom[kFieldSheetBanksOffset + 2 * std::size_t(index)] = std::uint8_t(snes >> 16);
}

TEST(FieldSprites, DemoSheetsLieBackToBackAtTheGameSizesAndRoundTripByteForByte) {
    std::vector<std::uint8_t> withHeader(kCopierHeaderSize, 0);
    withHeader.insert(withHeader.end(), demoImage().begin(), demoImage().end());
    const FieldSpriteSet set = loaded(withHeader, true);
    std::uint32_t expected = 0x16EA40; // where the characters' blocks end
    for (int i = kFirstFieldSheet; i < kFieldSheetCount; ++i) {
        EXPECT_EQ(set.sheet(i).offset, expected) << i;
        expected += set.sheet(i).size;
        const std::vector<std::uint8_t> bytes = fieldSheetBytes(set, i);
        ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), demoImage().begin() + set.sheet(i).offset)) << i;
        EXPECT_TRUE(std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; })) << "drawn " << i;
    }
    EXPECT_EQ(expected, kVehicleGraphicsOffset);
    EXPECT_EQ(set.sheet(29).size, 0x5C0u);
    EXPECT_EQ(set.sheet(64).offset, set.sheet(59).offset + 0x1560);
    EXPECT_EQ(set.sheet(120).size, 0x200u);
    EXPECT_EQ(set.sheet(152).size, 0x100u);
    const std::vector<std::uint8_t> vehicles = fieldSheetBytes(set, kVehicleSheet);
    EXPECT_TRUE(std::equal(vehicles.begin(), vehicles.end(), demoImage().begin() + kVehicleGraphicsOffset));

    // An unedited save writes nothing at all.
    std::vector<std::uint8_t> file = withHeader;
    RomBuffer buffer(file, true);
    CollectingNotifier notes;
    EXPECT_TRUE(saveFieldSprites(set, buffer, notes));
    EXPECT_TRUE(buffer.written().empty());
    EXPECT_EQ(file, withHeader);
}

TEST(FieldSprites, EditsChangeOnlyTheSheetsOwnBytesWhateverTheyPaint) {
    // The first and last sheet of every kind, a sheet that crosses a bank, the last sheet before
    // the vehicles, and the vehicles.
    for (int index : {22, 25, 28, 48, 62, 63, 64, 65, 86, 87, 101, 110, 113, 116, 120, 152, 164, kVehicleSheet}) {
        FieldSpriteSet set = loaded(demoImage());
        paintAll(set, index, 15);
        std::vector<std::uint8_t> file = demoImage();
        RomBuffer buffer(file, false);
        CollectingNotifier notes;
        ASSERT_TRUE(saveFieldSprites(set, buffer, notes)) << index;
        const FieldSheet& sheet = set.sheet(index);
        std::size_t inside = 0;
        for (std::size_t k = 0; k < file.size(); ++k) {
            if (file[k] == demoImage()[k]) continue;
            ASSERT_TRUE(k >= sheet.offset && k < sheet.offset + sheet.size) << "sheet " << index << " wrote byte " << std::hex << k;
            ++inside;
        }
        EXPECT_GT(inside, 0u) << index;
        EXPECT_EQ(loaded(file).sheet(index).tiles, sheet.tiles) << "read back as painted: " << index;
    }

    // A sheet the table makes shorter than its kind: the frames show the missing tiles as absent,
    // and painting them writes nothing into the sheet after it.
    std::vector<std::uint8_t> shortened = demoImage();
    setPointer(shortened, 88, 0xC00000 + 0x17E6E0 + 3 * 32); // sheet 87 keeps 3 of its 5 tiles
    FieldSpriteSet set = loaded(shortened);
    EXPECT_EQ(set.sheet(87).tileCount(), 3);
    EXPECT_EQ(set.sheet(87).frames[0].tiles, (std::vector<int>{0, 0, 1, 2, kAbsentTile, kAbsentTile}));
    paintAll(set, 87, 9);
    std::vector<std::uint8_t> file = shortened;
    RomBuffer buffer(file, false);
    CollectingNotifier notes;
    ASSERT_TRUE(saveFieldSprites(set, buffer, notes));
    for (std::size_t k = 0; k < file.size(); ++k)
        if (file[k] != shortened[k]) {
            ASSERT_LT(k, 0x17E6E0u + 3 * 32) << std::hex << k;
        }
    const IndexedImage frame = renderFieldFrame(set, 87, 0);
    EXPECT_EQ(frame.pixel(3, 20), 0) << "an absent cell is drawn empty";
}

TEST(FieldSprites, EachKindIsLaidOutAsTheGameDrawsIt) {
    FieldSpriteSet set = loaded(demoImage());
    auto poses = [&](int index) {
        std::vector<int> out;
        for (const FieldFrame& f : set.sheet(index).frames) out.push_back(f.pose);
        return out;
    };
    const std::vector<int> walking = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    auto with = [&](std::vector<int> extra) {
        std::vector<int> all = walking;
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    };
    EXPECT_EQ(poses(49), walking);                                               // 40 tiles
    EXPECT_EQ(poses(29), with({0x2A, 0x2B, 0x2D}));                              // 46 tiles
    EXPECT_EQ(poses(22), with({0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x36}));            // 55 tiles
    EXPECT_EQ(poses(26), with({0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x36, 0x37}));      // 56 tiles
    EXPECT_EQ(poses(63), (std::vector<int>{0, 0x30, 0x31}));
    EXPECT_EQ(set.sheet(29).frames[9].tiles, (std::vector<int>{0x28, 0x01, 0x29, 0x07, 0x2A, 0x09}));
    EXPECT_EQ(set.sheet(29).frames[9].name, "Waving 1");
    // The riding tiles are sheet 59's tiles AB to B4.
    EXPECT_EQ(set.sheet(64).frames[0].tiles, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(set.sheet(64).frames[1].tiles, (std::vector<int>{6, 7, 8, 9, 4, 5}));
    EXPECT_EQ(set.sheet(70).frames.size(), 1u);
    EXPECT_EQ(set.sheet(70).frames[0].tiles, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    for (auto [index, count] : {std::pair{87, 1}, {102, 2}, {111, 4}}) {
        ASSERT_EQ(set.sheet(index).frames.size(), std::size_t(count)) << index;
        const FieldFrame& last = set.sheet(index).frames.back();
        const int first = 4 * (count - 1) + 1;
        EXPECT_EQ(last.tiles, (std::vector<int>{0, 0, first, first + 1, first + 2, first + 3})) << index;
    }
    EXPECT_EQ(set.sheet(152).frames.size(), 2u);
    EXPECT_EQ(set.sheet(152).frames[1].tiles, (std::vector<int>{4, 5, 6, 7}));
    EXPECT_EQ(set.sheet(120).frames[0].columns, 4);
    EXPECT_EQ(set.sheet(120).frames[0].tiles.back(), 15);
    EXPECT_EQ(set.sheet(kVehicleSheet).frames[0].width(), 128);
    EXPECT_EQ(set.sheet(kVehicleSheet).frames[0].height(), 128);
    EXPECT_EQ(describeFieldSheet(set, 29), "29 \u00b7 person, 46 tiles");
    EXPECT_EQ(describeFieldSheet(set, 87), "87 \u00b7 object, 1 frame");
    EXPECT_EQ(describeFieldSheet(set, 120), "120 \u00b7 32 x 32 picture");
    EXPECT_EQ(describeFieldSheet(set, 162), "162 \u00b7 16 x 16 picture, 2 frames");

    // An object's top row is tile 0 twice: a pixel painted on the left shows on the right, in
    // every frame.
    const PixelWrite dot{1, 2, 13};
    ASSERT_EQ(setFieldFramePixels(set, 111, 2, std::span(&dot, 1)), 1);
    for (int f = 0; f < 4; ++f) {
        const IndexedImage image = renderFieldFrame(set, 111, f);
        EXPECT_EQ(image.pixel(1, 2), 13);
        EXPECT_EQ(image.pixel(9, 2), 13);
    }
    EXPECT_EQ(fieldFramesUsingTile(set.sheet(111), 0), (std::vector<int>{0, 1, 2, 3}));
    // A person's shared tiles: pose 0's top row is pose 1's too.
    const PixelWrite hat{3, 1, 12};
    setFieldFramePixels(set, 40, 0, std::span(&hat, 1));
    EXPECT_EQ(renderFieldFrame(set, 40, 1).pixel(3, 1), 12);
}

TEST(FieldSprites, TablesThatDoNotHoldAreRefusedWithTheirReasonAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
    };
    const std::vector<Case> cases = {
        {"out of order", [](auto& rom) { setPointer(rom, 40, 0xD71AC0); }},
        {"outside", [](auto& rom) { setPointer(rom, 22, 0xD4F000); }},
        {"outside", [](auto& rom) { setPointer(rom, 164, 0xD83000); }},
        {"Character 21's tiles", [](auto& rom) { setPointer(rom, 21, 0xD6E000); }},
        {"ends before", [](auto& rom) { rom.resize(kVehicleGraphicsOffset + 0x1000); }},
        {"too short", [](auto& rom) { rom.resize(0xD100); }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> rom = demoImage();
        c.spoil(rom);
        FieldSpriteSet set = loaded(demoImage());
        const FieldSpriteSet before = set;
        const std::string error = loadFieldSprites(set, RomBytes(rom, false));
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
        EXPECT_FALSE(canLoadFieldSprites(RomBytes(rom, false)));
        EXPECT_EQ(set.sheet(40).tiles, before.sheet(40).tiles);
        EXPECT_EQ(set.sheet(40).offset, before.sheet(40).offset);
        if (rom.size() >= kSpriteGraphicsOffset + kSpriteGraphicsSize) {
            EXPECT_TRUE(canLoadCharacterSprites(RomBytes(rom, false))) << "the characters still open";
        }

        // A save into a file whose table no longer holds, or has moved a sheet, writes nothing.
        std::vector<std::uint8_t> file = rom;
        RomBuffer buffer(file, false);
        CollectingNotifier notes;
        EXPECT_FALSE(saveFieldSprites(set, buffer, notes));
        EXPECT_TRUE(buffer.written().empty());
        EXPECT_NE(notes.lastText().find(kMsgFieldSpriteSaveError), std::string::npos);
    }
    std::vector<std::uint8_t> moved = demoImage();
    setPointer(moved, 40, 0xC00000 + loaded(demoImage()).sheet(40).offset + 32);
    RomBuffer buffer(moved, false);
    CollectingNotifier notes;
    EXPECT_FALSE(saveFieldSprites(loaded(demoImage()), buffer, notes));
    EXPECT_NE(notes.lastText().find("sheet 39 is no longer where it was read from"), std::string::npos);
}

TEST(FieldSprites, SheetsOpenInTheirPaletteAndAnimateAsTheGameDoes) {
    FieldSpriteSet set = loaded(demoImage());
    EXPECT_EQ(set.sheet(22).palette, 3);
    EXPECT_EQ(set.sheet(84).palette, 17) << "better shown in the treasure chest's";
    EXPECT_EQ(set.sheet(143).palette, 15);
    EXPECT_EQ(set.sheet(64).palette, set.sheet(59).palette);
    EXPECT_EQ(set.sheet(122).palette, set.sheet(121).palette);
    // The characters' from the battle table (the demo gives character n the number n % 9).
    EXPECT_EQ(set.sheet(4).palette, 4);
    EXPECT_EQ(set.sheet(6).palette, 8) << "battle palette 6 is Esper Terra's";
    EXPECT_EQ(set.sheet(kEsperTerra).palette, 8);
    EXPECT_EQ(std::string(fieldPaletteName(17)), "treasure chest");
    const IndexedImage shown = renderFieldFrame(set, 84, 0);
    EXPECT_TRUE(std::equal(set.palette(17).begin(), set.palette(17).end(), shown.palette.begin()));

    const auto walks = fieldAnimations(set.sheet(30));
    ASSERT_EQ(walks.size(), 4u);
    EXPECT_EQ(walks[1].name, "walk-right");
    EXPECT_EQ(walks[1].frames[1], (AnimationFrame{8, true}));
    // Walking Down 2 shows its feet mirrored; a mirrored frame mirrors the whole pose.
    const IndexedImage pose2 = renderFieldFrame(set, 30, 2);
    const IndexedImage drawn = renderFieldAnimationFrame(set, 30, {2, false});
    const IndexedImage left = renderFieldFrame(set, 30, 8), right = renderFieldAnimationFrame(set, 30, {8, true});
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(drawn.pixel(x, y), pose2.pixel(y >= 16 ? 15 - x : x, y));
            EXPECT_EQ(right.pixel(x, y), left.pixel(15 - x, y));
        }
    EXPECT_EQ(fieldAnimations(set.sheet(111))[0].frames.size(), 4u);
    EXPECT_EQ(fieldAnimations(set.sheet(87))[0].name, "flip");
    EXPECT_EQ(fieldAnimations(set.sheet(64))[0].frames[0], (AnimationFrame{1, false}));
}

TEST(FieldSprites, SheetPicturesAndFilesRoundTripAndWrongSizesAreRefused) {
    const FieldSpriteSet original = loaded(demoImage());
    for (auto [index, width, height] : {std::tuple{29, 128, 48}, {63, 48, 24}, {64, 32, 24}, {111, 64, 24}, {120, 32, 32},
                                        {152, 32, 16}, {kVehicleSheet, 128, 128}}) {
        const IndexedImage picture = fieldSheetPicture(original, index);
        EXPECT_EQ(picture.width, width) << index;
        EXPECT_EQ(picture.height, height) << index;
        FieldSpriteSet set = original;
        paintAll(set, index, 0);
        ASSERT_EQ(setFieldSheetFromPicture(set, index, picture), "") << index;
        EXPECT_EQ(fieldSheetBytes(set, index), fieldSheetBytes(original, index)) << "through the picture: " << index;
    }
    EXPECT_EQ(fieldFrameAtSheet(original.sheet(29), 16 * 9 - 128 + 3, 30), 9);

    FieldSpriteSet set = original;
    IndexedImage wrong = fieldSheetPicture(set, 29);
    wrong.pixels[5] = 16;
    EXPECT_NE(setFieldSheetFromPicture(set, 29, wrong).find("16 colours"), std::string::npos);
    wrong.allocateImage(128, 24);
    EXPECT_NE(setFieldSheetFromPicture(set, 29, wrong).find("128 x 48"), std::string::npos);
    std::vector<std::uint8_t> bin = fieldSheetBytes(set, 22);
    EXPECT_NE(setFieldSheetFromBytes(set, 29, bin).find("holds 1472 bytes"), std::string::npos);
    EXPECT_EQ(set.sheet(29).tiles, original.sheet(29).tiles);
    bin[0] ^= 0xFF;
    ASSERT_EQ(setFieldSheetFromBytes(set, 22, bin), "");
    EXPECT_EQ(fieldSheetBytes(set, 22), bin);

    // A palette's colours reach every sheet shown in it.
    std::vector<std::uint8_t> pal = fieldPaletteFile(set, 17);
    EXPECT_NE(setFieldPaletteFromFile(set, 17, std::span(pal).first(31)), "");
    pal[2] = 0x1F, pal[3] = 0;
    ASSERT_EQ(setFieldPaletteFromFile(set, 17, pal), "");
    const std::vector<int> reached = fieldSheetsInPalette(set, 17);
    EXPECT_NE(std::find(reached.begin(), reached.end(), 84), reached.end());
    for (int index : reached) EXPECT_EQ(renderFieldFrame(set, index, 0).palette[1], makeColor(248, 0, 0)) << index;
}

} // namespace
} // namespace morvi

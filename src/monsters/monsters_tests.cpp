#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "rom/rom_buffer.h"
#include "rom/rom_file.h"
#include "image/snes_codec.h"
#include "imagefile/image_file.h"
#include "monsters/monster_graphics.h"
#include "monsters/monster_rom_builder.h"
#include "testing/fixtures.h"

using namespace morvi;
using morvi::testing::TempDir;
static std::vector<std::uint8_t> readFileBytes(const std::string& path) { return morvi::testing::readFile(path); }

namespace {

// A picture whose every pixel in the given cells is non-zero, varied so tiles differ.
IndexedImage picture(int side, const std::vector<int>& cells, int cellsPerRow, int colors, int seed) {
    IndexedImage image;
    image.allocateImage(side, side);
    for (int cell : cells)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(8 * (cell % cellsPerRow) + x, 8 * (cell / cellsPerRow) + y,
                               std::uint8_t(1 + (x + y * 3 + seed + cell) % (colors - 1)));
    return image;
}


struct Fixture {
    RomImage rom;
    MonsterRomBuilder b;
};

// A ROM with both sizes and depths, a shared slot whose two entries disagree on the shape
// (the later one wins), a mold marking an empty tile, palettes shared between entries and a
// mold padded table of small molds.
RomImage buildFixture() {
    RomImage rom;
    rom.put8(0x20, 0xA2);
    MonsterRomBuilder b;
    for (int k = 0; k < kMonsterPaletteColors; ++k)
        b.setPaletteColor(k, makeColor(std::uint8_t((k * 8) % 256), std::uint8_t((k * 3 * 8) % 256),
                                       std::uint8_t((k / 32) * 8 % 256)));
    // Entry 0: small, 16 colours, tiles at cells (0, 0) and (7, 7).
    IndexedImage small = picture(64, {0, 63}, 8, 16, 1);
    Mold corners = MonsterRomBuilder::moldOfPixels(small, false);
    int cornersMold = b.addMold(false, corners);
    std::uint16_t smallAt = b.addTileData(MonsterRomBuilder::encodeTiles(small, corners, false, 16));
    b.setInfo(0, smallAt, 16, false, 2, cornersMold);
    // Entries 1 and 2 share one graphics offset: large, 8 colours, a 5 x 4 block.
    std::vector<int> block;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) block.push_back(r * 16 + c);
    IndexedImage large = picture(128, block, 16, 8, 2);
    Mold blockMold = MonsterRomBuilder::moldOfPixels(large, true);
    int unusedLarge = b.addMold(true, Mold{}, false);
    (void)unusedLarge;
    int blockNumber = b.addMold(true, blockMold);
    std::uint16_t largeAt = b.addTileData(MonsterRomBuilder::encodeTiles(large, blockMold, true, 8));
    b.setInfo(1, largeAt, 16, false, 5, cornersMold); // overwritten by entry 2's shape
    b.setInfo(2, largeAt, 8, true, 7, blockNumber);
    // Entry 3: the mold marks a second tile that holds only colour 0.
    IndexedImage one = picture(64, {0}, 8, 16, 3);
    Mold withEmpty{};
    withEmpty[0] = 1;
    withEmpty[1] = 1;
    int emptyMold = b.addMold(false, withEmpty);
    std::uint16_t oneAt = b.addTileData(MonsterRomBuilder::encodeTiles(one, withEmpty, false, 16));
    b.setInfo(3, oneAt, 16, false, 2, emptyMold); // shares palette 2 with entry 0
    // Everyone else: small one-tile pictures of their own.
    for (int i = 4; i < kMonsterEntryCount; ++i) {
        IndexedImage p = picture(64, {i % 64}, 8, i % 2 ? 8 : 16, i);
        Mold m = MonsterRomBuilder::moldOfPixels(p, false);
        int number = b.addMold(false, m);
        std::uint16_t at = b.addTileData(MonsterRomBuilder::encodeTiles(p, m, false, i % 2 ? 8 : 16));
        b.setInfo(i, at, i % 2 ? 8 : 16, false, (i * 3) % 760, number);
        if (i < 200) b.setName(i, "Mon" + std::to_string(i));
    }
    b.setName(0, "Tenletters");
    b.setName(1, "Gob");
    b.setName(384, "Esper");
    EXPECT_TRUE(b.writeTo(rom));
    return rom;
}

std::string writeRom(const TempDir& dir, const RomImage& rom, bool header, const std::string& name = "rom.smc") {
    std::string path = dir.file(name);
    EXPECT_TRUE(rom.writeFile(path, header));
    return path;
}

RomState stateFor(bool header) {
    RomState s;
    s.romHasHeader = header;
    return s;
}

std::unique_ptr<MonsterGraphics> load(const std::string& path, bool header) {
    auto mg = std::make_unique<MonsterGraphics>();
    EXPECT_TRUE(loadMonsterGraphics(*mg, path, stateFor(header)));
    return mg;
}

// What a user sees of an entry: its pixels' colours.
std::vector<PaletteColor> looks(const MonsterEntry& e) {
    std::vector<PaletteColor> out;
    for (int y = 0; y < e.image.height; ++y)
        for (int x = 0; x < e.image.width; ++x) out.push_back(e.image.colorAt(x, y));
    return out;
}

void expectSameModels(const MonsterGraphics& a, const MonsterGraphics& b) {
    ASSERT_EQ(a.recordCount, b.recordCount);
    EXPECT_EQ(a.smallMolds, b.smallMolds);
    EXPECT_EQ(a.largeMolds, b.largeMolds);
    EXPECT_EQ(a.palettes, b.palettes);
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        const auto& x = a.entries[std::size_t(i)];
        const auto& y = b.entries[std::size_t(i)];
        ASSERT_EQ(x.name, y.name) << i;
        ASSERT_EQ(x.recordIndex, y.recordIndex) << i;
        ASSERT_EQ(x.moldNumber, y.moldNumber) << i;
        ASSERT_EQ(x.image.pixels, y.image.pixels) << i;
        ASSERT_EQ(x.paletteNumber, y.paletteNumber) << i;
    }
}

} // namespace

TEST(MonsterReader, InfoRecordFieldsAndGameText) {
    MonsterGraphics mg;
    mg.records[0].graphicsOffset = 0;
    MonsterEntry e;
    const std::uint8_t bytes[5] = {0x34, 0x92, 0x81, 0x05, 0x03};
    parseInfoRecord(mg, e, std::span<const std::uint8_t, 5>(bytes, 5));
    EXPECT_EQ(e.graphicsOffset, 0x1234);
    EXPECT_EQ(e.colorCount, 8);
    EXPECT_EQ(e.large, 1);
    EXPECT_EQ(e.paletteNumber, 261);
    EXPECT_EQ(e.moldNumber, 3);
    EXPECT_EQ(e.recordIndex, 1) << "slot 0 holds offset 0, so a new offset takes slot 1";
    EXPECT_EQ(gameTextToAscii(0x80), 'A');
    EXPECT_EQ(gameTextToAscii(0x9A), 'a');
    EXPECT_EQ(gameTextToAscii(0xB4), '0');
    EXPECT_EQ(gameTextToAscii(0xFF), ' ');
    EXPECT_EQ(gameTextToAscii(0xC1), '?');
    EXPECT_EQ(gameTextToAscii(0xD3), '"');
}

// The loader finds an entry's slot by its graphics offset without looking through the slots
// one by one; it must hand out the slots that doing so hands out, offsets repeated or not.
TEST(MonsterReader, LoaderHandsOutTheSlotsOfParsingEntryByEntry) {
    TempDir dir;
    std::mt19937 random(5);
    for (int round = 0; round < 4; ++round) {
        RomImage rom = buildFixture();
        // Few distinct offsets in the first rounds (much sharing), many in the last.
        const int distinct = round < 2 ? 9 : 400;
        for (int i = 0; i < kMonsterEntryCount; ++i) {
            const std::uint32_t at = kMonsterInfoOffset + std::uint32_t(i) * kInfoRecordBytes;
            const int offset = int(random() % std::uint32_t(distinct)) * 37 % 0x8000;
            rom.put8(at, std::uint8_t(offset & 0xFF));
            rom.put8(at + 1, std::uint8_t((offset >> 8) | (random() % 2 ? 0x80 : 0)));
        }
        auto loaded = load(writeRom(dir, rom, false), false);
        auto parsed = std::make_unique<MonsterGraphics>();
        parsed->recordCount = -1;
        parsed->records[0].graphicsOffset = 0;
        const std::vector<std::uint8_t> bytes = rom.fileBytes(false);
        for (int i = 0; i < kMonsterEntryCount; ++i)
            parseInfoRecord(*parsed, parsed->entries[std::size_t(i)],
                            std::span<const std::uint8_t, 5>(&bytes[kMonsterInfoOffset + std::size_t(i) * kInfoRecordBytes], 5));
        ASSERT_EQ(loaded->recordCount, parsed->recordCount + 1) << "round " << round;
        for (int i = 0; i < kMonsterEntryCount; ++i)
            ASSERT_EQ(loaded->entries[std::size_t(i)].recordIndex, parsed->entries[std::size_t(i)].recordIndex)
                << "round " << round << ", entry " << i;
    }
}

// The loader leaves a record's tiles as read where its picture encodes back to them; every
// record must then hold exactly what its entries' picture encodes to, as a save would write it.
TEST(MonsterReader, EveryRecordHoldsWhatItsPictureEncodesTo) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    for (const MonsterEntry& entry : mg->entries) {
        const GraphicsRecord& record = mg->records[entry.recordIndex];
        GraphicsRecord encoded;
        encodeRecord(encoded, entry, mg->moldOf(entry));
        ASSERT_EQ(encoded.tileData, record.tileData) << entry.name;
        ASSERT_EQ(encoded.size, record.size) << entry.name;
        ASSERT_EQ(encoded.moldNumber, record.moldNumber) << entry.name;
    }
}

TEST(MonsterReader, HeaderedAndHeaderlessRomsLoadToIdenticalModels) {
    TempDir dir;
    RomImage rom = buildFixture();
    auto plain = load(writeRom(dir, rom, false, "a.smc"), false);
    auto headered = load(writeRom(dir, rom, true, "b.smc"), true);
    expectSameModels(*plain, *headered);
    EXPECT_EQ(plain->entries[0].name, "Tenletters");
    EXPECT_EQ(plain->entries[1].name, "Gob") << "padding spaces are cut";
    EXPECT_EQ(plain->entries[384].name, "Esper");
    EXPECT_EQ(plain->entries[411].name, "");
}

TEST(MonsterReader, SharedSlotsTakeTheLastEntrysShapeAndRomOnlyTilesDisappear) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    const auto& e1 = mg->entries[1];
    const auto& e2 = mg->entries[2];
    EXPECT_EQ(e1.recordIndex, e2.recordIndex);
    EXPECT_EQ(e1.large, 1);
    EXPECT_EQ(e1.colorCount, 8);
    EXPECT_EQ(e1.image.pixels, e2.image.pixels);
    EXPECT_NE(e1.paletteNumber, e2.paletteNumber);
    EXPECT_EQ(mg->records[e1.recordIndex].size, 20 * 24);
    EXPECT_EQ(usedExtent(*mg, e1).width, 40);
    EXPECT_EQ(usedExtent(*mg, e1).height, 32);

    const auto& e3 = mg->entries[3];
    EXPECT_EQ(mg->records[e3.recordIndex].size, 32) << "the empty tile the ROM marked is gone";
    EXPECT_EQ(mg->moldOf(e3)[1], 0);
    // Entry 0 has two tiles, the top-left one first.
    EXPECT_EQ(mg->records[mg->entries[0].recordIndex].size, 64);
    EXPECT_NE(mg->entries[0].image.pixel(63, 63), 0);
    // Large molds beyond the last one in use are dropped; the unused first one stays.
    EXPECT_EQ(mg->largeMolds.size(), 2u);
    EXPECT_EQ(mg->entries[0].image.colorAt(0, 0), mg->palettes[16 + mg->entries[0].image.pixel(0, 0)]);
}

TEST(MonsterReader, ShortFilesAndMissingFilesAreRefusedAndChangeNothing) {
    TempDir dir;
    std::string good = writeRom(dir, buildFixture(), false);
    auto mg = load(good, false);
    RomImage shortRom(0x200000);
    shortRom.put8(0x20, 0xA2);
    std::string path = writeRom(dir, shortRom, false, "short.smc");
    EXPECT_FALSE(loadMonsterGraphics(*mg, path, stateFor(false)));
    EXPECT_FALSE(loadMonsterGraphics(*mg, dir.file("missing.smc"), stateFor(false)));
    EXPECT_EQ(mg->entries[0].name, "Tenletters") << "a refused file leaves the model as it was";
}

TEST(MonsterReader, OutOfTablePalettesAndMoldsNeverReadPastTheirTables) {
    TempDir dir;
    RomImage rom = buildFixture();
    // Entry 5: palette 767 with 16 colours runs past the table; mold 200 names no small mold.
    rom.put8(kMonsterInfoOffset + 5 * 5 + 1, 0x00);
    rom.put8(kMonsterInfoOffset + 5 * 5 + 2, 0x02);
    rom.put8(kMonsterInfoOffset + 5 * 5 + 3, 0xFF);
    rom.put8(kMonsterInfoOffset + 6 * 5 + 4, 250);
    auto mg = load(writeRom(dir, rom, false), false);
    const auto& e5 = mg->entries[5];
    EXPECT_EQ(e5.paletteNumber, 767);
    EXPECT_EQ(e5.image.palette[8], PaletteColor{});
    EXPECT_EQ(e5.image.palette[0], mg->palettes[767 * 8]);
    const auto& e6 = mg->entries[6];
    EXPECT_LT(std::size_t(e6.moldNumber), mg->smallMolds.size());
    std::string path = dir.file("rom.smc");
    CollectingNotifier n;
    ASSERT_TRUE(saveMonstersToRom(*mg, 0, path, stateFor(false), n));
    EXPECT_EQ(mg->entries[5].paletteNumber, 767) << "the number is written back as read";
}

TEST(MonsterWriter, SaveAndReloadKeepEveryEntrysLookAndNeverTouchOtherBytes) {
    TempDir dir;
    for (bool header : {false, true}) {
        SCOPED_TRACE(header ? "headered" : "headerless");
        std::string path = writeRom(dir, buildFixture(), header);
        auto before = readFileBytes(path);
        auto mg = load(path, header);
        // An edit through a shared slot shows in both entries after the save.
        setEntryPixel(*mg, mg->entries[1], 100, 100, 3);
        commitEntry(*mg, mg->entries[1]);
        redecodeEntries(*mg);
        std::vector<std::vector<PaletteColor>> expected;
        for (const auto& e : mg->entries) expected.push_back(looks(e));
        CollectingNotifier n;
        ASSERT_TRUE(saveMonstersToRom(*mg, 1, path, stateFor(header), n)) << n.lastText();
        for (int i = 0; i < kMonsterEntryCount; ++i) ASSERT_EQ(looks(mg->entries[std::size_t(i)]), expected[std::size_t(i)]) << i;
        EXPECT_EQ(looks(mg->entries[2])[100 * 128 + 100], mg->entries[2].image.palette[3]);

        auto after = readFileBytes(path);
        ASSERT_EQ(after.size(), before.size());
        const std::uint32_t h = header ? 0x200 : 0;
        int used = kSpaceLimit - freeSpace(*mg);
        auto owned = [&](std::size_t at) {
            auto in = [&](std::uint32_t from, std::size_t n) { return at >= from + h && at < from + h + n; };
            return in(kMonsterGraphicsOffset, std::size_t(used)) || in(kMoldPointersOffset, 4 + kMoldSpaceLimit) ||
                   in(kMonsterPaletteOffset, 12288) || in(kMonsterInfoOffset, 2075);
        };
        std::size_t changedOutside = 0;
        for (std::size_t i = 0; i < after.size(); ++i)
            if (after[i] != before[i] && !owned(i)) ++changedOutside;
        EXPECT_EQ(changedOutside, 0u);

        // Any number of further cycles changes nothing at all.
        auto once = readFileBytes(path);
        for (int cycle = 0; cycle < 3; ++cycle) {
            ASSERT_TRUE(saveMonstersToRom(*mg, 0, path, stateFor(header), n));
            for (int i = 0; i < kMonsterEntryCount; ++i)
                ASSERT_EQ(looks(mg->entries[std::size_t(i)]), expected[std::size_t(i)]) << i;
        }
        EXPECT_EQ(readFileBytes(path), once);
    }
}

TEST(MonsterWriter, MoldTablesArePaddedAndPointedAtAsTheGameExpects) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    CollectingNotifier n;
    auto pointer = [&]() {
        auto bytes = readFileBytes(path);
        return std::pair<int, int>(bytes[kMoldPointersOffset] | (bytes[kMoldPointersOffset + 1] << 8),
                                   bytes[kMoldPointersOffset + 2] | (bytes[kMoldPointersOffset + 3] << 8));
    };
    mg->smallMolds.resize(100);
    mg->largeMolds.resize(20);
    for (auto& e : mg->entries) e.moldNumber = std::min(e.moldNumber, 19);
    ASSERT_TRUE(saveMonsterGraphics(*mg, path, stateFor(false), n)) << n.lastText();
    EXPECT_EQ(pointer(), std::make_pair(0xA824, 0xAC24)) << "100 small molds are written as 128";

    mg->smallMolds.resize(60);
    mg->largeMolds.resize(54);
    ASSERT_TRUE(saveMonsterGraphics(*mg, path, stateFor(false), n));
    EXPECT_EQ(pointer().second, 0xAA04) << "no padding from 54 large molds on: 480 bytes of small molds";

    auto before = readFileBytes(path);
    mg->smallMolds.resize(31);
    mg->largeMolds.resize(86);
    EXPECT_FALSE(saveMonsterGraphics(*mg, path, stateFor(false), n));
    EXPECT_EQ(n.lastText(), kMsgTooMuchMold);
    EXPECT_EQ(readFileBytes(path), before);

    // A mold number that one byte cannot hold is refused before anything is written.
    mg->smallMolds.resize(300);
    mg->largeMolds.resize(0);
    mg->entries[10].moldNumber = 280;
    n.clear();
    EXPECT_FALSE(saveMonsterGraphics(*mg, path, stateFor(false), n));
    EXPECT_EQ(n.lastText(), kMsgTooMuchMold);
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(MonsterWriter, SpaceLimitIsExactAndARefusedSaveLeavesTheFileUntouched) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    // Entries 10 to 69 get slots of their own, then pictures until the used space is exactly
    // the limit.
    for (int i = 10; i < 40; ++i) {
        ASSERT_TRUE(newEntryImage(*mg, mg->entries[std::size_t(i)]));
        setEntrySize(*mg, mg->entries[std::size_t(i)], 1);
    }
    pruneUnused(*mg);
    auto fill = [&](int index, int tiles, int colors) {
        auto& e = mg->entries[std::size_t(index)];
        setEntryDepth(*mg, e, colors);
        e.image.allocateImage(128, 128);
        for (int t = 0; t < tiles; ++t) e.image.setPixel(8 * (t % 16), 8 * (t / 16), 1);
        deriveMold(*mg, e);
        commitEntry(*mg, e);
    };
    int next = 10;
    while (freeSpace(*mg) >= 8160 + 400) fill(next++, 256, 16);
    auto sizeOf = [&](int index) { return int(mg->records[mg->entries[std::size_t(index)].recordIndex].size); };
    const int rest = freeSpace(*mg) + sizeOf(next) + sizeOf(next + 1);
    int a = 2;
    while ((rest - 24 * a) % 32 != 0) ++a;
    const int b = (rest - 24 * a) / 32;
    ASSERT_GE(b, 1);
    fill(next, a, 8);
    fill(next + 1, b, 16);
    ASSERT_EQ(freeSpace(*mg), 0);
    CollectingNotifier n;
    ASSERT_TRUE(saveMonsterGraphics(*mg, path, stateFor(false), n)) << n.lastText();
    ASSERT_TRUE(loadMonsterGraphics(*mg, path, stateFor(false)));
    EXPECT_EQ(freeSpace(*mg), 0);

    // One 8-colour tile becomes a 16-colour one: 226248 bytes.
    auto before = readFileBytes(path);
    fill(next, a - 1, 8);
    fill(next + 1, b + 1, 16);
    ASSERT_EQ(freeSpace(*mg), -8);
    ASSERT_LT(freeSpace(*mg), 0);
    n.clear();
    EXPECT_FALSE(saveMonstersToRom(*mg, next, path, stateFor(false), n));
    EXPECT_EQ(n.lastText(), kMsgNoRoom);
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(MonsterWriter, FailedWritesAreReportedNotCalledSaved) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    CollectingNotifier n;
    EXPECT_FALSE(saveMonsterGraphics(*mg, dir.file("missing.smc"), stateFor(false), n));
    EXPECT_EQ(n.lastText(), kMsgMonsterSaveError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.smc")));
    if (std::filesystem::exists("/dev/full")) {
        n.clear();
        EXPECT_FALSE(saveMonsterGraphics(*mg, "/dev/full", stateFor(false), n));
        EXPECT_EQ(n.lastText(), kMsgMonsterSaveError);
    }
}

TEST(MonsterWriter, AbandonedSlotsAndTheirMoldsAreDroppedAndMoldNumbersMoveDown) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    int freeBefore = freeSpace(*mg);
    auto& e0 = mg->entries[0];
    int oldSize = mg->records[e0.recordIndex].size;
    const Mold corners = mg->moldOf(e0);
    ASSERT_TRUE(newEntryImage(*mg, e0));
    EXPECT_EQ(freeSpace(*mg), freeBefore - 32) << "the abandoned slot is still counted until the save";
    pruneUnused(*mg);
    EXPECT_EQ(std::find(mg->smallMolds.begin(), mg->smallMolds.end(), corners), mg->smallMolds.end())
        << "the corner mold only the abandoned slot used is gone";
    for (auto& e : mg->entries) {
        const int number = e.moldNumber;
        ASSERT_EQ(mg->records[e.recordIndex].moldNumber, number);
        deriveMold(*mg, e);
        ASSERT_EQ(e.moldNumber, number) << "mold numbers moved down with the removed molds";
    }
    CollectingNotifier n;
    ASSERT_TRUE(saveMonsterGraphics(*mg, path, stateFor(false), n));
    ASSERT_TRUE(loadMonsterGraphics(*mg, path, stateFor(false)));
    EXPECT_EQ(freeSpace(*mg), freeBefore + oldSize - 32) << freeBefore << " " << oldSize;
    EXPECT_EQ(mg->entries[1].recordIndex, mg->entries[2].recordIndex) << "shared slots stay shared";
    EXPECT_TRUE(std::any_of(mg->entries.begin(), mg->entries.end(),
                            [](const MonsterEntry& e) { return e.graphicsOffset == 0; }))
        << "the first slot in use starts at 0";
}

namespace {

// Removing every unneeded mold one at a time from the lowest, each removal re-encoding the
// entries it renumbers: what pruning must end with. Returns how many molds went.
int pruneOneAtATime(MonsterGraphics& ref) {
    for (int slot = 0; slot < ref.recordCount && slot < kRecordSlotCount; ++slot)
        ref.records[std::size_t(slot)].inUse = std::any_of(ref.entries.begin(), ref.entries.end(),
            [&](const MonsterEntry& e) { return e.recordIndex == slot; });
    int removed = 0;
    for (int kind = 0; kind <= 1; ++kind)
        for (int i = 0; std::size_t(i) < ref.molds(kind != 0).size();) {
            bool needed = false;
            for (int slot = 0; slot < ref.recordCount && slot < kRecordSlotCount; ++slot) {
                const GraphicsRecord& r = ref.records[std::size_t(slot)];
                needed = needed || (r.inUse && r.large == kind && r.moldNumber == i);
            }
            if (needed) {
                ++i;
                continue;
            }
            auto& table = ref.molds(kind != 0);
            table.erase(table.begin() + i);
            for (auto& entry : ref.entries)
                if (entry.large == kind && entry.moldNumber > i) {
                    entry.moldNumber -= 1;
                    commitEntry(ref, entry);
                }
            ++removed;
        }
    return removed;
}

// Prunes a copy of mg both ways and compares everything pruning touches.
void expectPruningAsOneAtATime(const MonsterGraphics& mg, int minRemoved, const std::string& what) {
    SCOPED_TRACE(what);
    auto fast = std::make_unique<MonsterGraphics>(mg);
    auto ref = std::make_unique<MonsterGraphics>(mg);
    ASSERT_GE(pruneOneAtATime(*ref), minRemoved) << "the case must remove molds";
    pruneUnused(*fast);
    EXPECT_EQ(fast->smallMolds, ref->smallMolds);
    EXPECT_EQ(fast->largeMolds, ref->largeMolds);
    for (std::size_t e = 0; e < fast->entries.size(); ++e)
        ASSERT_EQ(fast->entries[e].moldNumber, ref->entries[e].moldNumber) << "entry " << e;
    for (std::size_t slot = 0; slot < std::size_t(kRecordSlotCount); ++slot) {
        const GraphicsRecord& a = fast->records[slot];
        const GraphicsRecord& b = ref->records[slot];
        ASSERT_EQ(a.inUse, b.inUse) << "slot " << slot;
        ASSERT_EQ(a.moldNumber, b.moldNumber) << "slot " << slot;
        ASSERT_EQ(a.large, b.large) << "slot " << slot;
        ASSERT_EQ(a.colorCount, b.colorCount) << "slot " << slot;
        ASSERT_EQ(a.size, b.size) << "slot " << slot;
        ASSERT_EQ(a.tileData, b.tileData) << "slot " << slot;
    }
}

} // namespace

// Pruning encodes each record once and skips entries no later removal can move; it must end
// exactly where the one-at-a-time removal ends, including for records shared by entries that
// disagree on the mold or the size and for mold numbers outside the table.
TEST(MonsterWriter, PruningMatchesRemovingMoldsOneAtATime) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    // New shapes for several entries, then some of them abandoned: unneeded molds in the middle
    // of the small table and at the start of the large one.
    for (int i = 3; i < 12; ++i) {
        auto& e = mg->entries[std::size_t(i)];
        ASSERT_TRUE(newEntryImage(*mg, e));
        setEntrySize(*mg, e, i % 3 == 0);
        for (int t = 0; t <= i; ++t) setEntryPixel(*mg, e, 8 * (t % 8) + 1, 8 * ((t * 3 + i) % 8), std::uint8_t(1 + t % 7));
        commitEntry(*mg, e);
    }
    for (int i : {4, 6, 9}) ASSERT_TRUE(newEntryImage(*mg, mg->entries[std::size_t(i)]));
    ASSERT_TRUE(newEntryImage(*mg, mg->entries[0]));
    // Entries 1 and 2 share a record, which took entry 2's shape; entry 2 now names entry 3's
    // mold, so the two encode the record differently as the molds before them go. Entry 12
    // names a number past the end of the small table.
    ASSERT_EQ(mg->entries[3].large, 1);
    mg->entries[2].moldNumber = mg->entries[3].moldNumber;
    mg->entries[12].large = 0;
    mg->entries[12].moldNumber = int(mg->smallMolds.size()) + 5;
    ASSERT_NE(mg->entries[1].recordIndex, mg->entries[12].recordIndex);
    expectPruningAsOneAtATime(*mg, 3, "made by editing");

    // Models no editing makes but a damaged ROM can: entries of both sizes crowded onto a few
    // records, naming molds anywhere in and around the tables.
    ASSERT_LT(mg->recordCount + 3, kRecordSlotCount);
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        auto model = std::make_unique<MonsterGraphics>(*mg);
        const int small = int(model->smallMolds.size()), large = int(model->largeMolds.size());
        for (int e = 0; e < 40; ++e) {
            MonsterEntry& entry = model->entries[std::size_t(random() % kMonsterEntryCount)];
            entry.large = std::uint8_t(random() % 2);
            // Now and then a record past the ones handed out, which pruning must not count.
            entry.recordIndex = std::uint16_t(random() % 8 ? random() % 12 : model->recordCount + random() % 3);
            entry.moldNumber = int(random() % std::uint32_t((entry.large ? large : small) + 4)) - 1;
            if (random() % 3 == 0) model->records[entry.recordIndex].moldNumber = entry.moldNumber;
        }
        expectPruningAsOneAtATime(*model, 1, "round " + std::to_string(round));
    }
}

namespace {

// The file bytes a save of mg writes into a copy of `file`, after the save's own preparation
// or, for `reference`, after decoding every entry again as the save once did.
std::vector<std::uint8_t> savedBytes(const MonsterGraphics& mg, const std::vector<std::uint8_t>& file, int current,
                                     bool reference) {
    auto model = std::make_unique<MonsterGraphics>(mg);
    if (reference) {
        commitEntry(*model, model->entries[std::size_t(current)]);
        redecodeEntries(*model);
        pruneUnused(*model);
    } else {
        prepareMonstersForSave(*model, current);
    }
    std::vector<std::uint8_t> bytes = file;
    RomBuffer buffer(bytes, false);
    CollectingNotifier n;
    EXPECT_TRUE(saveMonsterGraphics(*model, buffer, n)) << n.lastText();
    return bytes;
}

} // namespace

// The save decodes the pictures again only when pruning encodes records from them; whatever
// state the editing left the entries sharing a record in, it writes what decoding them all
// writes.
TEST(MonsterWriter, SavePreparationWritesWhatDecodingEveryEntryWrites) {
    TempDir dir;
    const std::string path = writeRom(dir, buildFixture(), false);
    const std::vector<std::uint8_t> file = readFileBytes(path);
    auto mg = load(path, false);
    ASSERT_EQ(mg->entries[1].recordIndex, mg->entries[2].recordIndex);
    pruneUnused(*mg);

    // An edit committed through entry 1 that entry 2 has not seen, nothing for pruning to
    // re-encode: entry 2's stale picture is not what gets written.
    setEntryPixel(*mg, mg->entries[1], 3, 3, 5);
    commitEntry(*mg, mg->entries[1]);
    EXPECT_EQ(savedBytes(*mg, file, 2, false), savedBytes(*mg, file, 2, true));

    // A new size through entry 1: entry 2's shape is stale too.
    setEntrySize(*mg, mg->entries[1], 0);
    EXPECT_EQ(savedBytes(*mg, file, 2, false), savedBytes(*mg, file, 2, true));

    // Abandoned molds below ones in use: pruning moves entries and encodes their records again.
    for (int i = 3; i < 9; ++i) {
        auto& e = mg->entries[std::size_t(i)];
        ASSERT_TRUE(newEntryImage(*mg, e));
        for (int t = 0; t <= i; ++t) setEntryPixel(*mg, e, 8 * (t % 8), 8 * ((t * 3 + i) % 8), std::uint8_t(1 + t % 7));
        commitEntry(*mg, e);
    }
    // Entry 10 shares entry 8's record, and is the entry pruning encodes it from once entry
    // 4's mold, below entry 8's, is abandoned; then entry 8 is edited and entry 10 not decoded.
    ASSERT_TRUE(useRecord(*mg, mg->entries[10], mg->entries[8].recordIndex));
    ASSERT_TRUE(newEntryImage(*mg, mg->entries[4]));
    setEntryPixel(*mg, mg->entries[8], 1, 1, 6);
    commitEntry(*mg, mg->entries[8]);
    ASSERT_NE(mg->entries[10].image.pixels, mg->entries[8].image.pixels);
    EXPECT_EQ(savedBytes(*mg, file, 0, false), savedBytes(*mg, file, 0, true));

    // Random edits through entries that share records, never followed by decoding the sharers.
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        auto model = std::make_unique<MonsterGraphics>(*mg);
        // Half the rounds start from a pruned model with a few edits, which often leave no
        // mold for pruning to drop below one in use.
        const bool pruned = round % 2 == 0;
        if (pruned) pruneUnused(*model);
        for (int step = 0; step < (pruned ? 2 : 6); ++step) {
            MonsterEntry& e = model->entries[std::size_t(random() % 12)];
            switch (random() % 5) {
            case 0: setEntrySize(*model, e, int(random() % 2)); break;
            case 1: setEntryDepth(*model, e, random() % 2 ? 8 : 16); break;
            case 2: useRecord(*model, e, int(random() % std::uint32_t(model->recordCount))); break;
            case 3: newEntryImage(*model, e); break;
            default:
                for (int k = 0; k < 20; ++k)
                    setEntryPixel(*model, e, int(random() % 128), int(random() % 128), std::uint8_t(random() % 8));
                commitEntry(*model, e);
            }
        }
        const int current = int(random() % 12);
        ASSERT_EQ(savedBytes(*model, file, current, false), savedBytes(*model, file, current, true)) << "round " << round;
    }
}

TEST(MonsterOperations, MoldAlwaysFollowsThePixels) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    auto& e = mg->entries[0];
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) setEntryPixel(*mg, e, x, y, 0);
    commitEntry(*mg, e);
    EXPECT_EQ(mg->records[e.recordIndex].size, 32);
    EXPECT_EQ(mg->moldOf(e)[0], 1);
    setEntrySize(*mg, e, 1);
    for (int y = 0; y < 128; y += 8)
        for (int x = 0; x < 128; x += 8) setEntryPixel(*mg, e, x, y, 9);
    commitEntry(*mg, e);
    EXPECT_EQ(mg->records[e.recordIndex].size, 8192);
    setEntryDepth(*mg, e, 8);
    EXPECT_EQ(mg->records[e.recordIndex].size, 6144);
    EXPECT_EQ(e.image.pixel(0, 0), 1) << "16 to 8 colours keeps the low three bits";
    setEntrySize(*mg, e, 0);
    EXPECT_EQ(e.image.width, 64);
    EXPECT_EQ(setEntryPixel(*mg, e, 70, 70, 5), e.moldNumber) << "outside the image nothing changes";
    EXPECT_EQ(entryPixel(e, 70, 70), 0);
    // Two entries covering the same cells share a mold.
    auto& f = mg->entries[7];
    f.image.allocateImage(64, 64);
    for (int y = 0; y < 64; y += 8)
        for (int x = 0; x < 64; x += 8) f.image.setPixel(x + 1, y + 2, 3);
    deriveMold(*mg, f);
    EXPECT_EQ(f.moldNumber, e.moldNumber);
}

TEST(MonsterOperations, TransparentCopyAndFlip) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    auto& e = mg->entries[0];
    const int p = e.paletteNumber;
    PaletteColor c0 = mg->palettes[std::size_t(p * 8)], c5 = mg->palettes[std::size_t(p * 8 + 5)];
    e.image.setPixel(0, 0, 5);
    e.image.setPixel(1, 0, 0);
    makeTransparent(*mg, e, 5);
    EXPECT_EQ(e.image.pixel(0, 0), 0);
    EXPECT_EQ(e.image.pixel(1, 0), 5) << "the old transparent colour keeps its look at index 5";
    EXPECT_EQ(e.image.pixel(20, 20), 0) << "absent tiles stay transparent";
    EXPECT_EQ(mg->palettes[std::size_t(p * 8)], c5);
    EXPECT_EQ(mg->palettes[std::size_t(p * 8 + 5)], c0);

    auto pixels = mg->entries[2].image.pixels;
    copyEntry(*mg, mg->entries[2], mg->entries[1]);
    EXPECT_EQ(mg->entries[2].image.pixels, pixels) << "a copy from a sharer changes nothing";
    copyEntry(*mg, mg->entries[8], mg->entries[1]);
    EXPECT_EQ(mg->entries[8].image.pixels, mg->entries[1].image.pixels);
    EXPECT_NE(mg->entries[8].recordIndex, mg->entries[1].recordIndex) << "the copy keeps its own record";
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(mg->entries[8].image.palette[std::size_t(i)], mg->entries[1].image.palette[std::size_t(i)]);

    auto& big = mg->entries[1];
    auto original = big.image.pixels;
    flipEntry(*mg, big, 0);
    EXPECT_EQ(big.image.pixel(39 - 0, 0), original[0]) << "mirrored within the 40-pixel-wide content";
    flipEntry(*mg, big, 0);
    EXPECT_EQ(big.image.pixels, original);
}

TEST(MonsterOperations, NewImagesRunOutOfSlotsCleanly) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    int made = 0;
    while (newEntryImage(*mg, mg->entries[std::size_t(made % kMonsterEntryCount)])) ++made;
    EXPECT_EQ(mg->recordCount, kRecordSlotCount);
    auto& e = mg->entries[3];
    auto before = e.recordIndex;
    EXPECT_FALSE(newEntryImage(*mg, e));
    EXPECT_EQ(e.recordIndex, before);
    EXPECT_FALSE(useRecord(*mg, e, kRecordSlotCount));
    EXPECT_TRUE(useRecord(*mg, e, mg->entries[1].recordIndex));
    EXPECT_EQ(e.image.pixels, mg->entries[1].image.pixels);
}

TEST(MonsterOperations, ExportAndReimportChangesNothingButAtMostTheSize) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    using Saver = bool (*)(const IndexedImage&, const std::string&, int, int);
    const std::pair<const char*, Saver> formats[] = {{"png", savePng}, {"bmp", saveBmp}, {"pcx", savePcx}};
    // Entry 20 has 16 colours but draws with its first 8 only.
    auto& sparse = mg->entries[20];
    setEntryDepth(*mg, sparse, 16);
    for (auto& v : sparse.image.pixels) v &= 7;
    deriveMold(*mg, sparse);
    commitEntry(*mg, sparse);
    for (int index : {0, 1, 5, 6, 20}) {
        for (auto [ext, save] : formats) {
            SCOPED_TRACE(std::string(ext) + " entry " + std::to_string(index));
            auto& e = mg->entries[std::size_t(index)];
            auto palettes = mg->palettes;
            const IndexedImage before = e.image;
            const int colors = e.colorCount;
            Extent x = usedExtent(*mg, e);
            std::string file = dir.file(std::string("e.") + ext);
            ASSERT_FALSE(save(e.image, file, x.width, x.height));
            IndexedImage imported;
            ASSERT_EQ(loadImageFile(imported, file, 256, 200, 200), ImageLoadResult::Read);
            setEntryFromImage(*mg, e, imported);
            deriveMold(*mg, e);
            commitEntry(*mg, e);
            EXPECT_EQ(e.colorCount, colors);
            EXPECT_EQ(mg->palettes, palettes) << "no shared palette colour changes";
            for (int i = 0; i < colors; ++i) EXPECT_EQ(e.image.palette[std::size_t(i)], before.palette[std::size_t(i)]);
            auto at = [](const IndexedImage& im, int px, int py) { return im.contains(px, py) ? im.pixel(px, py) : 0; };
            for (int py = 0; py < 128; ++py)
                for (int px = 0; px < 128; ++px)
                    ASSERT_EQ(at(e.image, px, py), at(before, px, py)) << px << "," << py;
        }
    }
}

TEST(MonsterOperations, SpaceUseCountsWhatTheNextSaveWritesAndTheMoldLimitIsExact) {
    TempDir dir;
    std::string path = writeRom(dir, buildFixture(), false);
    auto mg = load(path, false);
    SpaceUse use = spaceUse(*mg);
    EXPECT_EQ(use.graphicsLimit, kSpaceLimit);
    EXPECT_EQ(use.moldLimit, kMoldSpaceLimit);
    // An entry moved to a new slot leaves its old one to the next save's pruning: freeSpace
    // still counts the old slot, the meter does not.
    const int oldSlot = mg->entries[0].recordIndex;
    const int oldSize = mg->records[std::size_t(oldSlot)].size;
    const bool shared = !entriesSharingRecord(*mg, 0).empty();
    ASSERT_TRUE(newEntryImage(*mg, mg->entries[0]));
    SpaceUse after = spaceUse(*mg);
    if (!shared) {
        EXPECT_EQ(after.graphicsUsed, use.graphicsUsed - oldSize + mg->records[mg->entries[0].recordIndex].size);
    }
    pruneUnused(*mg);
    EXPECT_EQ(spaceUse(*mg).graphicsUsed, kSpaceLimit - freeSpace(*mg));

    // The mold area: refused one byte below what the meter shows, written at exactly that.
    use = spaceUse(*mg);
    CollectingNotifier n;
    mg->moldSpaceLimit = use.moldUsed - 1;
    EXPECT_FALSE(saveMonsterGraphics(*mg, path, stateFor(false), n));
    EXPECT_EQ(n.lastText(), kMsgTooMuchMold);
    mg->moldSpaceLimit = use.moldUsed;
    EXPECT_TRUE(saveMonsterGraphics(*mg, path, stateFor(false), n)) << n.lastText();
}

TEST(MonsterOperations, SharingListsOtherEntriesOfThePaletteAndTheRecord) {
    TempDir dir;
    auto mg = load(writeRom(dir, buildFixture(), false), false);
    // Entries 1 and 2 share one graphics offset in the fixture.
    const auto record = entriesSharingRecord(*mg, 1);
    EXPECT_NE(std::find(record.begin(), record.end(), 2), record.end());
    EXPECT_EQ(std::find(record.begin(), record.end(), 1), record.end()) << "an entry does not share with itself";
    mg->entries[5].paletteNumber = 40;
    mg->entries[5].colorCount = 16; // palettes 40 and 41
    mg->entries[6].paletteNumber = 41;
    mg->entries[6].colorCount = 8;
    mg->entries[7].paletteNumber = 42;
    mg->entries[7].colorCount = 8;
    const auto palette = entriesSharingPalette(*mg, 5);
    EXPECT_NE(std::find(palette.begin(), palette.end(), 6), palette.end());
    EXPECT_EQ(std::find(palette.begin(), palette.end(), 7), palette.end());
    EXPECT_TRUE(entriesSharingPalette(*mg, 999).empty());
}

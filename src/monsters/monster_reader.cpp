// Reading the monster and esper graphics from the ROM, and the two operations that keep an
// entry and its graphics record in step: the mold follows from the pixels, the record's tile
// data is the ROM form of the image.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "rom/rom_bytes.h"
#include "image/snes_codec.h"
#include "monsters/monster_graphics.h"

namespace morvi {

namespace {

Mold singleCellMold() {
    Mold m{};
    m[0] = 1;
    return m;
}
const Mold kFallbackMold = singleCellMold();

int moldSide(bool large) { return large ? kLargeMoldSide : kSmallMoldSide; }

int countCells(const Mold& mold, bool large) {
    int side = moldSide(large);
    return int(std::count(mold.begin(), mold.begin() + side * side, 1));
}

// Bits of a mold in the ROM (bit 7 first) to cells.
Mold moldFromBits(const std::uint8_t* bits, bool large) {
    Mold m{};
    int side = moldSide(large);
    for (int cell = 0; cell < side * side; ++cell) m[cell] = (bits[cell / 8] >> (7 - cell % 8)) & 1;
    return m;
}

std::string readName(const std::uint8_t* codes, int length) {
    std::string text(std::size_t(length), ' ');
    for (int i = 0; i < length; ++i) text[std::size_t(i)] = gameTextToAscii(codes[i]);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    auto end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
}

// Everything the reader takes from the file, read and checked before the model changes.
struct MonsterTables {
    std::span<const std::uint8_t> palettes, monsterNames, esperNames, info, region, moldArea;
    std::uint32_t smallStart = 0, largeStart = 0;
};

bool readTables(const RomBytes& rom, MonsterTables& t) {
    bool ok = true;
    auto grab = [&](std::uint32_t at, std::size_t n) { return rom.view(at, n, &ok); };
    t.palettes = grab(kMonsterPaletteOffset, kMonsterPaletteColors * 2);
    t.monsterNames = grab(kMonsterNamesOffset, kMonsterCount * kMonsterNameLength);
    t.esperNames = grab(kEsperNamesOffset, kEsperCount * kEsperNameLength);
    auto pointers = grab(kMoldPointersOffset, 4);
    t.info = grab(kMonsterInfoOffset, kMonsterEntryCount * kInfoRecordBytes);
    t.region = grab(kMonsterGraphicsOffset, kGraphicsRegionRead);
    if (!ok) return false;
    t.smallStart = kMoldBank + (pointers[0] | (pointers[1] << 8));
    t.largeStart = kMoldBank + (pointers[2] | (pointers[3] << 8));
    if (t.smallStart <= kMoldAreaEnd) t.moldArea = grab(t.smallStart, kMoldAreaEnd - t.smallStart + 1);
    return ok;
}

} // namespace

const Mold& moldAt(const std::vector<Mold>& table, std::int64_t number) {
    if (number < 0 || std::uint64_t(number) >= table.size()) return kFallbackMold;
    return table[std::size_t(number)];
}

const Mold& MonsterGraphics::moldOf(const MonsterEntry& entry) const {
    return moldAt(molds(entry.large), entry.moldNumber);
}

namespace {
constexpr char textCharacter(std::uint8_t code) {
    if (code == 0x00) return '\0';
    if (code >= 0x80 && code <= 0x99) return char('A' + (code - 0x80));
    if (code >= 0x9A && code <= 0xB3) return char('a' + (code - 0x9A));
    if (code >= 0xB4 && code <= 0xBD) return char('0' + (code - 0xB4));
    if (code == 0x01 || code == 0x05 || (code >= 0x1E && code <= 0x22) || code == 0xC7 ||
        (code >= 0xD8 && code <= 0xEA) || code == 0xFE || code == 0xFF)
        return ' ';
    switch (code) {
    case 0xBE: return '!';
    case 0xBF: return '?';
    case 0xC0: return '/';
    case 0xC2: case 0xD3: return '"';
    case 0xC3: return '\'';
    case 0xC4: return '-';
    case 0xC5: return '.';
    case 0xC6: return ',';
    case 0xCD: return '%';
    default: return '?';
    }
}

// Every code's character, worked out once when the program is built: a ROM's 415 names are read
// at every open.
constexpr std::array<char, 256> kTextCharacters = [] {
    std::array<char, 256> table{};
    for (int code = 0; code < 256; ++code) table[std::size_t(code)] = textCharacter(std::uint8_t(code));
    return table;
}();
} // namespace

char gameTextToAscii(std::uint8_t code) { return kTextCharacters[code]; }

std::uint16_t tileDataSize(const Mold& mold, const MonsterEntry& entry) {
    int bytes = countCells(mold, entry.large) * (entry.colorCount == 8 ? 24 : 32);
    return std::uint16_t(bytes == 0 ? 8 : bytes);
}

std::uint16_t tileDataSize(const MonsterGraphics& mg, const MonsterEntry& entry) {
    return tileDataSize(mg.moldOf(entry), entry);
}

namespace {
// The entry's fields from its info record.
void readInfoFields(MonsterEntry& entry, std::span<const std::uint8_t, 5> b) {
    entry.graphicsOffset = std::uint16_t(b[0] + 256 * (b[1] & 0x7F));
    entry.colorCount = (b[1] & 0x80) ? 8 : 16;
    entry.large = (b[2] >> 7) & 1;
    entry.paletteNumber = b[3] + 256 * (b[2] & 1) + 512 * ((b[2] >> 1) & 1);
    entry.moldNumber = b[4];
}

// The entry's record: the slot takes the entry's shape (the last entry of a shared slot wins).
void takeSlot(MonsterGraphics& mg, MonsterEntry& entry, int slot) {
    GraphicsRecord& record = mg.records[std::size_t(slot)];
    record.moldNumber = entry.moldNumber;
    record.graphicsOffset = entry.graphicsOffset;
    record.size = tileDataSize(mg, entry);
    record.large = entry.large;
    record.colorCount = entry.colorCount;
    entry.recordIndex = std::uint16_t(slot);
    mg.recordCount = std::max(mg.recordCount, slot);
}

// The slots handed out so far by graphics offset, for the loader: the same slots as looking
// through them one by one, without doing so for each of 415 entries. The 416 offsets a load can
// meet at most sit in a small hash table.
class SlotsByOffset {
public:
    explicit SlotsByOffset(const MonsterGraphics& mg) {
        m_keys.fill(-1);
        while (m_handedOut < kRecordSlotCount - 1 && mg.records[std::size_t(m_handedOut)].graphicsOffset != -1) {
            Cell cell = find(mg.records[std::size_t(m_handedOut)].graphicsOffset);
            if (*cell.key < 0) {
                *cell.key = mg.records[std::size_t(m_handedOut)].graphicsOffset;
                *cell.slot = std::int16_t(m_handedOut);
            }
            ++m_handedOut;
        }
    }
    int slotFor(std::uint16_t offset) {
        Cell cell = find(offset);
        if (*cell.key >= 0) return *cell.slot;
        if (m_handedOut == kRecordSlotCount - 1) return m_handedOut;
        *cell.key = offset;
        *cell.slot = std::int16_t(m_handedOut);
        return m_handedOut++;
    }

private:
    static constexpr std::size_t kSize = 1024; // more than twice the slots: never full
    struct Cell {
        std::int32_t* key;
        std::int16_t* slot;
    };
    Cell find(std::int32_t offset) {
        std::size_t at = (std::uint32_t(offset) * 2654435761u >> 8) % kSize;
        while (m_keys[at] >= 0 && m_keys[at] != offset) at = (at + 1) % kSize;
        return {&m_keys[at], &m_slots[at]};
    }
    std::array<std::int32_t, kSize> m_keys;
    std::array<std::int16_t, kSize> m_slots{};
    int m_handedOut = 0;
};
} // namespace

// The entry's slot is the first that has its graphics offset or none yet (the last slot when
// all others are taken).
void parseInfoRecord(MonsterGraphics& mg, MonsterEntry& entry, std::span<const std::uint8_t, 5> b) {
    readInfoFields(entry, b);
    int slot = 0;
    while (slot < kRecordSlotCount - 1 && mg.records[slot].graphicsOffset != entry.graphicsOffset &&
           mg.records[slot].graphicsOffset != -1)
        ++slot;
    takeSlot(mg, entry, slot);
}

namespace {
// The record's shape, a blank picture of its size (or the picture the entry has, already of that
// size) and the entry's own colours.
enum class KeepPixels { no, yes };
void takeRecordShape(const MonsterGraphics& mg, MonsterEntry& entry, KeepPixels keep = KeepPixels::no) {
    const GraphicsRecord& record = mg.records[entry.recordIndex];
    entry.moldNumber = record.moldNumber;
    entry.large = record.large;
    entry.colorCount = record.colorCount;
    if (keep == KeepPixels::no) entry.image.allocateImage(entry.side(), entry.side());
    for (int i = 0; i < entry.colorCount; ++i)
        entry.image.setPaletteEntry(std::uint8_t(i), mg.paletteColor(std::int64_t(entry.paletteNumber) * 8 + i));
}
} // namespace

void decodeEntry(MonsterGraphics& mg, MonsterEntry& entry, std::span<const std::uint8_t> source) {
    takeRecordShape(mg, entry);
    const Mold& mold = mg.moldOf(entry);
    const int side = moldSide(entry.large);
    const std::size_t bytes = std::size_t(tileBytes(entry.colorCount));
    std::size_t at = 0;
    std::uint8_t tile[kTilePixels];
    for (int cell = 0; cell < side * side; ++cell) {
        if (!mold[cell]) continue;
        if (at + bytes > source.size()) break; // tiles the data does not hold stay colour 0
        decodeTile(source.data() + at, tile, entry.colorCount);
        placeTile(entry.image, tile, cell % side, cell / side);
        at += bytes;
    }
}

void decodeEntry(MonsterGraphics& mg, MonsterEntry& entry) {
    // Decoding reads the record and never changes it, so its own buffer can be the source.
    const std::vector<std::uint8_t>& own = mg.records[entry.recordIndex].tileData;
    decodeEntry(mg, entry, std::span<const std::uint8_t>(own));
}

void deriveMold(MonsterGraphics& mg, MonsterEntry& entry) {
    const int side = moldSide(entry.large);
    Mold mold{};
    const IndexedImage& image = entry.image;
    if (image.hasPixels()) {
        const int w = std::min(8 * side, image.width), h = std::min(8 * side, image.height);
        const std::uint8_t* pixels = image.pixels.data();
        const std::size_t stride = std::size_t(image.width);
        // A cell is in the mold when any of its 64 pixels is not 0: its eight rows are read
        // eight bytes at a time. Cells cut by the picture's edge are looked at pixel by pixel.
        for (int cy = 0; cy * 8 < h; ++cy)
            for (int cx = 0; cx * 8 < w; ++cx) {
                const std::uint8_t* cell = pixels + std::size_t(cy * 8) * stride + std::size_t(cx * 8);
                bool any = false;
                if (cx * 8 + 8 <= w && cy * 8 + 8 <= h) {
                    std::uint64_t bits = 0;
                    for (int r = 0; r < 8; ++r) {
                        std::uint64_t row;
                        std::memcpy(&row, cell + std::size_t(r) * stride, 8);
                        bits |= row;
                    }
                    any = bits != 0;
                } else {
                    for (int r = 0; r < 8 && cy * 8 + r < h; ++r)
                        for (int c = 0; c < 8 && cx * 8 + c < w; ++c) any = any || cell[std::size_t(r) * stride + std::size_t(c)] != 0;
                }
                if (any) mold[std::size_t(cy * side + cx)] = 1;
            }
    }
    if (countCells(mold, entry.large) == 0) mold[0] = 1;
    auto& table = mg.molds(entry.large);
    auto found = std::find(table.begin(), table.end(), mold);
    if (found == table.end()) {
        table.push_back(mold);
        found = table.end() - 1;
    }
    entry.moldNumber = std::int32_t(found - table.begin());
}

void commitEntry(MonsterGraphics& mg, MonsterEntry& entry) {
    encodeRecord(mg.records[entry.recordIndex], entry, mg.moldOf(entry));
}

void encodeRecord(GraphicsRecord& record, const MonsterEntry& entry, const Mold& mold) {
    record.moldNumber = entry.moldNumber;
    record.size = tileDataSize(mold, entry);
    record.colorCount = entry.colorCount;
    record.large = entry.large;
    record.tileData.assign(record.size, 0);
    const int side = moldSide(entry.large);
    const std::size_t bytes = std::size_t(tileBytes(entry.colorCount));
    std::size_t at = 0;
    for (int cell = 0; cell < side * side; ++cell) {
        if (!mold[cell]) continue;
        if (at + bytes > record.tileData.size()) break;
        encodeTile(entry.image, cell % side, cell / side, record.tileData.data() + at, entry.colorCount);
        at += bytes;
    }
}

bool loadMonsterGraphics(MonsterGraphics& target, const std::string& path, const RomState& rom) {
    std::vector<std::uint8_t> file;
    if (!readRomFile(path, file)) return false;
    return loadMonsterGraphics(target, RomBytes(file, rom));
}

bool canLoadMonsterGraphics(const RomBytes& rom) {
    MonsterTables t;
    return readTables(rom, t);
}

void MonsterGraphics::clear() {
    palettes = {};
    for (auto& record : records) {
        std::vector<std::uint8_t> data = std::move(record.tileData);
        data.clear(); // its buffer serves the next record
        record = GraphicsRecord{};
        record.tileData = std::move(data);
    }
    for (auto& entry : entries) {
        IndexedImage image = std::move(entry.image);
        image.reset(); // its buffer serves the next picture
        entry = MonsterEntry{};
        entry.image = std::move(image);
    }
    smallMolds.clear();
    largeMolds.clear();
    recordCount = 0;
    tileBuffer.clear();
    moldBuffer.clear();
    spaceLimit = kSpaceLimit;
    moldSpaceLimit = kMoldSpaceLimit;
}

bool loadMonsterGraphics(MonsterGraphics& target, const RomBytes& rom) {
    // Every check is in reading the tables: a refused file changes nothing, and past this point
    // the model is rebuilt in place.
    MonsterTables t;
    if (!readTables(rom, t)) return false;

    MonsterGraphics& mg = target;
    mg.clear();
    mg.recordCount = -1;
    mg.records[0].graphicsOffset = 0;
    decodeSnesColors(t.palettes, mg.palettes);
    for (int i = 0; i < kMonsterCount; ++i)
        mg.entries[std::size_t(i)].name = readName(&t.monsterNames[std::size_t(i) * kMonsterNameLength], kMonsterNameLength);
    for (int k = 0; k < kEsperCount; ++k)
        mg.entries[std::size_t(kFirstEsper + k)].name = readName(&t.esperNames[std::size_t(k) * kEsperNameLength], kEsperNameLength);

    // Molds: the small ones from the small-mold start, the large ones straight after them.
    mg.moldBuffer.assign(t.moldArea.begin(), t.moldArea.end());
    const std::int64_t areaEnd = kMoldAreaEnd;
    std::int64_t smallCount = std::max<std::int64_t>(0, (std::int64_t(t.largeStart) - t.smallStart + 1) / 8);
    std::int64_t largeCount = std::max<std::int64_t>(0, (areaEnd - std::int64_t(t.largeStart) + 1) / 32);
    const std::int64_t available = std::int64_t(mg.moldBuffer.size());
    smallCount = std::min(smallCount, available / 8);
    largeCount = std::min(largeCount, (available - smallCount * 8) / 32);
    mg.smallMolds.reserve(std::size_t(smallCount));
    mg.largeMolds.reserve(std::size_t(largeCount));
    for (std::int64_t i = 0; i < smallCount; ++i)
        mg.smallMolds.push_back(moldFromBits(&mg.moldBuffer[std::size_t(8 * i)], false));
    for (std::int64_t i = 0; i < largeCount; ++i)
        mg.largeMolds.push_back(moldFromBits(&mg.moldBuffer[std::size_t(smallCount * 8 + 32 * i)], true));

    SlotsByOffset slots(mg);
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        MonsterEntry& entry = mg.entries[std::size_t(i)];
        readInfoFields(entry, std::span<const std::uint8_t, 5>(&t.info[std::size_t(i) * kInfoRecordBytes], 5));
        takeSlot(mg, entry, slots.slotFor(entry.graphicsOffset));
    }

    mg.tileBuffer.assign(kTileBufferSize, 0);
    std::copy(t.region.begin(), t.region.end(), mg.tileBuffer.begin());
    // Entries that share a record share its offset and shape, so their pixels are decoded once.
    std::vector<const MonsterEntry*> decoded(mg.records.size(), nullptr);
    for (auto& entry : mg.entries) {
        const MonsterEntry*& first = decoded[entry.recordIndex];
        if (first) {
            // The first entry's picture with this entry's own colours.
            entry.image = first->image;
            takeRecordShape(mg, entry, KeepPixels::yes);
            continue;
        }
        GraphicsRecord& record = mg.records[entry.recordIndex];
        const std::size_t at = std::size_t(entry.graphicsOffset) * 8;
        std::span<const std::uint8_t> source(mg.tileBuffer.data() + at, mg.tileBuffer.size() - at);
        record.tileData.assign(source.begin(), source.begin() + std::min<std::size_t>(record.size, source.size()));
        decodeEntry(mg, entry, source);
        first = &entry;
    }

    // Large molds past the last one in use are dropped.
    int highest = -1;
    for (const auto& entry : mg.entries)
        if (entry.large) highest = std::max(highest, entry.moldNumber);
    mg.largeMolds.resize(std::min<std::size_t>(mg.largeMolds.size(), std::size_t(highest + 1)));
    mg.recordCount += 1;

    // Entries that share a record decoded the same tiles through the same shape, so they have
    // the same pixels and get the same mold and encoding: each record is derived and encoded
    // once, and the other entries take its mold number.
    std::vector<std::int32_t> derived(mg.records.size(), -1);
    for (auto& entry : mg.entries) {
        std::int32_t& mold = derived[entry.recordIndex];
        if (mold >= 0) {
            entry.moldNumber = mold;
            continue;
        }
        const std::int32_t stored = entry.moldNumber;
        deriveMold(mg, entry);
        // A picture decoded from whole tiles through the mold it derives encodes to those tiles.
        const GraphicsRecord& record = mg.records[entry.recordIndex];
        if (entry.moldNumber != stored || record.tileData.size() != record.size) commitEntry(mg, entry);
        mold = entry.moldNumber;
    }
    return true;
}

} // namespace morvi

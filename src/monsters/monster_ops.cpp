// Editing operations on one monster or esper entry. Every change of pixels, size or depth ends
// with the mold derived from the pixels and the entry committed into its record, so the record
// always holds what the next save writes.
#include <algorithm>

#include "monsters/monster_graphics.h"

namespace morvi {

namespace {

void copyTablePalette(const MonsterGraphics& mg, MonsterEntry& entry) {
    for (int i = 0; i < entry.colorCount; ++i)
        entry.image.setPaletteEntry(std::uint8_t(i), mg.paletteColor(std::int64_t(entry.paletteNumber) * 8 + i));
}

} // namespace

void redecodeEntries(MonsterGraphics& mg) {
    // All 415, the four unnamed ones too: an entry left stale here would be committed over a
    // shared record by the save's mold renumbering and undo an edit made through its sharer.
    for (auto& entry : mg.entries) decodeEntry(mg, entry);
}

void settleEntry(MonsterGraphics& mg, MonsterEntry& entry) {
    commitEntry(mg, entry);
    redecodeEntries(mg);
}

int freeSpace(const MonsterGraphics& mg) {
    int used = 0;
    for (int slot = 0; slot < mg.recordCount && slot < kRecordSlotCount; ++slot)
        if (mg.records[std::size_t(slot)].inUse) used += mg.records[std::size_t(slot)].size;
    return mg.spaceLimit - used;
}

void setEntryPalette(MonsterGraphics& mg, MonsterEntry& entry, int paletteNumber) {
    entry.paletteNumber = paletteNumber;
    copyTablePalette(mg, entry);
}

void blankEntry(MonsterGraphics& mg, MonsterEntry& entry) {
    entry.image.allocateImage(entry.side(), entry.side());
    copyTablePalette(mg, entry);
    deriveMold(mg, entry);
    commitEntry(mg, entry);
}

bool newEntryImage(MonsterGraphics& mg, MonsterEntry& entry) {
    if (mg.recordCount < 0 || mg.recordCount >= kRecordSlotCount) return false;
    entry.recordIndex = std::uint16_t(mg.recordCount);
    mg.records[std::size_t(mg.recordCount)].inUse = 1;
    mg.recordCount += 1;
    blankEntry(mg, entry);
    return true;
}

void flipEntry(MonsterGraphics& mg, MonsterEntry& entry, int direction) {
    entry.image.mirrorImage(direction, true);
    deriveMold(mg, entry);
    commitEntry(mg, entry);
}

void setEntryDepth(MonsterGraphics& mg, MonsterEntry& entry, int colors) {
    entry.colorCount = colors == 8 ? 8 : 16;
    commitEntry(mg, entry);
    decodeEntry(mg, entry);
}

void setEntrySize(MonsterGraphics& mg, MonsterEntry& entry, int large) {
    entry.large = large ? 1 : 0;
    deriveMold(mg, entry);
    commitEntry(mg, entry);
    decodeEntry(mg, entry);
}

bool useRecord(MonsterGraphics& mg, MonsterEntry& entry, int slot) {
    if (slot < 0 || slot >= mg.recordCount || slot >= kRecordSlotCount) return false;
    const GraphicsRecord& record = mg.records[std::size_t(slot)];
    entry.recordIndex = std::uint16_t(slot);
    entry.moldNumber = record.moldNumber;
    entry.large = record.large;
    entry.colorCount = record.colorCount;
    decodeEntry(mg, entry);
    return true;
}

int setEntryPixel(MonsterGraphics& mg, MonsterEntry& entry, int x, int y, std::uint8_t value) {
    if (entry.image.hasPixels() && entry.image.contains(x, y)) entry.image.setPixel(x, y, value);
    deriveMold(mg, entry);
    return entry.moldNumber;
}

int setEntryPixels(MonsterGraphics& mg, MonsterEntry& entry, std::span<const PixelWrite> writes) {
    if (!entry.image.hasPixels()) return 0;
    int changed = 0;
    for (const PixelWrite& w : writes) {
        if (!entry.image.contains(w.x, w.y) || entry.image.pixel(w.x, w.y) == w.value) continue;
        entry.image.setPixel(w.x, w.y, w.value);
        ++changed;
    }
    if (changed) {
        deriveMold(mg, entry);
        commitEntry(mg, entry);
    }
    return changed;
}

std::uint8_t entryPixel(const MonsterEntry& entry, int x, int y) {
    return entry.image.hasPixels() && entry.image.contains(x, y) ? entry.image.pixel(x, y) : 0;
}

void makeTransparent(MonsterGraphics& mg, MonsterEntry& entry, int k) {
    if (k < 0 || k > 255 || !entry.image.hasPixels()) return;
    const Mold& mold = mg.moldOf(entry);
    for (int y = 0; y < entry.image.height; ++y)
        for (int x = 0; x < entry.image.width; ++x)
            if (!pixelInMold(mold, entry.large, x, y)) entry.image.setPixel(x, y, std::uint8_t(k));
    entry.image.swapPaletteEntries(0, k);
    const std::int64_t base = std::int64_t(entry.paletteNumber) * 8;
    if (base >= 0 && base + k < kMonsterPaletteColors)
        std::swap(mg.palettes[std::size_t(base)], mg.palettes[std::size_t(base + k)]);
}

void copyEntry(MonsterGraphics& mg, MonsterEntry& entry, const MonsterEntry& source) {
    if (source.recordIndex == entry.recordIndex) return;
    const GraphicsRecord& from = mg.records[source.recordIndex];
    entry.moldNumber = from.moldNumber;
    entry.colorCount = from.colorCount;
    entry.large = from.large;
    entry.image.allocateImage(entry.side(), entry.side());
    const std::int64_t src = std::int64_t(source.paletteNumber) * 8, dst = std::int64_t(entry.paletteNumber) * 8;
    for (int i = 0; i < entry.colorCount; ++i)
        if (dst + i >= 0 && dst + i < kMonsterPaletteColors)
            mg.palettes[std::size_t(dst + i)] = mg.paletteColor(src + i);
    copyTablePalette(mg, entry);
    for (int y = 0; y < entry.side(); ++y)
        for (int x = 0; x < entry.side(); ++x) entry.image.setPixel(x, y, entryPixel(source, x, y));
    commitEntry(mg, entry);
}

void setEntryFromImage(MonsterGraphics& mg, MonsterEntry& entry, const IndexedImage& imported) {
    const int w = imported.width, h = imported.height;
    if (entry.large && w <= 64 && h <= 64) entry.large = 0;
    else if (!entry.large && (w > 64 || h > 64)) entry.large = 1;
    const int side = entry.side();
    // The depth follows the pixels actually used: a 16-entry file palette around an 8-colour
    // picture (every BMP and PCX export) must not turn the entry into 16 colours, and a
    // 16-colour entry that happens to use only its first 8 colours keeps its depth on the way
    // back in, so that exporting and importing an entry changes nothing.
    int highest = 0;
    for (int y = 0; y < std::min(h, side); ++y)
        for (int x = 0; x < std::min(w, side); ++x)
            if (imported.hasPixels()) highest = std::max<int>(highest, imported.pixel(x, y) & 15);
    if (highest > 7)
        entry.colorCount = 16;
    else if (imported.colorCount <= 8)
        entry.colorCount = 8;
    // Only colours the imported image has replace table colours; the others are shared with
    // other entries and keep what they hold.
    const std::int64_t base = std::int64_t(entry.paletteNumber) * 8;
    const int given = std::min<int>(entry.colorCount, imported.colorCount);
    for (int i = 0; i < given; ++i)
        if (base + i >= 0 && base + i < kMonsterPaletteColors) mg.palettes[std::size_t(base + i)] = imported.palette[std::size_t(i)];
    entry.image.allocateImage(side, side);
    copyTablePalette(mg, entry);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            entry.image.setPixel(x, y, imported.hasPixels() && imported.contains(x, y) ? imported.pixel(x, y) : 0);
    commitEntry(mg, entry);
}

Extent usedExtent(const MonsterGraphics& mg, const MonsterEntry& entry) {
    const Mold& mold = mg.moldOf(entry);
    const int side = entry.large ? kLargeMoldSide : kSmallMoldSide;
    int maxC = 0, maxR = 0;
    for (int cell = 0; cell < side * side; ++cell)
        if (mold[std::size_t(cell)]) {
            maxC = std::max(maxC, cell % side);
            maxR = std::max(maxR, cell / side);
        }
    return {8 * (maxC + 1), 8 * (maxR + 1)};
}

SpaceUse spaceUse(const MonsterGraphics& mg) {
    SpaceUse use;
    use.graphicsLimit = mg.spaceLimit;
    use.moldLimit = mg.moldSpaceLimit;
    const int slots = std::clamp(mg.recordCount, 0, kRecordSlotCount);
    std::vector<bool> used(std::size_t(kRecordSlotCount), false);
    for (const MonsterEntry& e : mg.entries)
        if (e.recordIndex < slots) used[e.recordIndex] = true;
    std::vector<bool> small(mg.smallMolds.size(), false), large(mg.largeMolds.size(), false);
    for (int slot = 0; slot < slots; ++slot) {
        if (!used[std::size_t(slot)]) continue;
        const GraphicsRecord& r = mg.records[std::size_t(slot)];
        use.graphicsUsed += r.size;
        auto& needed = r.large ? large : small;
        if (r.moldNumber >= 0 && std::size_t(r.moldNumber) < needed.size()) needed[std::size_t(r.moldNumber)] = true;
    }
    const int smallCount = int(std::count(small.begin(), small.end(), true));
    const int largeCount = int(std::count(large.begin(), large.end(), true));
    const int smallToWrite =
        smallCount < kPaddedSmallMolds && largeCount < kLargeMoldsWithoutPadding ? kPaddedSmallMolds : smallCount;
    use.moldUsed = (smallToWrite + 4 * largeCount) * 8;
    return use;
}

std::vector<int> entriesSharingPalette(const MonsterGraphics& mg, int entry) {
    std::vector<int> out;
    if (entry < 0 || entry >= kMonsterEntryCount) return out;
    const MonsterEntry& me = mg.entries[std::size_t(entry)];
    for (int e = 0; e < kMonsterEntryCount; ++e) {
        const MonsterEntry& other = mg.entries[std::size_t(e)];
        // A 16-colour entry uses two palettes of 8: any overlap shares colours.
        const int a0 = me.paletteNumber, a1 = me.paletteNumber + (me.colorCount == 16 ? 1 : 0);
        const int b0 = other.paletteNumber, b1 = other.paletteNumber + (other.colorCount == 16 ? 1 : 0);
        if (e != entry && a0 <= b1 && b0 <= a1) out.push_back(e);
    }
    return out;
}

std::vector<int> entriesSharingRecord(const MonsterGraphics& mg, int entry) {
    std::vector<int> out;
    if (entry < 0 || entry >= kMonsterEntryCount) return out;
    for (int e = 0; e < kMonsterEntryCount; ++e)
        if (e != entry && mg.entries[std::size_t(e)].recordIndex == mg.entries[std::size_t(entry)].recordIndex) out.push_back(e);
    return out;
}

} // namespace morvi

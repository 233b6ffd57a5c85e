// Writing the monster and esper graphics back: drop unused slots and molds, check every limit,
// then repack the tile data of every slot in use from the start of the graphics region and
// rewrite the molds, palettes and info records. Nothing is written unless everything fits.
#include <algorithm>

#include "rom/rom_file.h"
#include "image/snes_codec.h"
#include "monsters/monster_graphics.h"

namespace morvi {

void appendMoldBits(std::vector<std::uint8_t>& out, const Mold& mold, bool large) {
    const int cells = large ? kLargeMoldSide * kLargeMoldSide : kSmallMoldSide * kSmallMoldSide;
    for (int byte = 0; byte < cells / 8; ++byte) {
        std::uint8_t bits = 0;
        for (int k = 0; k < 8; ++k)
            if (mold[std::size_t(byte * 8 + k)]) bits |= std::uint8_t(0x80 >> k);
        out.push_back(bits);
    }
}

namespace {

bool slotHasEntry(const MonsterGraphics& mg, int slot) {
    return std::any_of(mg.entries.begin(), mg.entries.end(),
                       [&](const MonsterEntry& e) { return e.recordIndex == slot; });
}

bool moldNeeded(const MonsterGraphics& mg, int index, int kind) {
    for (int slot = 0; slot < mg.recordCount && slot < kRecordSlotCount; ++slot) {
        const GraphicsRecord& r = mg.records[std::size_t(slot)];
        if (r.inUse && r.large == kind && r.moldNumber == index) return true;
    }
    return false;
}

} // namespace

void removeMold(MonsterGraphics& mg, int index, int kind) {
    auto& table = mg.molds(kind != 0);
    if (index < 0 || std::size_t(index) >= table.size()) return;
    table.erase(table.begin() + index);
    for (auto& entry : mg.entries)
        if (entry.large == kind && entry.moldNumber > index) {
            entry.moldNumber -= 1;
            commitEntry(mg, entry);
        }
}

void pruneUnused(MonsterGraphics& mg) {
    for (int slot = 0; slot < mg.recordCount && slot < kRecordSlotCount; ++slot)
        mg.records[std::size_t(slot)].inUse = slotHasEntry(mg, slot) ? 1 : 0;
    for (int kind = 0; kind <= 1; ++kind) {
        int i = 0;
        while (std::size_t(i) < mg.molds(kind != 0).size()) {
            if (!moldNeeded(mg, i, kind))
                removeMold(mg, i, kind);
            else
                ++i;
        }
    }
}

void writeInfoRecord(const MonsterEntry& entry, std::int32_t graphicsOffset, std::uint8_t out[5]) {
    out[0] = std::uint8_t(graphicsOffset & 0xFF);
    out[1] = std::uint8_t(((graphicsOffset >> 8) & 0x7F) | (entry.colorCount == 8 ? 0x80 : 0));
    out[2] = std::uint8_t((entry.large ? 0x80 : 0) | ((entry.paletteNumber >> 8) & 0x03));
    out[3] = std::uint8_t(entry.paletteNumber & 0xFF);
    out[4] = std::uint8_t(entry.moldNumber & 0xFF);
}

bool saveMonsterGraphics(MonsterGraphics& mg, const std::string& path, const RomState& rom,
                         Notifier& notifier) {
    const int slots = std::clamp(mg.recordCount, 0, kRecordSlotCount);
    int used = 0;
    for (int slot = 0; slot < slots; ++slot)
        if (mg.records[std::size_t(slot)].inUse) used += mg.records[std::size_t(slot)].size;
    if (used > mg.spaceLimit) {
        notifier.notify(MessageKind::Warning, kMsgNoRoom);
        return false;
    }
    const int largeCount = int(mg.largeMolds.size());
    int smallToWrite = int(mg.smallMolds.size());
    if (smallToWrite < kPaddedSmallMolds && largeCount < kLargeMoldsWithoutPadding)
        smallToWrite = kPaddedSmallMolds;
    const bool moldNumberTooBig = std::any_of(mg.entries.begin(), mg.entries.end(), [](const MonsterEntry& e) {
        return e.moldNumber < 0 || e.moldNumber > kMaxStoredMoldNumber;
    });
    if ((smallToWrite + 4 * largeCount) * 8 > mg.moldSpaceLimit || moldNumberTooBig) {
        notifier.notify(MessageKind::Warning, kMsgTooMuchMold);
        return false;
    }

    // Everything is laid out in memory first; the file is touched only when all of it is ready.
    std::vector<std::int32_t> offsets(std::size_t(kRecordSlotCount), 0);
    std::vector<std::uint8_t> graphics;
    graphics.reserve(std::size_t(used));
    for (int slot = 0; slot < slots; ++slot) {
        GraphicsRecord& r = mg.records[std::size_t(slot)];
        if (!r.inUse) continue;
        offsets[std::size_t(slot)] = std::int32_t(graphics.size() / 8);
        std::vector<std::uint8_t> data = r.tileData;
        data.resize(r.size, 0);
        graphics.insert(graphics.end(), data.begin(), data.end());
    }
    std::vector<std::uint8_t> molds;
    for (int i = 0; i < smallToWrite; ++i)
        appendMoldBits(molds, std::size_t(i) < mg.smallMolds.size() ? mg.smallMolds[std::size_t(i)] : Mold{}, false);
    const std::uint32_t largeStart = kSmallMoldsOffset + std::uint32_t(molds.size());
    for (const auto& mold : mg.largeMolds) appendMoldBits(molds, mold, true);
    const std::uint16_t largePointer = std::uint16_t((largeStart - kMoldBank) & 0xFFFF);
    const std::uint8_t pointers[4] = {std::uint8_t(kSmallMoldPointer & 0xFF), std::uint8_t(kSmallMoldPointer >> 8),
                                      std::uint8_t(largePointer & 0xFF), std::uint8_t(largePointer >> 8)};
    const std::vector<std::uint8_t> palettes = encodeSnesColors(mg.palettes);
    std::vector<std::uint8_t> info(std::size_t(kMonsterEntryCount) * kInfoRecordBytes);
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        const MonsterEntry& e = mg.entries[std::size_t(i)];
        writeInfoRecord(e, offsets[e.recordIndex], &info[std::size_t(i) * kInfoRecordBytes]);
    }

    RomFile file;
    if (!file.open(path, rom)) {
        notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        return false;
    }
    bool ok = file.write(kMonsterGraphicsOffset, graphics) && file.write(kMoldPointersOffset, pointers) &&
              file.write(kSmallMoldsOffset, molds) && file.write(kMonsterPaletteOffset, palettes) &&
              file.write(kMonsterInfoOffset, info);
    ok = file.close() && ok;
    if (!ok) {
        notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        return false;
    }
    for (int slot = 0; slot < slots; ++slot)
        if (mg.records[std::size_t(slot)].inUse) mg.records[std::size_t(slot)].graphicsOffset = offsets[std::size_t(slot)];
    return true;
}

bool saveMonstersToRom(MonsterGraphics& mg, int currentEntry, const std::string& path,
                       const RomState& rom, Notifier& notifier) {
    if (currentEntry >= 0 && currentEntry < kMonsterEntryCount)
        commitEntry(mg, mg.entries[std::size_t(currentEntry)]);
    redecodeEntries(mg);
    pruneUnused(mg);
    if (!saveMonsterGraphics(mg, path, rom, notifier)) return false;
    if (!loadMonsterGraphics(mg, path, rom)) {
        notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        return false;
    }
    return true;
}

} // namespace morvi

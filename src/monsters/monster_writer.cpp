// Writing the monster and esper graphics back: drop unused slots and molds, check every limit,
// then repack the tile data of every slot in use from the start of the graphics region and
// rewrite the molds, palettes and info records. Nothing is written unless everything fits.
#include <algorithm>
#include <utility>

#include "rom/rom_buffer.h"
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

void pruneUnused(MonsterGraphics& mg, PruneTiles tiles) {
    const int slots = std::clamp(mg.recordCount, 0, kRecordSlotCount);
    std::vector<bool> hasEntry(std::size_t(kRecordSlotCount), false);
    for (const auto& entry : mg.entries)
        if (entry.recordIndex < kRecordSlotCount) hasEntry[entry.recordIndex] = true;
    for (int slot = 0; slot < slots; ++slot) mg.records[std::size_t(slot)].inUse = hasEntry[std::size_t(slot)] ? 1 : 0;

    // This ends exactly where removing every unneeded mold would, one at a time from the
    // lowest: a mold is needed while a record in use names it, and each removal renumbers the
    // entries of its size above it and re-encodes their records. Done literally, a ROM with
    // many molds and entries costs removals x entries encodings. Here:
    //  - Removals come at ever higher places, so an entry at or below one never moves again;
    //    the ones still moving all move down one per removal. An entry's number is its first
    //    number minus the removals it moved with, and its mold is the one it started with.
    //  - A moving record (one with an entry still moving) takes, at each removal, the number
    //    of its last moving entry in entry order; its name for a mold is counted in a frame that
    //    moves with the removals, so "is mold i needed" stays one lookup.
    //  - Only the last encoding of a record counts: it is done once, at the end.
    struct Encoding {
        int entry = -1;
        int kind = 0;
        std::int64_t mold = -1; // in the table before pruning; -1 for a number outside it
    };
    std::vector<Encoding> last(static_cast<std::size_t>(kRecordSlotCount));
    // The tables as they were, taken out of the model (which gets the kept molds back at the end).
    const std::vector<Mold> before[2] = {std::exchange(mg.smallMolds, {}), std::exchange(mg.largeMolds, {})};
    struct Shape {
        std::int32_t moldNumber;
        std::uint8_t large, colorCount;
    };
    std::vector<Shape> shapes;
    shapes.reserve(mg.records.size());
    for (const GraphicsRecord& r : mg.records) shapes.push_back({r.moldNumber, r.large, r.colorCount});
    for (int kind = 0; kind <= 1; ++kind) {
        const std::int64_t size = std::int64_t(before[kind].size());
        auto inRange = [&](std::int64_t n) { return n >= 0 && n < size; };
        // Records in use among the handed-out ones naming mold n: fixed ones by their number,
        // moving ones by their last moving entry's first number.
        std::vector<int> fixedNaming(std::size_t(size), 0), movingNaming(std::size_t(size), 0);
        auto counted = [&](std::size_t r) { return int(r) < slots && mg.records[r].inUse; };
        for (int slot = 0; slot < slots; ++slot) {
            const GraphicsRecord& r = mg.records[std::size_t(slot)];
            if (r.inUse && r.large == kind && inRange(r.moldNumber)) ++fixedNaming[std::size_t(r.moldNumber)];
        }
        // This kind's entries by first number, and each record's entries in entry order.
        std::vector<std::pair<std::int32_t, int>> byNumber;
        std::vector<std::vector<int>> ofRecord(static_cast<std::size_t>(kRecordSlotCount));
        for (std::size_t e = 0; e < mg.entries.size(); ++e) {
            const MonsterEntry& entry = mg.entries[e];
            if (entry.large != kind) continue;
            byNumber.emplace_back(entry.moldNumber, int(e));
            if (entry.recordIndex < kRecordSlotCount) ofRecord[entry.recordIndex].push_back(int(e));
        }
        std::sort(byNumber.begin(), byNumber.end());
        std::vector<std::int32_t> first(mg.entries.size(), 0);
        for (const auto& [number, e] : byNumber) first[std::size_t(e)] = number;
        std::vector<bool> stopped(mg.entries.size(), false);
        std::vector<std::size_t> top(std::size_t(kRecordSlotCount), 0); // moving entries of r: ofRecord[r][0 .. top)
        for (std::size_t r = 0; r < top.size(); ++r) top[r] = ofRecord[r].size();
        auto lastMoving = [&](std::size_t r) { return top[r] ? ofRecord[r][top[r] - 1] : -1; };
        auto countMoving = [&](std::size_t r, int delta) {
            const int e = lastMoving(r);
            if (e >= 0 && counted(r) && inRange(first[std::size_t(e)])) movingNaming[std::size_t(first[std::size_t(e)])] += delta;
        };
        // A record whose last moving entry has just moved `moves` times.
        auto settle = [&](std::size_t r, int e, std::int64_t moves) {
            const MonsterEntry& entry = mg.entries[std::size_t(e)];
            GraphicsRecord& record = mg.records[r];
            record.moldNumber = std::int32_t(first[std::size_t(e)] - moves);
            record.colorCount = entry.colorCount;
            record.large = entry.large;
            last[r] = {e, kind, inRange(first[std::size_t(e)]) ? first[std::size_t(e)] : -1};
        };

        // The molds kept, by their number before pruning. Removals come at ever higher places,
        // so the mold now at i was mold i + moves before.
        std::vector<std::size_t> kept;
        std::int64_t moves = 0;   // removals so far
        std::size_t next = 0;     // byNumber[0 .. next) have stopped
        std::int64_t i = 0;
        std::vector<std::size_t> touched;
        while (i + moves < size) {
            const std::int64_t shifted = i + moves;
            const bool needed = fixedNaming[std::size_t(i)] > 0 || (shifted < size && movingNaming[std::size_t(shifted)] > 0);
            if (needed) {
                kept.push_back(std::size_t(shifted));
                ++i;
                continue;
            }
            // Entries now at or below i stop where they are.
            touched.clear();
            while (next < byNumber.size() && byNumber[next].first - moves <= i) {
                const int e = byNumber[next++].second;
                stopped[std::size_t(e)] = true;
                mg.entries[std::size_t(e)].moldNumber = std::int32_t(first[std::size_t(e)] - moves);
                if (mg.entries[std::size_t(e)].recordIndex < kRecordSlotCount) touched.push_back(mg.entries[std::size_t(e)].recordIndex);
            }
            // A stopped entry is at or below i, and every later question is about a mold above
            // i, so what it or a record left with no moving entry names no longer counts: only a
            // record's new last moving entry is counted, and a record left with none keeps the
            // number its last move gave it.
            for (std::size_t r : touched) {
                const int wasLast = lastMoving(r);
                while (top[r] && stopped[std::size_t(ofRecord[r][top[r] - 1])]) --top[r];
                if (moves == 0) continue; // nothing has moved yet: see below
                if (top[r] && lastMoving(r) != wasLast)
                    countMoving(r, 1);
                else if (!top[r] && wasLast >= 0)
                    settle(r, wasLast, moves);
            }
            if (moves == 0) {
                // The first removal sets every record with a moving entry moving.
                for (std::size_t r = 0; r < top.size(); ++r) {
                    if (!top[r]) continue;
                    const GraphicsRecord& record = mg.records[r];
                    if (counted(r) && record.large == kind && inRange(record.moldNumber))
                        --fixedNaming[std::size_t(record.moldNumber)];
                    countMoving(r, 1);
                }
            }
            ++moves;
        }
        for (std::size_t k = next; k < byNumber.size(); ++k) {
            const int e = byNumber[k].second;
            mg.entries[std::size_t(e)].moldNumber = std::int32_t(first[std::size_t(e)] - moves);
        }
        if (moves > 0)
            for (std::size_t r = 0; r < top.size(); ++r)
                if (top[r]) settle(r, lastMoving(r), moves);
        auto& table = mg.molds(kind != 0);
        table.clear();
        for (std::size_t k : kept) table.push_back(before[kind][k]);
    }
    for (std::size_t slot = 0; slot < last.size(); ++slot) {
        const Encoding& enc = last[slot];
        if (enc.entry < 0) continue;
        const MonsterEntry& entry = mg.entries[std::size_t(enc.entry)];
        const Mold& mold = moldAt(before[enc.kind], enc.mold);
        const Shape& was = shapes[slot];
        const bool recordsOwnShape = enc.mold >= 0 && enc.mold == was.moldNumber && entry.large == was.large &&
                                     entry.colorCount == was.colorCount && mg.records[slot].size == tileDataSize(mold, entry);
        if (tiles == PruneTiles::keepWhereShapeMatches && recordsOwnShape) continue;
        encodeRecord(mg.records[slot], entry, mold);
    }
}

void writeInfoRecord(const MonsterEntry& entry, std::int32_t graphicsOffset, std::uint8_t out[5]) {
    out[0] = std::uint8_t(graphicsOffset & 0xFF);
    out[1] = std::uint8_t(((graphicsOffset >> 8) & 0x7F) | (entry.colorCount == 8 ? 0x80 : 0));
    out[2] = std::uint8_t((entry.large ? 0x80 : 0) | ((entry.paletteNumber >> 8) & 0x03));
    out[3] = std::uint8_t(entry.paletteNumber & 0xFF);
    out[4] = std::uint8_t(entry.moldNumber & 0xFF);
}

bool saveMonsterGraphics(MonsterGraphics& mg, RomBuffer& file, Notifier& notifier) {
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

    const bool ok = file.write(kMonsterGraphicsOffset, graphics) && file.write(kMoldPointersOffset, pointers) &&
                    file.write(kSmallMoldsOffset, molds) && file.write(kMonsterPaletteOffset, palettes) &&
                    file.write(kMonsterInfoOffset, info);
    if (!ok) {
        notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        return false;
    }
    for (int slot = 0; slot < slots; ++slot)
        if (mg.records[std::size_t(slot)].inUse) mg.records[std::size_t(slot)].graphicsOffset = offsets[std::size_t(slot)];
    return true;
}

void prepareMonstersForSave(MonsterGraphics& mg, int currentEntry) {
    if (currentEntry >= 0 && currentEntry < kMonsterEntryCount)
        commitEntry(mg, mg.entries[std::size_t(currentEntry)]);
    // The save writes the records' tiles and takes from each entry only its record's shape.
    // An entry whose shape its record has changed (through an entry sharing it) is decoded
    // again. The others keep their pictures, even one older than an edit made through another
    // entry of its record: pruning leaves the tiles of a record whose entry has its shape, as
    // encoding a picture decoded from them would give them back.
    for (auto& entry : mg.entries) {
        const GraphicsRecord& record = mg.recordOf(entry);
        if (entry.moldNumber != record.moldNumber || entry.large != record.large || entry.colorCount != record.colorCount ||
            entry.image.width != entry.side() || entry.image.height != entry.side())
            decodeEntry(mg, entry);
    }
    pruneUnused(mg, PruneTiles::keepWhereShapeMatches);
}

bool writeMonstersToRom(MonsterGraphics& mg, int currentEntry, RomBuffer& file, Notifier& notifier) {
    prepareMonstersForSave(mg, currentEntry);
    return saveMonsterGraphics(mg, file, notifier);
}

bool reloadMonstersFrom(MonsterGraphics& mg, const RomBytes& written) {
    // The model becomes what the new file holds, as a fresh open of it would read it.
    return loadMonsterGraphics(mg, written);
}

bool saveMonstersToRom(MonsterGraphics& mg, int currentEntry, RomBuffer& file, Notifier& notifier) {
    if (!writeMonstersToRom(mg, currentEntry, file, notifier)) return false;
    if (!reloadMonstersFrom(mg, file.bytes())) {
        notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        return false;
    }
    return true;
}

bool saveMonsterGraphics(MonsterGraphics& mg, const std::string& path, const RomState& rom, Notifier& notifier) {
    return saveFamilyToFile(path, rom.romHasHeader, notifier, kMsgMonsterSaveError,
                            [&](RomBuffer& file) { return saveMonsterGraphics(mg, file, notifier); });
}

bool saveMonstersToRom(MonsterGraphics& mg, int currentEntry, const std::string& path, const RomState& rom,
                       Notifier& notifier) {
    return saveFamilyToFile(path, rom.romHasHeader, notifier, kMsgMonsterSaveError,
                            [&](RomBuffer& file) { return saveMonstersToRom(mg, currentEntry, file, notifier); });
}

} // namespace morvi

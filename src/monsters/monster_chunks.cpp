// The monster graphics cut into chunks for the edit history: the header, the palette table,
// each graphics record, each entry and each mold.
#include <algorithm>

#include "family/chunk_codec.h"
#include "monsters/monster_module.h"

namespace morvi {

namespace {

// Chunk numbers: one range per kind of part.
constexpr ChunkId kHeaderChunk = 0;
constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kRecordChunks = 0x10000;  // graphics records
constexpr ChunkId kEntryChunks = 0x20000;   // entries
constexpr ChunkId kSmallMoldChunks = 0x30000;
constexpr ChunkId kLargeMoldChunks = 0x40000;
constexpr ChunkId kRangeMask = kChunkRangeMask;


std::vector<std::uint8_t> monsterHeader(const MonsterGraphics& mg) {
    ChunkOut o;
    o.i32(mg.recordCount);
    o.i32(mg.spaceLimit);
    o.i32(mg.moldSpaceLimit);
    o.i32(std::int64_t(mg.smallMolds.size()));
    o.i32(std::int64_t(mg.largeMolds.size()));
    return std::move(o.bytes);
}

std::vector<std::uint8_t> recordChunk(const GraphicsRecord& r) {
    ChunkOut o;
    o.u8(r.colorCount);
    o.i32(r.moldNumber);
    o.u8(r.large);
    o.i32(r.size);
    o.i32(r.graphicsOffset);
    o.u8(r.inUse);
    o.raw(r.tileData);
    return std::move(o.bytes);
}

std::vector<std::uint8_t> entryChunk(const MonsterEntry& e) {
    ChunkOut o;
    o.text(e.name);
    o.i32(e.recordIndex);
    o.i32(e.paletteNumber);
    o.u8(e.colorCount);
    o.i32(e.moldNumber);
    o.u8(e.large);
    o.i32(e.graphicsOffset);
    o.image(e.image);
    return std::move(o.bytes);
}

std::vector<std::uint8_t> moldChunk(const Mold& m) { return std::vector<std::uint8_t>(m.begin(), m.end()); }

} // namespace

// Every chunk id of the pool, in ascending order.
std::vector<ChunkId> monsterChunkIds(const MonsterGraphics& mg) {
    std::vector<ChunkId> ids = {kHeaderChunk, kPaletteChunk};
    for (std::size_t r = 0; r < mg.records.size(); ++r) ids.push_back(kRecordChunks + ChunkId(r));
    for (std::size_t e = 0; e < mg.entries.size(); ++e) ids.push_back(kEntryChunks + ChunkId(e));
    for (std::size_t i = 0; i < mg.smallMolds.size(); ++i) ids.push_back(kSmallMoldChunks + ChunkId(i));
    for (std::size_t i = 0; i < mg.largeMolds.size(); ++i) ids.push_back(kLargeMoldChunks + ChunkId(i));
    return ids;
}

std::optional<std::vector<std::uint8_t>> monsterChunk(const MonsterGraphics& mg, ChunkId id) {
    const ChunkId range = id & kRangeMask, i = id & ~kRangeMask;
    if (id == kHeaderChunk) return monsterHeader(mg);
    if (id == kPaletteChunk) return paletteChunk(mg.palettes);
    if (range == kRecordChunks && i < mg.records.size()) return recordChunk(mg.records[i]);
    if (range == kEntryChunks && i < mg.entries.size()) return entryChunk(mg.entries[i]);
    if (range == kSmallMoldChunks && i < mg.smallMolds.size()) return moldChunk(mg.smallMolds[i]);
    if (range == kLargeMoldChunks && i < mg.largeMolds.size()) return moldChunk(mg.largeMolds[i]);
    return std::nullopt;
}

void restoreMonsterChunk(MonsterGraphics& mg, const Chunk& c) {
    const ChunkId range = c.first & kRangeMask, i = c.first & ~kRangeMask;
    if (!c.second) return; // a mold that must not exist: the header has cut its table already
    ChunkIn in(*c.second);
    if (c.first == kHeaderChunk) {
        mg.recordCount = in.i32();
        mg.spaceLimit = in.i32();
        mg.moldSpaceLimit = in.i32();
        mg.smallMolds.resize(std::size_t(std::max(0, in.i32())));
        mg.largeMolds.resize(std::size_t(std::max(0, in.i32())));
    } else if (c.first == kPaletteChunk) {
        in.colors(mg.palettes.data(), mg.palettes.size());
    } else if (range == kRecordChunks && i < mg.records.size()) {
        GraphicsRecord& r = mg.records[i];
        r.colorCount = in.u8();
        r.moldNumber = in.i32();
        r.large = in.u8();
        r.size = std::uint16_t(in.i32());
        r.graphicsOffset = in.i32();
        r.inUse = in.u8();
        r.tileData = in.raw();
    } else if (range == kEntryChunks && i < mg.entries.size()) {
        MonsterEntry& e = mg.entries[i];
        e.name = in.text();
        e.recordIndex = std::uint16_t(in.i32());
        e.paletteNumber = in.i32();
        e.colorCount = in.u8();
        e.moldNumber = in.i32();
        e.large = in.u8();
        e.graphicsOffset = std::uint16_t(in.i32());
        in.image(e.image);
    } else if ((range == kSmallMoldChunks || range == kLargeMoldChunks)) {
        auto& table = range == kSmallMoldChunks ? mg.smallMolds : mg.largeMolds;
        if (i < table.size()) std::copy_n(c.second->begin(), std::min(c.second->size(), table[i].size()), table[i].begin());
    }
}

std::vector<ChunkId> monsterPictureChunkIds(const MonsterGraphics& mg, int picture) {
    const MonsterEntry& entry = mg.entries[std::size_t(std::clamp(picture, 0, kMonsterEntryCount - 1))];
    // Deriving the mold may add one at the end of its table, which the header counts.
    return {kHeaderChunk, kRecordChunks + ChunkId(entry.recordIndex),
            kEntryChunks + ChunkId(std::clamp(picture, 0, kMonsterEntryCount - 1)),
            kSmallMoldChunks + ChunkId(mg.smallMolds.size()), kLargeMoldChunks + ChunkId(mg.largeMolds.size())};
}

} // namespace morvi

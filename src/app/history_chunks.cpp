// How each family's model is cut into chunks and put back from them: the byte forms of a
// palette, a monster record, entry and mold, a portrait and a character, and the snapshots the
// edit history compares.
#include "app/history.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "app/workspace.h"

namespace morvi {

namespace {

// Chunk numbers: one range per kind of part.
constexpr ChunkId kHeaderChunk = 0;
constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kTileTableChunk = 2;
constexpr ChunkId kRecordChunks = 0x10000;  // monsters: graphics records
constexpr ChunkId kEntryChunks = 0x20000;   // monsters: entries
constexpr ChunkId kSmallMoldChunks = 0x30000;
constexpr ChunkId kLargeMoldChunks = 0x40000;
constexpr ChunkId kItemChunks = 0x10000;    // portraits and characters: one per picture
constexpr ChunkId kRangeMask = 0xFFFF0000;

class Out {
public:
    std::vector<std::uint8_t> bytes;
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void i32(std::int64_t v) {
        const auto u = std::uint32_t(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(u >> (8 * i)));
    }
    void raw(const std::uint8_t* p, std::size_t n) {
        i32(std::int64_t(n));
        bytes.insert(bytes.end(), p, p + n);
    }
    template <typename C>
    void raw(const C& c) { raw(c.data(), c.size()); }
    void text(const std::string& s) { raw(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }
    void colors(const PaletteColor* c, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            u8(c[i].blue);
            u8(c[i].green);
            u8(c[i].red);
        }
    }
    void image(const IndexedImage& im) {
        i32(im.width);
        i32(im.height);
        i32(im.colorCount);
        raw(im.pixels);
        colors(im.palette.data(), im.palette.size());
    }
};

// Reads what Out wrote; a chunk cut short reads as zeros rather than past its end.
class In {
public:
    explicit In(const std::vector<std::uint8_t>& b) : m_b(b) {}
    std::uint8_t u8() { return m_at < m_b.size() ? m_b[m_at++] : 0; }
    std::int32_t i32() {
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= std::uint32_t(u8()) << (8 * i);
        return std::int32_t(u);
    }
    std::vector<std::uint8_t> raw() {
        const std::size_t n = std::min<std::size_t>(std::uint32_t(i32()), m_b.size() - std::min(m_at, m_b.size()));
        std::vector<std::uint8_t> out(m_b.begin() + std::ptrdiff_t(m_at), m_b.begin() + std::ptrdiff_t(m_at + n));
        m_at += n;
        return out;
    }
    template <std::size_t N>
    void raw(std::array<std::uint8_t, N>& out) {
        const auto v = raw();
        out.fill(0);
        std::copy_n(v.begin(), std::min(v.size(), N), out.begin());
    }
    std::string text() {
        const auto v = raw();
        return std::string(v.begin(), v.end());
    }
    void colors(PaletteColor* c, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            c[i].blue = u8();
            c[i].green = u8();
            c[i].red = u8();
        }
    }
    void image(IndexedImage& im) {
        im.width = i32();
        im.height = i32();
        im.colorCount = i32();
        im.pixels = raw();
        colors(im.palette.data(), im.palette.size());
    }

private:
    const std::vector<std::uint8_t>& m_b;
    std::size_t m_at = 0;
};

std::vector<std::uint8_t> paletteChunk(std::span<const PaletteColor> colors) {
    Out o;
    o.colors(colors.data(), colors.size());
    return std::move(o.bytes);
}

// --- monsters ---

std::vector<std::uint8_t> monsterHeader(const MonsterGraphics& mg) {
    Out o;
    o.i32(mg.recordCount);
    o.i32(mg.spaceLimit);
    o.i32(mg.moldSpaceLimit);
    o.i32(std::int64_t(mg.smallMolds.size()));
    o.i32(std::int64_t(mg.largeMolds.size()));
    return std::move(o.bytes);
}

std::vector<std::uint8_t> recordChunk(const GraphicsRecord& r) {
    Out o;
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
    Out o;
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

// Every chunk id of the pool, in ascending order.
std::vector<ChunkId> monsterIds(const MonsterGraphics& mg) {
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
    In in(*c.second);
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

// --- portraits ---

std::vector<std::uint8_t> portraitChunk(const PortraitRecord& p) {
    Out o;
    o.image(p.image);
    o.raw(p.raw);
    o.u8(p.paletteNumber);
    o.u8(p.storedNumber);
    return std::move(o.bytes);
}

std::optional<std::vector<std::uint8_t>> portraitSetChunk(const PortraitSet& set, ChunkId id) {
    if (id == kPaletteChunk) return paletteChunk(set.palettes);
    const ChunkId i = id & ~kRangeMask;
    if ((id & kRangeMask) == kItemChunks && i < set.portraits.size()) return portraitChunk(set.portraits[i]);
    return std::nullopt;
}

void restorePortraitChunk(PortraitSet& set, const Chunk& c) {
    if (!c.second) return;
    In in(*c.second);
    const ChunkId i = c.first & ~kRangeMask;
    if (c.first == kPaletteChunk) {
        in.colors(set.palettes.data(), set.palettes.size());
    } else if ((c.first & kRangeMask) == kItemChunks && i < set.portraits.size()) {
        PortraitRecord& p = set.portraits[i];
        in.image(p.image);
        in.raw(p.raw);
        p.paletteNumber = in.u8();
        p.storedNumber = in.u8();
    }
}

// --- characters ---

std::vector<std::uint8_t> characterChunk(const CharacterSprites& ch) {
    Out o;
    for (const auto& s : ch.sprites) o.image(s);
    o.raw(ch.tileStore);
    o.u8(ch.paletteNumber);
    o.u8(ch.storedNumber);
    o.i32(ch.tileAddress);
    o.u8(ch.fixedPalette ? 1 : 0);
    return std::move(o.bytes);
}

std::optional<std::vector<std::uint8_t>> characterSetChunk(const CharacterSet& set, ChunkId id) {
    if (id == kPaletteChunk) return paletteChunk(set.palettes);
    if (id == kTileTableChunk) {
        Out t;
        for (std::uint16_t v : set.tileTable) t.i32(v);
        return std::move(t.bytes);
    }
    const ChunkId i = id & ~kRangeMask;
    if ((id & kRangeMask) == kItemChunks && i < set.characters.size()) return characterChunk(set.characters[i]);
    return std::nullopt;
}

void restoreCharacterChunk(CharacterSet& set, const Chunk& c) {
    if (!c.second) return;
    In in(*c.second);
    const ChunkId i = c.first & ~kRangeMask;
    if (c.first == kPaletteChunk) {
        in.colors(set.palettes.data(), set.palettes.size());
    } else if (c.first == kTileTableChunk) {
        for (auto& v : set.tileTable) v = std::uint16_t(in.i32());
    } else if ((c.first & kRangeMask) == kItemChunks && i < set.characters.size()) {
        CharacterSprites& ch = set.characters[i];
        for (auto& s : ch.sprites) in.image(s);
        ch.tileStore = in.raw();
        ch.paletteNumber = in.u8();
        ch.storedNumber = in.u8();
        ch.tileAddress = std::uint32_t(in.i32());
        ch.fixedPalette = in.u8() != 0;
    }
}

std::optional<std::vector<std::uint8_t>> chunkOf(const Workspace& ws, Family family, ChunkId id) {
    switch (family) {
    case Family::Monsters: return monsterChunk(ws.monsters, id);
    case Family::Portraits: return portraitSetChunk(ws.portraits, id);
    default: return characterSetChunk(ws.characters, id);
    }
}

// Every chunk id of a family, in ascending order.
std::vector<ChunkId> chunkIds(const Workspace& ws, Family family) {
    std::vector<ChunkId> ids;
    switch (family) {
    case Family::Monsters: return monsterIds(ws.monsters);
    case Family::Portraits:
        ids.push_back(kPaletteChunk);
        for (std::size_t i = 0; i < ws.portraits.portraits.size(); ++i) ids.push_back(kItemChunks + ChunkId(i));
        break;
    case Family::Characters:
        ids = {kPaletteChunk, kTileTableChunk};
        for (std::size_t i = 0; i < ws.characters.characters.size(); ++i) ids.push_back(kItemChunks + ChunkId(i));
        break;
    }
    return ids;
}

} // namespace

Snapshot takeSnapshot(const Workspace& ws, Family family, const std::vector<ChunkId>& ids) {
    Snapshot s;
    s.reserve(ids.size());
    for (ChunkId id : ids) s.emplace_back(id, chunkOf(ws, family, id));
    return s;
}

Snapshot takeSnapshot(const Workspace& ws, Family family) { return takeSnapshot(ws, family, chunkIds(ws, family)); }

std::vector<Chunk> changedChunks(const Snapshot& before, const Snapshot& after) {
    std::vector<Chunk> out;
    std::size_t a = 0, b = 0;
    while (a < before.size() || b < after.size()) {
        if (b == after.size() || (a < before.size() && before[a].first < after[b].first)) {
            out.push_back(before[a++]);
        } else if (a == before.size() || after[b].first < before[a].first) {
            out.emplace_back(after[b++].first, std::nullopt); // did not exist before
        } else {
            if (before[a].second != after[b].second) out.push_back(before[a]);
            ++a, ++b;
        }
    }
    return out;
}

void restoreChunks(Workspace& ws, Family family, const std::vector<Chunk>& chunks) {
    // Sorted by id, so the header (which sizes the mold tables) comes first.
    for (const Chunk& c : chunks) {
        switch (family) {
        case Family::Monsters: restoreMonsterChunk(ws.monsters, c); break;
        case Family::Portraits: restorePortraitChunk(ws.portraits, c); break;
        case Family::Characters: restoreCharacterChunk(ws.characters, c); break;
        }
    }
}

std::vector<Chunk> currentChunks(const Workspace& ws, Family family, const std::vector<Chunk>& ids) {
    std::vector<Chunk> out;
    out.reserve(ids.size());
    for (const Chunk& c : ids) out.emplace_back(c.first, chunkOf(ws, family, c.first));
    return out;
}

std::vector<ChunkId> pictureChunkIds(const Workspace& ws, Family family, int picture) {
    if (family != Family::Monsters) return {kItemChunks + ChunkId(std::max(0, picture))};
    const MonsterGraphics& mg = ws.monsters;
    const MonsterEntry& entry = mg.entries[std::size_t(std::clamp(picture, 0, kMonsterEntryCount - 1))];
    // Deriving the mold may add one at the end of its table, which the header counts.
    return {kHeaderChunk, kRecordChunks + ChunkId(entry.recordIndex),
            kEntryChunks + ChunkId(std::clamp(picture, 0, kMonsterEntryCount - 1)),
            kSmallMoldChunks + ChunkId(mg.smallMolds.size()), kLargeMoldChunks + ChunkId(mg.largeMolds.size())};
}

} // namespace morvi

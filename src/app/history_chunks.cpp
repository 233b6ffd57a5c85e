// The snapshots the edit history compares: a family's chunks, as its module cuts them, taken,
// compared and put back.
#include "app/history.h"

#include "family/workspace.h"

namespace morvi {

Snapshot takeSnapshot(const Workspace& ws, Family family, const std::vector<ChunkId>& ids) {
    Snapshot s;
    s.reserve(ids.size());
    for (ChunkId id : ids) s.emplace_back(id, family->chunk(ws, id));
    return s;
}

Snapshot takeSnapshot(const Workspace& ws, Family family) { return takeSnapshot(ws, family, family->chunkIds(ws)); }

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
    for (const Chunk& c : chunks) family->restoreChunk(ws, c);
}

std::vector<Chunk> currentChunks(const Workspace& ws, Family family, const std::vector<Chunk>& ids) {
    std::vector<Chunk> out;
    out.reserve(ids.size());
    for (const Chunk& c : ids) out.emplace_back(c.first, family->chunk(ws, c.first));
    return out;
}

std::vector<ChunkId> pictureChunkIds(const Workspace& ws, Family family, int picture) {
    return family->pictureChunkIds(ws, picture);
}

} // namespace morvi

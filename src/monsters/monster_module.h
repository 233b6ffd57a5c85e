#pragma once
// The monsters and espers as a family of the program: the module the registry lists, the
// picture source the editor edits an entry through, and the entry's picture files.
#include <span>
#include <string>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "monsters/monster_graphics.h"

namespace morvi {

constexpr int kMonsterImportSide = 128;

Family monsterFamily();
MonsterGraphics& monstersOf(Workspace& ws);
const MonsterGraphics& monstersOf(const Workspace& ws);

bool exportMonsterEntry(const MonsterGraphics& mg, int entry, const std::string& path, ExportFileType type);
void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image);

// A monster or esper entry. The rule of the family: an edited entry's record takes its pixels
// and the entries sharing the record show them, when another entry shows and before a save.
class MonsterSource : public PictureSource {
public:
    using PictureSource::PictureSource;
    Family family() const override { return monsterFamily(); }
    const IndexedImage& picture() const override;
    bool writePixels(std::span<const PixelWrite> writes) override;
    bool clear() override;
    bool flip(bool vertical) override;
    PictureLimits importLimits() const override;
    std::string importPicture(const IndexedImage& image) override;
    IndexedImage clipboardPicture() const override;
    void edited() override { m_edited = true; }
    void settle() override;
    void restored() override;
    void saved() override { m_edited = false; }
    MonsterEntry& entry() const { return monstersOf(m_ws).entries[std::size_t(m_index)]; }

private:
    bool m_edited = false;
};

namespace demo {
// The demo ROM's monsters and espers: shapes of both sizes and depths, shared records and
// palettes, molds, drawn in code.
void addDemoMonsters(RomImage& rom);
} // namespace demo

// Undo chunks of the monster graphics (monster_chunks.cpp).
std::vector<ChunkId> monsterChunkIds(const MonsterGraphics& mg);
std::optional<std::vector<std::uint8_t>> monsterChunk(const MonsterGraphics& mg, ChunkId id);
void restoreMonsterChunk(MonsterGraphics& mg, const Chunk& chunk);
std::vector<ChunkId> monsterPictureChunkIds(const MonsterGraphics& mg, int picture);

} // namespace morvi

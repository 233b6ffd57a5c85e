// The monsters and espers as a family: names and tabs, the ROM reader and writer through the
// save, the palette rules (an entry shows 8 or 16 colours of one table from its palette number),
// the picture files, and the picture source the editor edits an entry through.
#include "monsters/monster_module.h"

#include <algorithm>
#include <array>

#include "family/palette_target.h"
#include "family/picture_files.h"
#include "image/region.h"
#include "rom/rom_buffer.h"

namespace morvi {

namespace {

struct MonsterData final : FamilyData {
    MonsterGraphics graphics;
};

using Renumber = std::array<std::uint8_t, 256>;

Renumber identity() {
    Renumber r{};
    for (int v = 0; v < 256; ++v) r[std::size_t(v)] = std::uint8_t(v);
    return r;
}

// Monster colours live in one table of 8-colour palettes; an entry shows the 8 or 16 starting
// at its palette number x 8. slotMove[s] is where the colour at table slot s went.
Renumber entryRenumber(const MonsterEntry& e, const std::vector<std::pair<std::int64_t, std::int64_t>>& moved) {
    Renumber r = identity();
    const std::int64_t base = std::int64_t(e.paletteNumber) * 8, count = e.colorCount == 8 ? 8 : 16;
    for (const auto& [from, to] : moved) {
        const std::int64_t a = from - base, b = to - base;
        // A colour that left this entry's window cannot be followed: those pixels keep their number.
        if (a >= 0 && a < count && b >= 0 && b < count) r[std::size_t(a)] = std::uint8_t(b);
    }
    return r;
}

void renumberMonsters(MonsterGraphics& mg, int current, const std::vector<std::pair<std::int64_t, std::int64_t>>& moved) {
    std::vector<int> entries{current};
    for (int e : entriesSharingPalette(mg, current)) entries.push_back(e);
    std::vector<bool> recordDone(kRecordSlotCount, false);
    const Renumber same = identity();
    for (int index : entries) {
        MonsterEntry& e = mg.entries[std::size_t(index)];
        if (e.recordIndex >= kRecordSlotCount || recordDone[e.recordIndex] || !e.image.hasPixels()) continue;
        const Renumber r = entryRenumber(e, moved);
        if (r == same) continue;
        // The record is renumbered once, by the first entry that needs it (the edited one first).
        recordDone[e.recordIndex] = true;
        const Mold& mold = mg.moldOf(e);
        for (int y = 0; y < e.image.height; ++y)
            for (int x = 0; x < e.image.width; ++x)
                // Cells outside the mold are not part of the picture and stay transparent.
                if (pixelInMold(mold, e.large, x, y)) e.image.setPixel(x, y, r[e.image.pixel(x, y)]);
        deriveMold(mg, e);
        commitEntry(mg, e);
        for (auto& other : mg.entries)
            if (&other != &e && other.recordIndex == e.recordIndex) decodeEntry(mg, other);
    }
}


class MonsterModule final : public FamilyModule {
public:
    std::string_view cliName() const override { return "monster"; }
    std::string_view title() const override { return "monsters"; }
    int pictureCount() const override { return kMonsterEntryCount; }
    std::vector<FamilyTab> tabs() const override { return {{"Monsters", 0}, {"Espers", kFirstEsper}}; }
    std::string pictureName(const Workspace& ws, int picture) const override {
        return monstersOf(ws).entries[std::size_t(picture)].name;
    }

    std::unique_ptr<FamilyData> makeData() const override { return std::make_unique<MonsterData>(); }
    bool canLoad(const RomBytes& rom) const override { return canLoadMonsterGraphics(rom); }
    bool load(Workspace& ws, const RomBytes& rom) const override { return loadMonsterGraphics(monstersOf(ws), rom); }
    void prepareSave(Workspace& ws, int shown) const override { prepareMonstersForSave(monstersOf(ws), shown); }
    bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const override {
        return saveMonsterGraphics(monstersOf(ws), buffer, notifier);
    }
    WrittenCheck checkWritten(Workspace& ws, const RomBytes& result) const override {
        // The graphics are read back whole: the model becomes what the file holds.
        if (reloadMonstersFrom(monstersOf(ws), result)) return {};
        return {false, kMsgMonsterSaveError};
    }
    CopyWrite writeCopy(const Workspace& ws, int shown, RomBuffer& buffer, Notifier& notifier) const override {
        MonsterGraphics monsters = monstersOf(ws);
        prepareMonstersForSave(monsters, shown);
        // A copy whose graphics would not read back is refused as a save would be, silently.
        if (!saveMonsterGraphics(monsters, buffer, notifier) || !reloadMonstersFrom(monsters, buffer.bytes())) return CopyWrite::Refused;
        return CopyWrite::Written;
    }
    void addDemo(RomImage& rom) const override { demo::addDemoMonsters(rom); }
    std::vector<std::pair<std::string, std::string>> info(const Workspace& ws) const override {
        const MonsterGraphics& mg = monstersOf(ws);
        int large = 0, eight = 0;
        for (const auto& e : mg.entries) {
            large += e.large;
            eight += e.colorCount == 8;
        }
        return {{"free space", std::to_string(freeSpace(mg))},
                {"records", std::to_string(mg.recordCount)},
                {"small molds", std::to_string(mg.smallMolds.size())},
                {"large molds", std::to_string(mg.largeMolds.size())},
                {"large entries", std::to_string(large)},
                {"8-colour entries", std::to_string(eight)}};
    }

    std::vector<ChunkId> chunkIds(const Workspace& ws) const override { return monsterChunkIds(monstersOf(ws)); }
    std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const override {
        return monsterChunk(monstersOf(ws), id);
    }
    void restoreChunk(Workspace& ws, const Chunk& c) const override { restoreMonsterChunk(monstersOf(ws), c); }
    std::vector<ChunkId> pictureChunkIds(const Workspace& ws, int picture) const override {
        return monsterPictureChunkIds(monstersOf(ws), picture);
    }

    int colorCount(const Workspace& ws, int picture) const override {
        return monstersOf(ws).entries[std::size_t(picture)].colorCount == 8 ? 8 : 16;
    }
    PaletteColor* storedColor(Workspace& ws, int picture, int k) const override {
        MonsterGraphics& mg = monstersOf(ws);
        const MonsterEntry& e = mg.entries[std::size_t(picture)];
        const std::int64_t at = std::int64_t(e.paletteNumber) * 8 + k;
        if (k < 0 || k >= (e.colorCount == 8 ? 8 : 16) || at < 0 || at >= kMonsterPaletteColors) return nullptr;
        return &mg.palettes[std::size_t(at)];
    }
    void paletteChanged(Workspace& ws, int) const override {
        MonsterGraphics& mg = monstersOf(ws);
        for (auto& e : mg.entries) setEntryPalette(mg, e, e.paletteNumber);
    }
    void swapWithTransparent(Workspace& ws, int picture, int k) const override {
        MonsterGraphics& mg = monstersOf(ws);
        MonsterEntry& e = mg.entries[std::size_t(picture)];
        makeTransparent(mg, e, k);
        commitEntry(mg, e);
    }
    void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const override {
        MonsterGraphics& mg = monstersOf(ws);
        const std::int64_t base = std::int64_t(mg.entries[std::size_t(picture)].paletteNumber) * 8;
        std::vector<std::pair<std::int64_t, std::int64_t>> moved;
        for (std::size_t k = 0; k < order.size(); ++k)
            if (order[k] != int(k)) moved.emplace_back(base + order[k], base + std::int64_t(k));
        renumberMonsters(mg, picture, moved);
    }
    std::uint32_t colorsUsed(const Workspace& ws, int picture) const override {
        return pixelColors(monstersOf(ws).entries[std::size_t(picture)].image);
    }

    std::unique_ptr<PictureSource> makeSource(Workspace& ws) const override { return std::make_unique<MonsterSource>(ws); }

    std::vector<FileFolder> fileFolders() const override {
        return {{"monsters", 3, 0, kFirstEsper - 1}, {"espers", 3, kFirstEsper, kMonsterEntryCount - 1}};
    }
    std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const override {
        if (choice.type == ExportFileType::Raw) return "monsters have no raw form; use a .png, .bmp or .pcx picture";
        return exportMonsterEntry(monstersOf(ws), picture, path, choice.type) ? "" : "cannot write the file";
    }
};

const MonsterModule kModule;

} // namespace

Family monsterFamily() { return &kModule; }
MonsterGraphics& monstersOf(Workspace& ws) { return familyData<MonsterData>(ws, &kModule).graphics; }
const MonsterGraphics& monstersOf(const Workspace& ws) { return familyData<MonsterData>(ws, &kModule).graphics; }

bool exportMonsterEntry(const MonsterGraphics& mg, int entry, const std::string& path, ExportFileType type) {
    const MonsterEntry& e = mg.entries[std::size_t(entry)];
    // Palette entries past the entry's colours hold nothing of the entry: written as black, so
    // the same entry always exports to the same bytes.
    IndexedImage copy = e.image;
    for (int i = e.colorCount; i < 256; ++i) copy.palette[std::size_t(i)] = PaletteColor{};
    const Extent x = usedExtent(mg, e);
    return writePictureFile(copy, path, type, x.width, x.height);
}

void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image) {
    MonsterEntry& e = mg.entries[std::size_t(entry)];
    setEntryFromImage(mg, e, image);
    deriveMold(mg, e);
    commitEntry(mg, e);
}


const IndexedImage& MonsterSource::picture() const { return entry().image; }

bool MonsterSource::writePixels(std::span<const PixelWrite> writes) {
    if (setEntryPixels(monstersOf(m_ws), entry(), writes) == 0) return false;
    m_edited = true;
    return true;
}

bool MonsterSource::clear() {
    m_edited = true;
    return changes([&] { return entry().image.pixels; }, [&] { blankEntry(monstersOf(m_ws), entry()); });
}

bool MonsterSource::flip(bool vertical) {
    m_edited = true;
    return changes([&] { return entry().image.pixels; }, [&] { flipEntry(monstersOf(m_ws), entry(), vertical ? 1 : 0); });
}

PictureLimits MonsterSource::importLimits() const {
    PictureLimits limits{kMonsterImportSide, kMonsterImportSide, true};
    limits.colors = entry().colorCount == 8 ? 8 : 16;
    return limits;
}

std::string MonsterSource::importPicture(const IndexedImage& image) {
    importMonsterEntry(monstersOf(m_ws), m_index, image);
    m_edited = true;
    return "";
}

IndexedImage MonsterSource::clipboardPicture() const {
    const Extent used = usedExtent(monstersOf(m_ws), entry());
    return copyRegion(entry().image, {0, 0, used.width, used.height});
}

void MonsterSource::settle() {
    if (!m_edited) return;
    m_edited = false;
    settleEntry(monstersOf(m_ws), entry());
}

void MonsterSource::restored() {
    // Entries sharing a restored record or palette show it again.
    m_edited = false;
    redecodeEntries(monstersOf(m_ws));
}

} // namespace morvi

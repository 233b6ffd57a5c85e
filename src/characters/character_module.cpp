// The character sprite sheets as a family: 22 characters of 43 poses built from shared tiles,
// on palettes they may share (Esper Terra's fixed).
#include "characters/character_module.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include "family/chunk_codec.h"
#include "family/palette_target.h"
#include "rom/rom_buffer.h"
#include "rom/rom_file.h"

namespace morvi {

namespace {

struct CharacterData final : FamilyData {
    CharacterSet set;
    // The tiles a save encodes while the file is read.
    CharacterTiles pending;
};

constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kTileTableChunk = 2;
constexpr ChunkId kItemChunks = 0x10000; // one a character
constexpr ChunkId kRangeMask = kChunkRangeMask;


std::vector<std::uint8_t> characterChunk(const CharacterSprites& ch) {
    ChunkOut o;
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
        ChunkOut t;
        for (std::uint16_t v : set.tileTable) t.i32(v);
        return std::move(t.bytes);
    }
    const ChunkId i = id & ~kRangeMask;
    if ((id & kRangeMask) == kItemChunks && i < set.characters.size()) return characterChunk(set.characters[i]);
    return std::nullopt;
}

void restoreCharacterChunk(CharacterSet& set, const Chunk& c) {
    if (!c.second) return;
    ChunkIn in(*c.second);
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


CharacterData& dataOf(Workspace& ws);

class CharacterModule final : public FamilyModule {
public:
    std::string_view cliName() const override { return "character"; }
    std::string_view title() const override { return "character sprites"; }
    int pictureCount() const override { return kCharacterCount; }
    std::vector<FamilyTab> tabs() const override { return {{"Characters", 0}}; }
    std::string pictureName(const Workspace&, int picture) const override { return kCharacterNames[std::size_t(picture)]; }

    std::unique_ptr<FamilyData> makeData() const override { return std::make_unique<CharacterData>(); }
    bool canLoad(const RomBytes& rom) const override { return canLoadCharacterSprites(rom); }
    bool load(Workspace& ws, const RomBytes& rom) const override { return loadCharacterSprites(charactersOf(ws), rom); }
    void prepareSave(Workspace& ws, int) const override { dataOf(ws).pending = encodeCharacterTiles(charactersOf(ws)); }
    bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const override {
        CharacterData& data = dataOf(ws);
        const bool written = saveCharacterSprites(data.set, data.pending, buffer, notifier);
        data.pending = {};
        return written;
    }
    WrittenCheck checkWritten(Workspace&, const RomBytes& result) const override { return {canLoadCharacterSprites(result)}; }
    CopyWrite writeCopy(const Workspace& ws, int, RomBuffer& buffer, Notifier& notifier) const override {
        CharacterSet characters = charactersOf(ws);
        if (!saveCharacterSprites(characters, buffer, notifier)) return CopyWrite::Refused;
        return canLoadCharacterSprites(buffer.bytes()) ? CopyWrite::Written : CopyWrite::WouldNotLoad;
    }
    void addDemo(RomImage& rom) const override { demo::addDemoCharacters(rom); }
    std::vector<std::pair<std::string, std::string>> info(const Workspace&) const override {
        return {{"characters", std::to_string(kCharacterCount)}};
    }

    std::vector<ChunkId> chunkIds(const Workspace& ws) const override {
        std::vector<ChunkId> ids{kPaletteChunk, kTileTableChunk};
        for (std::size_t i = 0; i < charactersOf(ws).characters.size(); ++i) ids.push_back(kItemChunks + ChunkId(i));
        return ids;
    }
    std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const override {
        return characterSetChunk(charactersOf(ws), id);
    }
    void restoreChunk(Workspace& ws, const Chunk& c) const override { restoreCharacterChunk(charactersOf(ws), c); }
    std::vector<ChunkId> pictureChunkIds(const Workspace&, int picture) const override {
        return {kItemChunks + ChunkId(std::max(0, picture))};
    }

    int colorCount(const Workspace&, int) const override { return 16; }
    PaletteColor* storedColor(Workspace& ws, int picture, int k) const override {
        CharacterSet& set = charactersOf(ws);
        const std::size_t at = std::size_t(set.characters[std::size_t(picture)].paletteNumber) * 16 + std::size_t(k);
        return k >= 0 && k < 16 && at < set.palettes.size() ? &set.palettes[at] : nullptr;
    }
    std::string fixedPalette(const Workspace& ws, int picture) const override {
        return charactersOf(ws).characters[std::size_t(picture)].fixedPalette ? "this character's palette is fixed and cannot be changed" : "";
    }
    std::vector<PaletteColor> fixedColors(const Workspace& ws, int picture) const override {
        const auto& palette = charactersOf(ws).characters[std::size_t(picture)].sprites[0].palette;
        return std::vector<PaletteColor>(palette.begin(), palette.begin() + 16);
    }
    void paletteChanged(Workspace& ws, int) const override {
        CharacterSet& set = charactersOf(ws);
        for (auto& ch : set.characters) reloadCharacterPalette(set, ch);
    }
    void swapWithTransparent(Workspace& ws, int picture, int k) const override {
        CharacterSet& set = charactersOf(ws);
        swapCharacterColor(set, set.characters[std::size_t(picture)], k);
    }
    void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const override {
        CharacterSet& set = charactersOf(ws);
        const auto r = renumbering(order);
        const auto number = set.characters[std::size_t(picture)].paletteNumber;
        for (auto& ch : set.characters) {
            if (ch.paletteNumber != number || ch.fixedPalette) continue;
            for (auto& v : ch.tileStore) v = r[v];
            rebuildSprites(set, ch);
        }
    }
    std::uint32_t colorsUsed(const Workspace& ws, int picture) const override {
        std::uint32_t used = 0;
        for (const auto& sprite : charactersOf(ws).characters[std::size_t(picture)].sprites) used |= pixelColors(sprite);
        return used;
    }

    std::unique_ptr<PictureSource> makeSource(Workspace& ws) const override { return std::make_unique<CharacterSource>(ws); }

    std::vector<FileFolder> fileFolders() const override { return {{"characters", 2, 0, kCharacterCount - 1}}; }
    bool hasRawForm() const override { return true; }
    bool hasLargerPicture() const override { return true; }
    std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const override {
        const bool written = choice.type == ExportFileType::Raw ? exportCharacterTiles(charactersOf(ws), picture, path)
                                                                : exportCharacterSheet(charactersOf(ws), picture, path, choice.type, choice.full);
        return written ? "" : "cannot write the file";
    }
    bool importRaw(Workspace& ws, int picture, const std::string& path, Notifier& notifier) const override {
        const TileFileRead read = importCharacterTiles(charactersOf(ws), picture, path);
        if (!read.ok) notifier.notify(MessageKind::Error, read.error);
        for (const std::string& note : read.notes) notifier.notify(MessageKind::Information, note);
        return read.ok;
    }
};

const CharacterModule kModule;

CharacterData& dataOf(Workspace& ws) { return familyData<CharacterData>(ws, &kModule); }

} // namespace

Family characterFamily() { return &kModule; }
CharacterSet& charactersOf(Workspace& ws) { return dataOf(ws).set; }
const CharacterSet& charactersOf(const Workspace& ws) { return familyData<CharacterData>(ws, &kModule).set; }

bool exportCharacterSheet(const CharacterSet& set, int index, const std::string& path, ExportFileType type, bool full) {
    IndexedImage sheet = buildSpriteSheet(set.characters[std::size_t(index)], SheetOptions{-1, full, false});
    return writePictureFile(sheet, path, type, sheet.width, sheet.height);
}

// Named as the portrait pair is: a name that ends in ".bin" in any letter case.
bool isTileFilePath(const std::string& path) { return lowerExtension(path) == "bin"; }

bool exportCharacterTiles(const CharacterSet& set, int index, const std::string& tilePath) {
    const CharacterSprites& ch = set.characters[std::size_t(index)];
    return writeFilePair(tilePath, characterTileFile(ch), withExtension(tilePath, ".pal"), characterPaletteFile(set, ch));
}

namespace {

// Reads the pair without changing anything: the tile bytes, the palette bytes when a palette
// file is there, or the reason they are refused.
bool readTilePair(const std::string& tilePath, std::vector<std::uint8_t>& tiles, std::vector<std::uint8_t>& palette,
                  bool& hasPalette, std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(pathFromUtf8(tilePath), ec);
    // Anything larger than a character's block is refused by its size before it is read.
    if (!ec && size > std::uintmax_t(kCharacterTileBytes)) {
        error = "The sprite file has " + std::to_string(size) +
                " bytes; a character's has 5792 (181 tiles) or 5472 (171 tiles, without the riding poses)";
        return false;
    }
    if (ec || !readWholeFile(tilePath, tiles)) {
        error = "Error opening file";
        return false;
    }
    const std::string palettePath = findBesideFile(tilePath, ".pal");
    hasPalette = !palettePath.empty();
    if (hasPalette) {
        const auto paletteSize = std::filesystem::file_size(pathFromUtf8(palettePath), ec);
        if (!ec && paletteSize > 4096) {
            error = "The palette file has " + std::to_string(paletteSize) + " bytes; a character's has 32 (16 colours)";
            return false;
        }
        if (ec || !readWholeFile(palettePath, palette)) {
            error = "Error opening the palette file";
            return false;
        }
    }
    return true;
}

} // namespace

TileFileRead importCharacterTiles(CharacterSet& set, int index, const std::string& tilePath) {
    std::vector<std::uint8_t> tiles, palette;
    bool hasPalette = false;
    TileFileRead result;
    if (!readTilePair(tilePath, tiles, palette, hasPalette, result.error)) return result;
    return setCharacterFromTileFile(set, index, tiles, hasPalette ? &palette : nullptr);
}

TileFileRead previewCharacterTiles(const CharacterSet& set, int index, const std::string& tilePath, IndexedImage& sheet) {
    std::vector<std::uint8_t> tiles, palette;
    bool hasPalette = false;
    TileFileRead result;
    if (!readTilePair(tilePath, tiles, palette, hasPalette, result.error)) return result;
    // The import on a copy of the set: the preview is exactly what the import will show.
    auto copy = std::make_unique<CharacterSet>(set);
    result = setCharacterFromTileFile(*copy, index, tiles, hasPalette ? &palette : nullptr);
    if (result.ok) sheet = buildSpriteSheet(copy->characters[std::size_t(index)], SheetOptions{-1, true, false});
    return result;
}

std::string importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image) {
    const std::string which = describeDisagreements(setCharacterFromSheet(set, set.characters[std::size_t(index)], image));
    if (which.empty()) return "";
    return "Poses that share a tile differ in the picture; the game holds one, so the first pose's pixels were kept: " + which;
}


const IndexedImage& CharacterSource::picture() const { return character().sprites[std::size_t(m_sprite)]; }

bool CharacterSource::writePixels(std::span<const PixelWrite> writes) {
    return setSpritePixels(charactersOf(m_ws), character(), m_sprite, writes) > 0;
}

// Clear and flip act on every sprite: the sheet tells whether they changed.
bool CharacterSource::clear() {
    return changes([&] { return buildSpriteSheet(character(), -1).pixels; },
                   [&] { clearCharacterSprites(charactersOf(m_ws), character()); });
}

bool CharacterSource::flip(bool vertical) {
    return changes([&] { return buildSpriteSheet(character(), -1).pixels; },
                   [&] { flipCharacterSprites(charactersOf(m_ws), character(), vertical ? 1 : 0); });
}

PictureLimits CharacterSource::importLimits() const {
    return {kCharacterImportSide, kCharacterImportSide, false, kSheetWidth, kFullSheetHeight};
}

std::string CharacterSource::importPicture(const IndexedImage& image) { return importCharacterSheet(charactersOf(m_ws), m_index, image); }

IndexedImage CharacterSource::clipboardPicture() const { return buildSpriteSheet(character(), -1); }

void CharacterSource::restored() { rebuildSprites(charactersOf(m_ws), character()); }

} // namespace morvi

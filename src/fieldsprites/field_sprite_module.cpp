// The field sprite sheets as a family: 143 sheets and the vehicles, each edited frame by frame
// through the tiles its frames share, written inside its own bytes.
#include "fieldsprites/field_sprite_module.h"

#include <algorithm>

#include "characters/character_module.h"
#include "family/chunk_codec.h"
#include "family/palette_target.h"
#include "fieldsprites/demo_field_sprites.h"
#include "fieldsprites/field_files.h"
#include "fieldsprites/field_palettes.h"
#include "rom/rom_file.h"

namespace morvi {

namespace {

struct FieldSpriteData final : FamilyData {
    FieldSpriteSet set;
    std::string refusal; // why the open ROM's sheets could not be read
    bool loaded = false;
};

constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kSheetChunks = 0x10000; // one a picture: its tiles and the bytes after them

FieldSpriteData& dataOf(Workspace& ws);
const FieldSpriteData& dataOf(const Workspace& ws);

// The palette table's one owner is the character family; the sheets' copy follows it before
// anything draws or writes colours from it.
FieldSpriteSet& synced(Workspace& ws) {
    FieldSpriteSet& set = fieldSpritesOf(ws);
    const auto table = fieldPalettesOf(charactersOf(ws));
    std::copy(table.begin(), table.end(), set.palettes.begin());
    return set;
}

// After the palette table changed: the characters show its colours again.
void palettesChanged(Workspace& ws) {
    CharacterSet& characters = charactersOf(ws);
    for (auto& ch : characters.characters) reloadCharacterPalette(characters, ch);
    synced(ws);
}

bool validPicture(int picture) { return picture >= 0 && picture < kFieldSheetPictures; }

FieldSheet& sheetOf(Workspace& ws, int picture) { return fieldSpritesOf(ws).sheet(fieldSheetOfPicture(picture)); }
const FieldSheet& sheetOf(const Workspace& ws, int picture) { return fieldSpritesOf(ws).sheet(fieldSheetOfPicture(picture)); }

std::vector<std::uint8_t> sheetChunk(const FieldSheet& sheet) {
    ChunkOut o;
    o.bytes.reserve(8 + sheet.tiles.size() + sheet.tail.size());
    o.raw(sheet.tiles);
    o.raw(sheet.tail);
    return std::move(o.bytes);
}

bool placesHold(const FieldSpriteSet& set, const RomBytes& rom) {
    FieldSheetPlaces places;
    if (!readFieldSheetPlaces(rom, places).empty()) return false;
    for (int i = kFirstFieldSheet; i < kFieldSheetCount; ++i)
        if (places[std::size_t(i)].offset != set.sheet(i).offset || places[std::size_t(i)].size != set.sheet(i).size) return false;
    return true;
}

bool writeSheets(Workspace& ws, RomBuffer& buffer, Notifier& notifier) {
    if (!dataOf(ws).loaded) return true; // nothing of them was read, so nothing changed
    return saveFieldSprites(fieldSpritesOf(ws), buffer, notifier) && saveCharacterPalettes(charactersOf(ws), buffer);
}

class FieldSpriteModule final : public FamilyModule {
public:
    std::string_view cliName() const override { return "sprite"; }
    std::string_view title() const override { return "field sprites"; }
    int pictureCount() const override { return kFieldSheetPictures; }
    int firstNumber() const override { return kFirstFieldSheet; }
    int numberedPictures() const override { return kVehiclePicture; }
    std::vector<TargetAlias> targetAliases() const override {
        std::vector<TargetAlias> out{{"vehicles", this, kVehiclePicture}};
        for (int c = 0; c < kCharacterCount; ++c) out.push_back({"sprite:" + std::to_string(c), characterFamily(), c});
        return out;
    }
    std::string targetUsage() const override { return "sprite:N (0 to 164; 0 to 21 are the characters'), vehicles"; }
    std::vector<FamilyTab> tabs() const override { return {{"Field Sprites", 0}}; }
    std::string pictureName(const Workspace& ws, int picture) const override {
        if (!validPicture(picture)) return "";
        if (!dataOf(ws).loaded) return picture == kVehiclePicture ? "vehicles" : std::to_string(fieldSheetOfPicture(picture));
        return describeFieldSheet(fieldSpritesOf(ws), fieldSheetOfPicture(picture));
    }

    std::unique_ptr<FamilyData> makeData() const override { return std::make_unique<FieldSpriteData>(); }
    // A sheet table that does not hold keeps the sheets out, not the ROM: the other families open.
    bool canLoad(const RomBytes&) const override { return true; }
    bool load(Workspace& ws, const RomBytes& rom) const override {
        FieldSpriteData& data = dataOf(ws);
        FieldSpriteSet fresh;
        data.refusal = loadFieldSprites(fresh, rom);
        data.loaded = data.refusal.empty();
        data.set = data.loaded ? std::move(fresh) : FieldSpriteSet{};
        return true;
    }
    bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const override { return writeSheets(ws, buffer, notifier); }
    WrittenCheck checkWritten(Workspace& ws, const RomBytes& result) const override {
        return {!dataOf(ws).loaded || placesHold(fieldSpritesOf(ws), result)};
    }
    CopyWrite writeCopy(const Workspace& ws, int, RomBuffer& buffer, Notifier& notifier) const override {
        const FieldSpriteData& data = dataOf(ws);
        if (!data.loaded) return CopyWrite::Written;
        if (!saveFieldSprites(data.set, buffer, notifier) || !saveCharacterPalettes(charactersOf(ws), buffer)) return CopyWrite::Refused;
        return placesHold(data.set, buffer.bytes()) ? CopyWrite::Written : CopyWrite::WouldNotLoad;
    }
    void addDemo(RomImage& rom) const override { demo::addDemoFieldSprites(rom); }
    std::vector<std::pair<std::string, std::string>> info(const Workspace& ws) const override {
        const FieldSpriteData& data = dataOf(ws);
        return {{"field sprite sheets", data.loaded ? std::to_string(kVehicleSheet - kFirstFieldSheet) + " and the vehicles" : data.refusal}};
    }

    std::vector<ChunkId> chunkIds(const Workspace& ws) const override {
        std::vector<ChunkId> ids{kPaletteChunk};
        if (dataOf(ws).loaded)
            for (int p = 0; p < kFieldSheetPictures; ++p) ids.push_back(kSheetChunks + ChunkId(p));
        return ids;
    }
    std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const override {
        if (id == kPaletteChunk) return paletteChunk(charactersOf(ws).palettes);
        const ChunkId p = id - kSheetChunks;
        if (id >= kSheetChunks && p < ChunkId(kFieldSheetPictures) && dataOf(ws).loaded) return sheetChunk(sheetOf(ws, int(p)));
        return std::nullopt;
    }
    void restoreChunk(Workspace& ws, const Chunk& c) const override {
        if (!c.second) return;
        ChunkIn in(*c.second);
        if (c.first == kPaletteChunk) {
            auto& palettes = charactersOf(ws).palettes;
            in.colors(palettes.data(), palettes.size());
            palettesChanged(ws);
        } else if (const ChunkId p = c.first - kSheetChunks; c.first >= kSheetChunks && p < ChunkId(kFieldSheetPictures)) {
            FieldSheet& sheet = sheetOf(ws, int(p));
            std::vector<std::uint8_t> tiles = in.raw(), tail = in.raw();
            // A chunk of another ROM's sheet (another size) is not put into this one.
            if (tiles.size() == sheet.tiles.size() && tail.size() == sheet.tail.size()) {
                sheet.tiles = std::move(tiles);
                sheet.tail = std::move(tail);
            }
        }
    }
    std::vector<ChunkId> pictureChunkIds(const Workspace&, int picture) const override {
        return {kSheetChunks + ChunkId(std::clamp(picture, 0, kFieldSheetPictures - 1))};
    }

    int colorCount(const Workspace&, int) const override { return 16; }
    PaletteColor* storedColor(Workspace& ws, int picture, int k) const override {
        if (k < 0 || k >= 16 || !validPicture(picture)) return nullptr;
        const int palette = std::clamp(sheetOf(ws, picture).palette, 0, kFieldPaletteCount - 1);
        return &charactersOf(ws).palettes[std::size_t(palette * 16 + k)];
    }
    std::string fixedPalette(const Workspace& ws, int) const override { return dataOf(ws).refusal; }
    void paletteChanged(Workspace& ws, int) const override { palettesChanged(ws); }
    void swapWithTransparent(Workspace& ws, int picture, int k) const override {
        PaletteColor* zero = storedColor(ws, picture, 0);
        PaletteColor* other = storedColor(ws, picture, k);
        if (!zero || !other) return;
        std::swap(*zero, *other);
        for (auto& v : sheetOf(ws, picture).tiles)
            if (v == 0 || v == k) v = std::uint8_t(v == 0 ? k : 0);
        palettesChanged(ws);
    }
    // Every sheet shown in the palette keeps its look.
    void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const override {
        const auto r = renumbering(order);
        for (int sheet : fieldSheetsInPalette(fieldSpritesOf(ws), sheetOf(ws, picture).palette))
            for (auto& v : fieldSpritesOf(ws).sheet(sheet).tiles) v = r[v];
    }
    std::uint32_t colorsUsed(const Workspace& ws, int picture) const override {
        std::uint32_t bits = 0;
        for (std::uint8_t v : sheetOf(ws, picture).tiles) bits |= v < 32 ? 1u << v : 0;
        return bits;
    }

    std::unique_ptr<PictureSource> makeSource(Workspace& ws) const override { return std::make_unique<FieldSpriteSource>(ws); }

    std::vector<FileFolder> fileFolders() const override {
        return {{"sprites", 3, 0, kVehiclePicture - 1}, {"sprites", 3, kVehiclePicture, kVehiclePicture, "vehicles"}};
    }
    bool hasRawForm() const override { return true; }
    std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const override {
        if (!validPicture(picture)) return "there is no such field sprite sheet";
        if (!dataOf(ws).loaded) return dataOf(ws).refusal;
        const FieldSpriteSet& set = synced(ws);
        const int index = fieldSheetOfPicture(picture);
        if (choice.type == ExportFileType::Raw)
            return writeFilePair(path, fieldSheetBytes(set, index), withExtension(path, ".pal"), fieldPaletteFile(set, set.sheet(index).palette))
                       ? ""
                       : "cannot write the files";
        const IndexedImage sheet = fieldSheetPicture(set, index);
        return writePictureFile(sheet, path, choice.type, sheet.width, sheet.height) ? "" : "cannot write the file";
    }
    bool importRaw(Workspace& ws, int picture, const std::string& path, Notifier& notifier) const override {
        if (!validPicture(picture) || !dataOf(ws).loaded) {
            notifier.notify(MessageKind::Error, validPicture(picture) ? dataOf(ws).refusal : "there is no such field sprite sheet");
            return false;
        }
        std::vector<std::uint8_t> tiles, colours;
        if (!readWholeFile(path, tiles)) return notifier.notify(MessageKind::Error, "Error opening file"), false;
        const std::string palPath = findBesideFile(path, ".pal");
        if (!palPath.empty() && !readWholeFile(palPath, colours)) return notifier.notify(MessageKind::Error, palPath + ": Error opening file"), false;
        FieldSpriteSet& set = synced(ws);
        const int index = fieldSheetOfPicture(picture);
        // Both files are checked before either is taken: the palette file goes into the sheets'
        // copy of the table first, which the owner's colours overwrite again when the tiles are
        // refused.
        std::string why = palPath.empty() ? "" : setFieldPaletteFromFile(set, set.sheet(index).palette, colours);
        if (!why.empty()) return notifier.notify(MessageKind::Error, palPath + ": " + why), false;
        why = setFieldSheetFromBytes(set, index, tiles);
        if (!why.empty()) {
            synced(ws);
            return notifier.notify(MessageKind::Error, why), false;
        }
        std::copy(set.palettes.begin(), set.palettes.end(), charactersOf(ws).palettes.begin());
        palettesChanged(ws);
        return true;
    }
};

const FieldSpriteModule kModule;

FieldSpriteData& dataOf(Workspace& ws) { return familyData<FieldSpriteData>(ws, &kModule); }
const FieldSpriteData& dataOf(const Workspace& ws) { return familyData<FieldSpriteData>(ws, &kModule); }

} // namespace

Family fieldSpriteFamily() { return &kModule; }
FieldSpriteSet& fieldSpritesOf(Workspace& ws) { return dataOf(ws).set; }
const FieldSpriteSet& fieldSpritesOf(const Workspace& ws) { return dataOf(ws).set; }
const std::string& fieldSpritesRefusal(const Workspace& ws) { return dataOf(ws).refusal; }
const FieldSpriteSet& fieldSpritesInColour(Workspace& ws) { return synced(ws); }

bool showFieldSheetInPalette(Workspace& ws, int picture, int palette) {
    if (!validPicture(picture) || palette < 0 || palette >= kFieldPaletteCount) return false;
    sheetOf(ws, picture).palette = palette;
    return true;
}

int FieldSpriteSource::frameCount() const { return int(sheet().frames.size()); }

const IndexedImage& FieldSpriteSource::picture() const {
    const int frames = frameCount();
    if (frames == 0) {
        m_shown.allocateImage(16, 24);
        return m_shown;
    }
    m_shown = renderFieldFrame(synced(m_ws), fieldSheetOfPicture(m_index), std::clamp(m_frame, 0, frames - 1));
    return m_shown;
}

bool FieldSpriteSource::writePixels(std::span<const PixelWrite> writes) {
    if (frameCount() == 0) return false;
    return setFieldFramePixels(fieldSpritesOf(m_ws), fieldSheetOfPicture(m_index), std::clamp(m_frame, 0, frameCount() - 1), writes) > 0;
}

std::string FieldSpriteSource::refusePixels(std::span<const PixelWrite>) const { return fieldSpritesRefusal(m_ws); }

bool FieldSpriteSource::clear() {
    FieldSheet& s = sheetOf(m_ws, m_index);
    return changes([&] { return s.tiles; }, [&] { std::fill(s.tiles.begin(), s.tiles.end(), std::uint8_t(0)); });
}

bool FieldSpriteSource::flip(bool vertical) {
    // Each frame flips in its own place; a tile two frames share takes the first frame's flip.
    const int index = fieldSheetOfPicture(m_index);
    FieldSpriteSet& set = synced(m_ws);
    FieldSheet& s = set.sheet(index);
    if (s.frames.empty()) return false;
    IndexedImage whole = fieldSheetPicture(set, index);
    const FieldSheetLayout layout = fieldSheetLayout(s);
    for (std::size_t f = 0; f < s.frames.size(); ++f) {
        const IndexedImage frame = renderFieldFrame(set, index, int(f));
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                whole.setPixel(layout.spots[f].x + x, layout.spots[f].y + y,
                               frame.pixel(vertical ? x : frame.width - 1 - x, vertical ? frame.height - 1 - y : y));
    }
    return changes([&] { return s.tiles; }, [&] { setFieldSheetFromPicture(set, index, whole); });
}

PictureLimits FieldSpriteSource::importLimits() const {
    const FieldSheetLayout layout = fieldSheetLayout(sheet());
    return {std::max(1, layout.width), std::max(1, layout.height), false};
}

std::string FieldSpriteSource::importPicture(const IndexedImage& image) {
    const std::string why = setFieldSheetFromPicture(fieldSpritesOf(m_ws), fieldSheetOfPicture(m_index), image);
    return why;
}

IndexedImage FieldSpriteSource::clipboardPicture() const { return picture(); }

} // namespace morvi

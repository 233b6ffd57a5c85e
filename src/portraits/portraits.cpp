#include "portraits/portraits.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <vector>

#include "rom/rom_bytes.h"
#include "rom/rom_file.h"
#include "image/snes_codec.h"

namespace morvi {

const std::array<const char*, kPortraitCount> kPortraitNames = {
    "Terra", "Locke", "Cyan", "Shadow", "Edgar", "Sabin", "Celes", "Strago", "Relm", "Setzer",
    "Mog", "Gau", "Gogo", "Umaro", "Vicks & Wedge", "Imp", "Leo", "Banon", "Ghost"};

namespace {

// Tile k of the ROM data covers the 8 x 8 block at this column and row.
constexpr std::pair<int, int> kTilePositions[kPortraitTileCount] = {
    {0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {4, 4},
    {0, 4}, {1, 4}, {2, 4}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}};

std::uint8_t shownNumber(std::uint8_t stored) { return stored < kPortraitCount ? stored : 0; }

std::span<PaletteColor> paletteOf(PortraitSet& set, int palette) {
    return std::span<PaletteColor>(set.palettes).subspan(std::size_t(palette) * 16, 16);
}

} // namespace

std::pair<int, int> portraitTilePosition(int k) { return kTilePositions[k]; }

void decodePortrait(PortraitSet& set, PortraitRecord& record, std::span<const std::uint8_t, kPortraitTileBytes> raw) {
    std::copy(raw.begin(), raw.end(), record.raw.begin());
    record.image.allocateImage(kPortraitSide, kPortraitSide);
    reloadPortraitPalette(set, record);
    std::uint8_t tile[kTilePixels];
    for (int k = 0; k < kPortraitTileCount; ++k) {
        decodeTile(record.raw.data() + 32 * k, tile, 16);
        placeTile(record.image, tile, kTilePositions[k].first, kTilePositions[k].second);
    }
}

const std::array<std::uint8_t, kPortraitTileBytes>& encodePortrait(PortraitRecord& record) {
    record.raw.fill(0);
    for (int k = 0; k < kPortraitTileCount; ++k)
        encodeTile(record.image, kTilePositions[k].first, kTilePositions[k].second, record.raw.data() + 32 * k, 16);
    return record.raw;
}

bool loadPortraits(PortraitSet& target, const std::string& path, const RomState& rom) {
    std::vector<std::uint8_t> file;
    if (!readRomFile(path, file)) return false;
    return loadPortraits(target, RomBytes(file, rom));
}

namespace {

// Everything the loader takes from the file; reading them is all the loader checks.
struct PortraitTables {
    std::span<const std::uint8_t> palettes, numbers, tiles;
};

bool readPortraitTables(const RomBytes& file, PortraitTables& t) {
    bool ok = true;
    t.palettes = file.view(kPortraitPalettesOffset, kPortraitCount * kPortraitPaletteBytes, &ok);
    t.numbers = file.view(kPortraitPaletteNumbersOffset, kLastPortraitNumberByte + 1, &ok);
    t.tiles = file.view(kPortraitTilesOffset, kPortraitCount * kPortraitTileBytes, &ok);
    return ok;
}

} // namespace

bool canLoadPortraits(const RomBytes& file) {
    PortraitTables t;
    return readPortraitTables(file, t);
}

bool loadPortraits(PortraitSet& target, const RomBytes& file) {
    PortraitTables t;
    if (!readPortraitTables(file, t)) return false;
    const auto& [palettes, numbers, tiles] = t;

    PortraitSet set;
    decodeSnesColors(palettes, set.palettes);
    for (int i = 0; i < kPortraitCount; ++i) {
        auto& record = set.portraits[std::size_t(i)];
        record.storedNumber = numbers[std::size_t(i < kPortraitCount - 1 ? i : kLastPortraitNumberByte)];
        record.paletteNumber = shownNumber(record.storedNumber);
        decodePortrait(set, record,
                       std::span<const std::uint8_t, kPortraitTileBytes>(&tiles[std::size_t(i) * kPortraitTileBytes],
                                                                          kPortraitTileBytes));
    }
    target = std::move(set);
    return true;
}

bool savePortraits(PortraitSet& set, RomBuffer& file, Notifier& notifier) {
    const std::vector<std::uint8_t> palettes = encodeSnesColors(set.palettes);
    std::vector<std::uint8_t> numbers;
    for (int i = 0; i < kPortraitCount - 1; ++i) numbers.push_back(set.portraits[std::size_t(i)].storedNumber);
    const std::uint8_t last = set.portraits[kPortraitCount - 1].storedNumber;
    std::vector<std::uint8_t> tiles;
    for (auto& record : set.portraits) {
        const auto& raw = encodePortrait(record);
        tiles.insert(tiles.end(), raw.begin(), raw.end());
    }
    const bool ok = file.write(kPortraitPalettesOffset, palettes) && file.write(kPortraitPaletteNumbersOffset, numbers) &&
                    file.write(kPortraitPaletteNumbersOffset + kLastPortraitNumberByte, std::span<const std::uint8_t>(&last, 1)) &&
                    file.write(kPortraitTilesOffset, tiles);
    if (!ok) notifier.notify(MessageKind::Warning, kMsgPortraitSaveError);
    return ok;
}

bool savePortraits(PortraitSet& set, const std::string& path, const RomState& rom, Notifier& notifier) {
    return saveFamilyToFile(path, rom.romHasHeader, notifier, kMsgPortraitSaveError,
                            [&](RomBuffer& file) { return savePortraits(set, file, notifier); });
}

void setPortraitPalette(PortraitSet& set, PortraitRecord& record, int n) {
    if (n < 0 || n >= kPortraitCount) return;
    record.paletteNumber = std::uint8_t(n);
    record.storedNumber = std::uint8_t(n);
    reloadPortraitPalette(set, record);
}

void reloadPortraitPalette(PortraitSet& set, PortraitRecord& record) {
    for (int c = 0; c < 16; ++c) record.image.setPaletteEntry(std::uint8_t(c), set.color(record.paletteNumber, c));
}

int setPortraitPixels(PortraitRecord& record, std::span<const PixelWrite> writes) {
    IndexedImage& image = record.image;
    if (!image.hasPixels()) return 0;
    int changed = 0;
    for (const PixelWrite& w : writes) {
        if (!image.contains(w.x, w.y) || image.pixel(w.x, w.y) == w.value) continue;
        image.setPixel(w.x, w.y, w.value);
        ++changed;
    }
    return changed;
}

void clearPortrait(PortraitRecord& record) { std::fill(record.image.pixels.begin(), record.image.pixels.end(), 0); }

void flipPortrait(PortraitRecord& record, int direction) { record.image.mirrorImage(direction, false); }

void copyPortrait(PortraitSet& set, int target, int source) {
    if (target == source || target < 0 || source < 0 || target >= kPortraitCount || source >= kPortraitCount) return;
    auto& to = set.portraits[std::size_t(target)];
    const auto& from = set.portraits[std::size_t(source)];
    for (int y = 0; y < kPortraitSide; ++y)
        for (int x = 0; x < kPortraitSide; ++x)
            to.image.setPixel(x, y, from.image.contains(x, y) && from.image.hasPixels() ? from.image.pixel(x, y) : 0);
    for (int c = 0; c < 16; ++c) set.color(to.paletteNumber, c) = set.color(from.paletteNumber, c);
    reloadPortraitPalette(set, to);
}

void setPortraitFromImage(PortraitSet& set, PortraitRecord& record, const IndexedImage& imported) {
    for (int y = 0; y < kPortraitSide; ++y)
        for (int x = 0; x < kPortraitSide; ++x)
            record.image.setPixel(x, y, imported.hasPixels() && imported.contains(x, y) ? imported.pixel(x, y) : 0);
    // Colours the imported image does not have stay as they are: the palette is shared.
    const int given = std::min(16, imported.colorCount);
    for (int c = 0; c < given; ++c) set.color(record.paletteNumber, c) = imported.palette[std::size_t(c)];
    reloadPortraitPalette(set, record);
}

void swapPortraitColor(PortraitSet& set, PortraitRecord& record, int k) {
    if (k <= 0 || k > 15) return;
    record.image.swapPaletteEntries(0, k);
    std::swap(set.color(record.paletteNumber, 0), set.color(record.paletteNumber, k));
}

std::string portraitPalettePath(const std::string& tilePath) {
    if (tilePath.size() <= 4) return tilePath + ".pal";
    return tilePath.substr(0, tilePath.size() - 4) + ".pal";
}

bool isRawPortraitPath(const std::string& path) {
    if (path.size() < 5) return false;
    std::string ending = path.substr(path.size() - 4);
    for (auto& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".bin";
}

bool exportPortraitRaw(PortraitSet& set, int index, const std::string& tilePath, Notifier& notifier) {
    auto& record = set.portraits[std::size_t(index)];
    const auto& raw = encodePortrait(record);
    const std::vector<std::uint8_t> palette = encodeSnesColors(paletteOf(set, record.paletteNumber));
    // A palette file that cannot be written leaves no new tile file without its palette.
    const bool ok = writeFilePair(tilePath, raw, portraitPalettePath(tilePath), palette);
    if (!ok) notifier.notify(MessageKind::Warning, kMsgPortraitSaveError);
    return ok;
}

namespace {

// Reads a file of one pair that must have exactly `expected` bytes. A file of another size is
// refused by its size before it is read, so a sprite sheet or a stray file taken for a portrait
// never fills the portrait with the wrong bytes.
bool readExactly(const std::string& path, std::size_t expected, const char* what, std::vector<std::uint8_t>& out,
                 std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(pathFromUtf8(path), ec);
    if (!ec && size != expected) {
        error = std::string("The ") + what + " has " + std::to_string(size) + " bytes; a portrait's has " +
                std::to_string(expected) + (expected == kPortraitTileBytes ? " (25 tiles)" : " (16 colours)");
        return false;
    }
    if (ec || !readWholeFile(path, out) || out.size() != expected) {
        error = expected == kPortraitTileBytes ? kMsgImportOpenError : "Error opening the palette file";
        return false;
    }
    return true;
}

} // namespace

namespace {

// Reads the pair without changing anything: the tiles, the palette when a palette file is beside
// them, or why they are refused.
bool readPortraitPair(const std::string& tilePath, std::vector<std::uint8_t>& tiles, std::vector<std::uint8_t>& palette,
                      bool& hasPalette, std::string& error) {
    // The palette file of the same name, in any letter case ("FACE.BIN" with "face.pal").
    const std::string palettePath = findBesideFile(tilePath, ".pal");
    hasPalette = !palettePath.empty();
    return readExactly(tilePath, kPortraitTileBytes, "portrait file", tiles, error) &&
           (!hasPalette || readExactly(palettePath, kPortraitPaletteBytes, "palette file", palette, error));
}

void applyPortraitPair(PortraitSet& set, PortraitRecord& record, const std::vector<std::uint8_t>& tiles,
                       const std::vector<std::uint8_t>& palette, bool hasPalette) {
    if (hasPalette) decodeSnesColors(palette, paletteOf(set, record.paletteNumber));
    decodePortrait(set, record, std::span<const std::uint8_t, kPortraitTileBytes>(tiles.data(), kPortraitTileBytes));
}

} // namespace

bool importPortraitRaw(PortraitSet& set, int index, const std::string& tilePath, Notifier& notifier) {
    std::vector<std::uint8_t> tiles, palette;
    std::string error;
    bool hasPalette = false;
    if (!readPortraitPair(tilePath, tiles, palette, hasPalette, error)) {
        notifier.notify(MessageKind::Error, error);
        return false;
    }
    applyPortraitPair(set, set.portraits[std::size_t(index)], tiles, palette, hasPalette);
    return true;
}

PortraitPairPreview previewPortraitRaw(const PortraitSet& set, int index, const std::string& tilePath) {
    PortraitPairPreview out;
    std::vector<std::uint8_t> tiles, palette;
    if (index < 0 || index >= kPortraitCount) {
        out.error = kMsgImportOpenError;
        return out;
    }
    if (!readPortraitPair(tilePath, tiles, palette, out.hasPalette, out.error)) return out;
    // The import on a copy: the preview is exactly what the import will show.
    auto copy = std::make_unique<PortraitSet>(set);
    PortraitRecord& record = copy->portraits[std::size_t(index)];
    applyPortraitPair(*copy, record, tiles, palette, out.hasPalette);
    out.picture = record.image;
    out.ok = true;
    return out;
}

std::vector<int> portraitsSharingPalette(const PortraitSet& set, int index) {
    std::vector<int> out;
    if (index < 0 || index >= kPortraitCount) return out;
    for (int i = 0; i < kPortraitCount; ++i)
        if (i != index && set.portraits[std::size_t(i)].paletteNumber == set.portraits[std::size_t(index)].paletteNumber)
            out.push_back(i);
    return out;
}

} // namespace morvi

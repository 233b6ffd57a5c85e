#include "app/picture_transfer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "rom/rom_file.h"

namespace morvi {

namespace {

bool writeByType(const IndexedImage& image, const std::string& path, ExportFileType type, int w, int h) {
    if (type != ExportFileType::Bmp && type != ExportFileType::Pcx && type != ExportFileType::Png)
        return false; // a type this picture has no writer for: nothing is written
    return writeReplacing(path, [&](const std::string& temp) {
        switch (type) {
        case ExportFileType::Bmp: return !saveBmp(image, temp, w, h);
        case ExportFileType::Pcx: return !savePcx(image, temp, w, h);
        default: return !savePng(image, temp, w, h);
        }
    });
}

} // namespace

std::vector<std::uint32_t> pictureToArgb(const IndexedImage& picture, int w, int h) {
    if (w <= 0 || h <= 0) return {};
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h), 0);
    if (!picture.hasPixels()) return out;
    for (int y = 0; y < h && y < picture.height; ++y)
        for (int x = 0; x < w && x < picture.width; ++x) {
            const std::uint8_t v = picture.pixel(x, y);
            if (v != 0) out[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 0xFF000000u | picture.palette[v].toRgb32();
        }
    return out;
}

ImageLoadResult pictureFromArgb(std::span<const std::uint32_t> argb, int w, int h, int colorLimit, IndexedImage& out) {
    if (w <= 0 || h <= 0 || argb.size() != std::size_t(w) * std::size_t(h)) return ImageLoadResult::NotValid;
    // One pass, numbering opaque colours from 1; index 0 is given back to the first colour at
    // the end when no pixel turned out to be transparent.
    std::vector<std::uint32_t> colours;
    std::vector<std::uint8_t> indices(argb.size(), 0);
    bool transparent = false;
    for (std::size_t k = 0; k < argb.size(); ++k) {
        if ((argb[k] >> 24) < 128) {
            transparent = true;
            continue;
        }
        const std::uint32_t c = argb[k] & 0xFFFFFFu;
        auto found = std::find(colours.begin(), colours.end(), c);
        if (found == colours.end()) {
            if (int(colours.size()) >= std::min(colorLimit, 256)) return ImageLoadResult::TooManyColors;
            colours.push_back(c);
            found = colours.end() - 1;
        }
        indices[k] = std::uint8_t(1 + (found - colours.begin()));
    }
    const int first = transparent ? 1 : 0;
    if (first + int(colours.size()) > colorLimit) return ImageLoadResult::TooManyColors;
    IndexedImage image;
    if (image.allocateImage(w, h)) return ImageLoadResult::NotValid;
    for (std::size_t k = 0; k < indices.size(); ++k)
        image.pixels[k] = indices[k] == 0 ? 0 : std::uint8_t(indices[k] - 1 + first);
    for (std::size_t i = 0; i < colours.size(); ++i)
        image.setPaletteEntry(std::uint8_t(first + int(i)),
                              makeColor(std::uint8_t(colours[i] >> 16), std::uint8_t(colours[i] >> 8), std::uint8_t(colours[i])));
    out = std::move(image);
    return ImageLoadResult::Read;
}

std::string importErrorMessage(ImageLoadResult result, int maxWidth, int maxHeight) {
    switch (result) {
    case ImageLoadResult::TooManyColors: return "Image has more than 16 colors";
    case ImageLoadResult::TooLarge: return "Image is larger than " + std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
    case ImageLoadResult::CannotRead: return "Error opening file";
    case ImageLoadResult::NotValid: return "File does not appear to be a valid image file";
    default: return "";
    }
}

bool exportMonsterEntry(const MonsterGraphics& mg, int entry, const std::string& path, ExportFileType type) {
    const MonsterEntry& e = mg.entries[std::size_t(entry)];
    // Palette entries past the entry's colours hold nothing of the entry: written as black, so
    // the same entry always exports to the same bytes.
    IndexedImage copy = e.image;
    for (int i = e.colorCount; i < 256; ++i) copy.palette[std::size_t(i)] = PaletteColor{};
    const Extent x = usedExtent(mg, e);
    return writeByType(copy, path, type, x.width, x.height);
}

bool exportPortrait(PortraitSet& set, int index, const std::string& path, ExportFileType type, Notifier& notifier) {
    if (type == ExportFileType::Raw) return exportPortraitRaw(set, index, path, notifier);
    return writeByType(set.portraits[std::size_t(index)].image, path, type, kPortraitSide, kPortraitSide);
}

bool exportCharacterSheet(const CharacterSet& set, int index, const std::string& path, ExportFileType type, bool full) {
    IndexedImage sheet = buildSpriteSheet(set.characters[std::size_t(index)], SheetOptions{-1, full, false});
    return writeByType(sheet, path, type, sheet.width, sheet.height);
}

// Named as the portrait pair is: a name that ends in ".bin" in any letter case.
bool isTileFilePath(const std::string& path) { return isRawPortraitPath(path); }

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

bool fitsImport(int w, int h, int maxWidth, int maxHeight, int exactWidth, int exactHeight) {
    return (w <= maxWidth && h <= maxHeight) || (w == exactWidth && h == exactHeight);
}

bool exportBackground(const BackgroundSet& set, int index, const std::string& path) {
    const IndexedImage& image = set.backgrounds[std::size_t(index)].image;
    return !savePng8(image, path, image.width, image.height);
}

void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image) {
    MonsterEntry& e = mg.entries[std::size_t(entry)];
    setEntryFromImage(mg, e, image);
    deriveMold(mg, e);
    commitEntry(mg, e);
}

void importPortrait(PortraitSet& set, int index, const IndexedImage& image) {
    setPortraitFromImage(set, set.portraits[std::size_t(index)], image);
}

std::string importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image) {
    const std::string which = describeDisagreements(setCharacterFromSheet(set, set.characters[std::size_t(index)], image));
    if (which.empty()) return "";
    return "Poses that share a tile differ in the picture; the game holds one, so the first pose's pixels were kept: " + which;
}

} // namespace morvi

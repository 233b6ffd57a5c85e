#include "backgrounds/battle_backgrounds.h"

#include <algorithm>

#include "rom/rom_file.h"
#include "backgrounds/block_codec.h"
#include "image/canvas.h"
#include "image/snes_codec.h"

namespace morvi {

namespace {

constexpr int kPropertyBytes = 6;
constexpr int kFirstTileOfArea[3] = {0, 128, 448};
constexpr int kFirstComposedRow = 1, kLastComposedRow = 17;
constexpr int kFirstComposedColumn = 8, kLastComposedColumn = 23;
constexpr int kPreviewSourceX = 64, kPreviewSourceY = 12;
constexpr PaletteColor kPlainPreviewColor = makeColor(30, 60, 240);

bool holds(std::span<const std::uint8_t> rom, std::size_t at, std::size_t n) {
    return at <= rom.size() && n <= rom.size() - at;
}

// Fills the tiles of one area; an area whose data lies outside the file stays colour 0.
void decodeArea(std::span<const std::uint8_t> rom, std::uint8_t setByte, int first, std::vector<std::uint8_t>& tiles) {
    const int count = std::min((setByte & 0x80) ? 256 : 128, kBackgroundTiles - first);
    std::fill(tiles.begin() + first * 64, tiles.begin() + (first + count) * 64, 0);
    const std::size_t pointerAt = kGraphicsSetPointersOffset + 3 * std::size_t(setByte & 0x7F);
    if (!holds(rom, pointerAt, 3)) return;
    const std::uint8_t bank = rom[pointerAt + 2];
    if (bank < kSnesBankBase) return;
    const std::size_t offset = std::size_t(bank - kSnesBankBase) * 0x10000 + rom[pointerAt + 1] * 0x100 + rom[pointerAt];
    std::vector<std::uint8_t> data(kBlockOutputLimit, 0);
    if (bank >= kCompressedBankFrom) {
        auto out = decompressBlock(rom, offset);
        std::copy(out.begin(), out.end(), data.begin());
    } else {
        const std::size_t n = 32 * std::size_t((setByte & 0x80) ? 256 : 128);
        if (!holds(rom, offset, n)) return;
        std::copy_n(rom.begin() + std::ptrdiff_t(offset), n, data.begin());
    }
    for (int t = 0; t < count; ++t) decodeTile(data.data() + 32 * t, tiles.data() + std::size_t(first + t) * 64, 16);
}

} // namespace

TileMapCell decodeTileMapEntry(std::uint8_t low, std::uint8_t high) {
    TileMapCell cell;
    cell.tile = low + 64 * (high & 1) + 256 * ((high >> 1) & 1);
    const int p = (high >> 2) & 0x0F;
    cell.paletteOffset = std::uint8_t((p - 5) * 16);
    cell.flipX = (high >> 6) & 1;
    cell.flipY = (high >> 7) & 1;
    return cell;
}

bool readBackgroundTables(BackgroundSet& set, std::span<const std::uint8_t> rom) {
    if (!holds(rom, kBackgroundPropertiesOffset, kBackgroundCount * kPropertyBytes) ||
        !holds(rom, kBackgroundPalettesOffset, kBackgroundPaletteColors * 2) || !holds(rom, kTileMapPointersOffset, 256))
        return false;
    decodeSnesColors(rom.subspan(kBackgroundPalettesOffset, kBackgroundPaletteColors * 2), set.palettes);
    return true;
}

void composeBackground(BackgroundSet& set, std::span<const std::uint8_t> rom, int n) {
    if (n < 0 || n >= kBackgroundCount || !holds(rom, kBackgroundPropertiesOffset, kBackgroundCount * kPropertyBytes) ||
        !holds(rom, kTileMapPointersOffset, 256))
        return;
    std::vector<std::uint8_t> tiles(std::size_t(kBackgroundTiles) * 64, 0);
    BattleBackground& bg = set.backgrounds[std::size_t(n)];
    const std::uint8_t* props = rom.data() + kBackgroundPropertiesOffset + kPropertyBytes * std::size_t(n);
    bg.paletteNumber = props[5] & 0x7F;
    for (int area = 0; area < 3; ++area)
        if (props[area] != kNoGraphicsSet) decodeArea(rom, props[area], kFirstTileOfArea[area], tiles);

    const std::size_t pointerAt = kTileMapPointersOffset + std::size_t((2 * props[3]) & 0xFF);
    const std::size_t mapAt = kBackgroundBank + rom[pointerAt] + 256 * std::size_t(rom[pointerAt + 1]);
    std::vector<std::uint8_t> map = holds(rom, mapAt, 2) ? decompressBlock(rom, mapAt) : std::vector<std::uint8_t>();
    const bool mapUsable = !map.empty();
    map.resize(kTileMapColumns * kTileMapRows * 2, 0);
    for (int i = 0; i < kTileMapColumns * kTileMapRows; ++i)
        bg.tileMap[std::size_t(i)] = decodeTileMapEntry(map[2 * std::size_t(i)], map[2 * std::size_t(i) + 1]);

    bg.image.allocateImage(kBackgroundWidth, kBackgroundHeight);
    for (int c = 0; c < kBackgroundColors; ++c)
        bg.image.setPaletteEntry(std::uint8_t(c), set.palettes[std::size_t(bg.paletteNumber * kBackgroundColors + c)]);
    if (!mapUsable) return; // a tile map outside the file leaves the picture at colour 0
    std::uint8_t tile[kTilePixels];
    for (int y = kFirstComposedRow; y <= kLastComposedRow; ++y)
        for (int x = kFirstComposedColumn; x <= kLastComposedColumn; ++x) {
            const TileMapCell& cell = bg.tileMap[std::size_t(y * kTileMapColumns + x)];
            std::copy_n(tiles.begin() + cell.tile * 64, 64, tile);
            if (cell.flipX) flipTileX(tile);
            if (cell.flipY) flipTileY(tile);
            for (auto& v : tile) v = std::uint8_t(v + cell.paletteOffset);
            placeTile(bg.image, tile, x, y);
        }
}

bool readBackgrounds(BackgroundSet& set, std::span<const std::uint8_t> rom) {
    if (!readBackgroundTables(set, rom)) return false;
    for (int n = 0; n < kBackgroundCount; ++n) composeBackground(set, rom, n);
    set.composed.fill(true);
    set.previews.clear();
    return true;
}

bool readBackgrounds(BackgroundSet& set, const std::string& path, const RomState& rom) {
    std::vector<std::uint8_t> file;
    if (!readWholeFile(path, file)) return false;
    std::span<const std::uint8_t> image(file);
    if (rom.romHasHeader) {
        if (image.size() < kCopierHeaderSize) return false;
        image = image.subspan(kCopierHeaderSize);
    }
    return readBackgrounds(set, image);
}

namespace {

void drawPreview(BackgroundSet& set, int i) {
    Surface& preview = set.previews[std::size_t(i)];
    preview = Surface(kPreviewSide, kPreviewSide);
    if (i < kBackdropArtCount) {
        preview = backdropArt(i);
    } else if (i == 5 || i == 6) {
        IndexedImage plain;
        plain.allocateImage(kPreviewSide, kPreviewSide);
        if (i == 6) plain.setPaletteEntry(0, kPlainPreviewColor);
        drawImage(plain, preview, nullptr, 0, 0);
    } else {
        const int n = i <= 55 ? i - 7 : i - 5; // backgrounds 49 and 50 have no preview
        if (!set.composed[std::size_t(n)] && !set.source.empty()) composeBackground(set, set.source, n);
        set.composed[std::size_t(n)] = true;
        drawMagnified(set.backgrounds[std::size_t(n)].image, 1, preview, kPreviewSourceX, kPreviewSourceY, nullptr, kPreviewSide,
                      kPreviewSide);
    }
    set.previewDrawn[std::size_t(i)] = true;
}

} // namespace

const Surface& backgroundPreview(BackgroundSet& set, int i) {
    if (set.previews.size() != kPreviewCount) {
        set.previews.assign(kPreviewCount, Surface(kPreviewSide, kPreviewSide));
        set.previewDrawn.assign(kPreviewCount, false);
    }
    if (i < 0 || i >= kPreviewCount) i = 0;
    if (!set.previewDrawn[std::size_t(i)]) drawPreview(set, i);
    return set.previews[std::size_t(i)];
}

void buildBackgroundPreviews(BackgroundSet& set) {
    for (int i = 0; i < kPreviewCount; ++i) backgroundPreview(set, i);
}

void buildBackdrop(BackgroundSet& set, int background) {
    if (background < 0 || background >= kPreviewCount) background = 0;
    set.smallBackdrop.captureImage(backgroundPreview(set, background), kPreviewSide, kPreviewSide);
    // Every pixel doubled. The small backdrop's colours are distinct, so looking each colour up
    // again (and appending it in scan order) gives exactly its palette and indices.
    const IndexedImage& small = set.smallBackdrop;
    IndexedImage& large = set.largeBackdrop;
    large.allocateImage(2 * kPreviewSide, 2 * kPreviewSide);
    large.palette = small.palette;
    large.colorCount = small.colorCount;
    for (int y = 0; y < 2 * kPreviewSide; ++y)
        for (int x = 0; x < 2 * kPreviewSide; ++x) large.setPixel(x, y, small.pixel(x / 2, y / 2));
    ++set.backdropGeneration;
}

void loadBackgrounds(BackgroundSet& set, const RomBytes& rom, int background) {
    if (!set.loaded) {
        const auto image = rom.image();
        if (readBackgroundTables(set, image)) set.source.assign(image.begin(), image.end());
        set.composed = {};
        set.previews.clear();
        set.loaded = true;
    }
    buildBackdrop(set, background);
}

void loadBackgrounds(BackgroundSet& set, const std::string& path, const RomState& rom, int background) {
    // A file that cannot be read leaves the backgrounds empty; loading goes on as for bytes.
    std::vector<std::uint8_t> file;
    if (!set.loaded) readWholeFile(path, file);
    loadBackgrounds(set, RomBytes(file, rom), background);
}

} // namespace morvi

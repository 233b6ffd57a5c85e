#include "characters/characters.h"

#include <algorithm>

#include "rom/rom_bytes.h"
#include "rom/rom_file.h"
#include "image/snes_codec.h"

namespace morvi {

const std::array<const char*, kCharacterCount> kCharacterNames = {
    "Terra", "Locke", "Cyan",  "Shadow", "Edgar", "Sabin", "Celes", "Strago", "Relm",        "Setzer",         "Mog",
    "Gau",   "Gogo",  "Umaro", "Soldeir", "Kappa", "Leo",   "Banon", "Esper Terra", "Merchant Locke", "Ghost", "Kefka"};

const std::array<PaletteColor, 16> kEsperTerraPalette = {
    makeColor(248, 40, 0),    makeColor(88, 16, 64),   makeColor(248, 248, 216), makeColor(144, 0, 0),
    makeColor(248, 248, 248), makeColor(200, 128, 248), makeColor(248, 248, 248), makeColor(136, 112, 136),
    makeColor(184, 144, 0),   makeColor(144, 0, 0),    makeColor(200, 128, 248), makeColor(128, 88, 216),
    makeColor(160, 40, 32),   makeColor(240, 128, 80), makeColor(112, 56, 0),    makeColor(144, 120, 80)};

namespace {

// Calls visit(pose, column, row, tile) for each cell of each pose the character has, poses in
// order: the first visit of a tile is the pose whose pixels the tile takes.
template <typename Visit>
void forEachCell(const CharacterSet& set, const CharacterSprites& ch, Visit visit) {
    std::array<bool, kTilesPerCharacter> seen{};
    for (int pose = 0; pose < kPoseCount; ++pose) {
        if (!ch.hasPose(pose)) continue;
        const PoseCells cells = set.cells(pose);
        for (int r = 0; r < cells.rows; ++r)
            for (int c = 0; c < cells.columns; ++c) {
                const int t = cells.tile(c, r);
                if (seen[std::size_t(t)]) continue;
                seen[std::size_t(t)] = true;
                visit(pose, c, r, t);
            }
    }
}

void setSpritePalettes(const CharacterSet& set, CharacterSprites& ch, bool applyFixed) {
    const PaletteColor* colours = applyFixed && ch.fixedPalette ? kEsperTerraPalette.data() : &set.palettes[std::size_t(ch.paletteNumber) * 16];
    for (auto& sprite : ch.sprites) {
        std::copy(colours, colours + 16, sprite.palette.begin());
        sprite.colorCount = std::max(sprite.colorCount, 16);
    }
}

} // namespace

void rebuildSprites(CharacterSet& set, CharacterSprites& ch) {
    for (int pose = 0; pose < kPoseCount; ++pose) {
        IndexedImage& image = ch.sprites[std::size_t(pose)];
        const PoseSize size = poseSize(pose);
        const bool has = ch.hasPose(pose);
        // The tiles cover every pixel of a pose: an image of the right size is only refilled.
        if (image.width != size.width || image.height != size.height || !image.hasPixels()) image.allocateImage(size.width, size.height);
        else if (!has) std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t(0));
        if (!has) continue; // shown empty, never written
        const PoseCells cells = set.cells(pose);
        for (int r = 0; r < cells.rows; ++r)
            for (int c = 0; c < cells.columns; ++c) placeTile(image, tilePixels(ch, cells.tile(c, r)), c, r);
    }
    setSpritePalettes(set, ch, true);
}

std::vector<int> CharacterSet::posesUsingTile(const CharacterSprites& ch, int tile) const {
    std::vector<int> out;
    for (int pose = 0; pose < kPoseCount; ++pose) {
        if (!ch.hasPose(pose)) continue;
        const PoseCells c = cells(pose);
        if (std::find(c.tiles.begin(), c.tiles.begin() + c.columns * c.rows, tile) != c.tiles.begin() + c.columns * c.rows)
            out.push_back(pose);
    }
    return out;
}

bool loadCharacterSprites(CharacterSet& target, const std::string& path, const RomState& rom) {
    std::vector<std::uint8_t> file;
    if (!readRomFile(path, file)) return false;
    return loadCharacterSprites(target, RomBytes(file, rom));
}

namespace {

// Everything the loader takes from the file, read and checked before the set changes.
struct CharacterTables {
    std::span<const std::uint8_t> palettes, ownBattle, block, numbers;
    std::array<std::uint16_t, kSpriteTileEntries> tileTable{};
    std::array<std::uint32_t, kCharacterCount> tileAddresses{};
    std::array<int, kCharacterCount> tileCounts{};
};

// 181 for a character before the short ones whose riding tiles lie in the sprite graphics
// block and in no other character's block; 171 otherwise.
int ownTileCount(const std::array<std::uint32_t, kCharacterCount>& addresses, int n) {
    if (n >= kFirstShortCharacter) return kTilesWithoutRiding;
    const std::uint32_t from = addresses[std::size_t(n)] + kShortCharacterTileBytes;
    const std::uint32_t to = addresses[std::size_t(n)] + kCharacterTileBytes;
    if (to > kSpriteGraphicsSize) return kTilesWithoutRiding;
    for (int m = 0; m < kCharacterCount; ++m) {
        const std::uint32_t other = addresses[std::size_t(m)];
        if (m == n || other == addresses[std::size_t(n)]) continue; // one block shown twice is no overlap
        const std::uint32_t otherEnd = other + (m >= kFirstShortCharacter ? kShortCharacterTileBytes : kCharacterTileBytes);
        if (other < to && from < otherEnd) return kTilesWithoutRiding;
    }
    return kTilesWithRiding;
}

bool readCharacterTables(const RomBytes& file, CharacterTables& t) {
    bool ok = true;
    auto table = file.view(kSpriteTileTableOffset, kSpriteTileEntries * 2, &ok);
    t.palettes = file.view(kCharacterPalettesOffset, kCharacterPaletteCount * 32, &ok);
    t.ownBattle = file.view(kCharacterPaletteCopyOffset + kOwnBattlePalette * 32, 32, &ok);
    t.block = file.view(kSpriteGraphicsOffset, kSpriteGraphicsSize, &ok);
    t.numbers = file.view(kCharacterPaletteNumbersOffset, kCharacterCount, &ok);
    auto addresses = file.view(kCharacterTileAddressOffset, kCharacterCount * 2, &ok);
    auto banks = file.view(kCharacterTileBankOffset, kCharacterCount * 2, &ok);
    if (!ok) return false;
    for (int i = 0; i < kSpriteTileEntries; ++i) {
        std::uint16_t entry = std::uint16_t(table[2 * std::size_t(i)] | (table[2 * std::size_t(i) + 1] << 8));
        // An entry must name a whole tile of the character's 181.
        if (entry >= kCharacterTileBytes || entry % 32 != 0) return false;
        t.tileTable[std::size_t(i)] = entry;
    }
    for (int n = 0; n < kCharacterCount; ++n) {
        std::int64_t address = std::int64_t(banks[2 * std::size_t(n)]) * 0x10000 +
                               addresses[2 * std::size_t(n) + 1] * 0x100 + addresses[2 * std::size_t(n)] -
                               std::int64_t(kSpriteGraphicsSnesAddress);
        // The 171 tiles every character has must lie in the block; the riding tiles may not.
        if (address < 0 || address > std::int64_t(kSpriteGraphicsSize) - kShortCharacterTileBytes) return false;
        t.tileAddresses[std::size_t(n)] = std::uint32_t(address);
    }
    for (int n = 0; n < kCharacterCount; ++n) t.tileCounts[std::size_t(n)] = ownTileCount(t.tileAddresses, n);
    return true;
}

} // namespace

bool canLoadCharacterSprites(const RomBytes& file) {
    CharacterTables t;
    return readCharacterTables(file, t);
}

bool loadCharacterSprites(CharacterSet& target, const RomBytes& file) {
    // Every check comes before the set changes, so a refused file leaves it as it was and an
    // accepted one is decoded straight into it.
    CharacterTables t;
    if (!readCharacterTables(file, t)) return false;

    CharacterSet& set = target;
    set.tileTable = t.tileTable;
    decodeSnesColors(t.palettes, fieldPalettesOf(set));
    decodeSnesColors(t.ownBattle, std::span(set.palettes).subspan(std::size_t(kOwnBattlePaletteSlot) * 16, 16));
    for (int n = 0; n < kCharacterCount; ++n) {
        auto& ch = set.characters[std::size_t(n)];
        ch.fixedPalette = n == kEsperTerra;
        ch.storedNumber = t.numbers[std::size_t(n)];
        ch.paletteNumber = shownPaletteOf(ch.storedNumber);
        ch.tileAddress = t.tileAddresses[std::size_t(n)];
        ch.tileCount = t.tileCounts[std::size_t(n)];
        for (int pose = 0; pose < kPoseCount; ++pose) {
            const PoseCells cells = set.cells(pose);
            ch.available[std::size_t(pose)] =
                std::all_of(cells.tiles.begin(), cells.tiles.begin() + cells.columns * cells.rows, [&](int tile) { return tile < ch.tileCount; });
        }
        ch.tileStore.assign(std::size_t(kTilesPerCharacter) * 64, 0);
        for (int k = 0; k < ch.tileCount; ++k)
            decodeTile(t.block.data() + ch.tileAddress + 32 * std::size_t(k), tilePixels(ch, k), 16);
        // Nothing of an earlier ROM stays in the sprites (colours past 15 included).
        for (auto& sprite : ch.sprites) sprite.reset();
        rebuildSprites(set, ch);
    }
    return true;
}

CharacterTiles encodeCharacterTiles(const CharacterSet& set) {
    CharacterTiles out;
    out.bytes.assign(std::size_t(kCharacterCount) * kCharacterTileBytes, 0);
    out.shown.assign(std::size_t(kCharacterCount) * kTilesPerCharacter, 0);
    for (int n = 0; n < kCharacterCount; ++n) {
        const auto& ch = set.characters[std::size_t(n)];
        std::uint8_t* bytes = out.bytes.data() + std::size_t(n) * kCharacterTileBytes;
        std::uint8_t* shown = out.shown.data() + std::size_t(n) * kTilesPerCharacter;
        forEachCell(set, ch, [&](int pose, int c, int r, int t) {
            encodeTile(ch.sprites[std::size_t(pose)], c, r, bytes + 32 * std::size_t(t), 16);
            shown[t] = 1;
        });
    }
    return out;
}

bool saveCharacterPalettes(const CharacterSet& set, RomBuffer& file) {
    const std::vector<std::uint8_t> palettes = encodeSnesColors(fieldPalettesOf(set));
    const std::vector<std::uint8_t> copy =
        encodeSnesColors(std::span<const PaletteColor>(set.palettes).first(kCopiedCharacterPalettes * 16));
    const std::vector<std::uint8_t> own =
        encodeSnesColors(std::span<const PaletteColor>(set.palettes).subspan(std::size_t(kOwnBattlePaletteSlot) * 16, 16));
    return file.write(kCharacterPalettesOffset, palettes) && file.write(kCharacterPaletteCopyOffset, copy) &&
           file.write(kCharacterPaletteCopyOffset + kOwnBattlePalette * 32, own);
}

bool saveCharacterSprites(CharacterSet& set, const CharacterTiles& tiles, RomBuffer& file, Notifier& notifier) {
    bool ok = tiles.bytes.size() == std::size_t(kCharacterCount) * kCharacterTileBytes &&
              tiles.shown.size() == std::size_t(kCharacterCount) * kTilesPerCharacter && saveCharacterPalettes(set, file);
    for (int n = 0; ok && n < kCharacterCount; ++n) {
        const auto& ch = set.characters[std::size_t(n)];
        const std::uint8_t* bytes = tiles.bytes.data() + std::size_t(n) * kCharacterTileBytes;
        const std::uint8_t* shown = tiles.shown.data() + std::size_t(n) * kTilesPerCharacter;
        ok = file.write(kCharacterPaletteNumbersOffset + std::uint32_t(n), std::span<const std::uint8_t>(&ch.storedNumber, 1));
        const std::uint32_t base = kSpriteGraphicsOffset + ch.tileAddress;
        // Tiles no pose shows keep the ROM's bytes; each run of shown tiles is one write. No
        // tile past the character's own count is ever shown.
        for (int t = 0; ok && t < ch.tileCount;) {
            if (!shown[t]) {
                ++t;
                continue;
            }
            int end = t + 1;
            while (end < ch.tileCount && shown[end]) ++end;
            ok = file.write(base + 32 * std::uint32_t(t),
                            std::span<const std::uint8_t>(bytes + 32 * std::size_t(t), 32 * std::size_t(end - t)));
            t = end;
        }
    }
    if (!ok) notifier.notify(MessageKind::Warning, kMsgCharacterSaveError);
    return ok;
}

bool saveCharacterSprites(CharacterSet& set, RomBuffer& file, Notifier& notifier) {
    return saveCharacterSprites(set, encodeCharacterTiles(set), file, notifier);
}

bool saveCharacterSprites(CharacterSet& set, const std::string& path, const RomState& rom, Notifier& notifier) {
    return saveFamilyToFile(path, rom.romHasHeader, notifier, kMsgCharacterSaveError,
                            [&](RomBuffer& file) { return saveCharacterSprites(set, file, notifier); });
}

void syncTileStore(CharacterSet& set, CharacterSprites& ch) {
    forEachCell(set, ch, [&](int pose, int c, int r, int t) {
        const IndexedImage& sprite = ch.sprites[std::size_t(pose)];
        std::uint8_t* tile = tilePixels(ch, t);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) tile[8 * y + x] = sprite.hasPixels() ? sprite.pixel(8 * c + x, 8 * r + y) : 0;
    });
    rebuildSprites(set, ch);
}

void setSpritePixel(CharacterSet& set, CharacterSprites& ch, int sprite, int x, int y, std::uint8_t colour) {
    const PixelWrite w{x, y, colour};
    setSpritePixels(set, ch, sprite, std::span<const PixelWrite>(&w, 1));
}

int setSpritePixels(CharacterSet& set, CharacterSprites& ch, int sprite, std::span<const PixelWrite> writes) {
    if (!ch.hasPose(sprite)) return 0;
    const PoseSize size = poseSize(sprite);
    const PoseCells cells = set.cells(sprite);
    int changed = 0;
    for (const PixelWrite& w : writes) {
        if (w.x < 0 || w.y < 0 || w.x >= size.width || w.y >= size.height) continue;
        std::uint8_t& cell = tilePixels(ch, cells.tile(w.x / 8, w.y / 8))[8 * (w.y % 8) + w.x % 8];
        if (cell == w.value) continue;
        cell = w.value;
        ++changed;
    }
    if (changed) rebuildSprites(set, ch);
    return changed;
}

void reloadCharacterPalette(CharacterSet& set, CharacterSprites& ch) {
    if (!ch.fixedPalette) setSpritePalettes(set, ch, false);
}

void clearCharacterSprites(CharacterSet& set, CharacterSprites& ch) {
    for (int pose = 0; pose < kPoseCount; ++pose)
        ch.sprites[std::size_t(pose)].allocateImage(poseSize(pose).width, poseSize(pose).height);
    setSpritePalettes(set, ch, false);
    syncTileStore(set, ch);
}

void flipCharacterSprites(CharacterSet& set, CharacterSprites& ch, int direction) {
    for (auto& sprite : ch.sprites) sprite.mirrorImage(direction, false);
    syncTileStore(set, ch);
}

void swapCharacterColor(CharacterSet& set, CharacterSprites& ch, int k) {
    if (ch.fixedPalette || k <= 0 || k > 15) return;
    for (auto& sprite : ch.sprites) sprite.swapPaletteEntries(0, k);
    std::swap(set.color(ch.paletteNumber, 0), set.color(ch.paletteNumber, k));
    syncTileStore(set, ch);
}

void copyCharacterSprites(CharacterSet& set, int target, int source, int sprite) {
    if (target < 0 || source < 0 || target >= kCharacterCount || source >= kCharacterCount) return;
    auto& to = set.characters[std::size_t(target)];
    const auto& from = set.characters[std::size_t(source)];
    if (sprite == kAllSprites) {
        // The whole store travels; tiles past the target's own count are never shown or saved.
        to.tileStore = from.tileStore;
        to.paletteNumber = from.paletteNumber;
        to.storedNumber = from.storedNumber;
    } else if (to.hasPose(sprite) && from.hasPose(sprite)) {
        const PoseCells cells = set.cells(sprite);
        for (int k = 0; k < cells.columns * cells.rows; ++k) {
            const int t = cells.tiles[std::size_t(k)];
            std::copy_n(from.tileStore.begin() + 64 * t, 64, to.tileStore.begin() + 64 * t);
        }
    } else {
        return;
    }
    rebuildSprites(set, to);
}

} // namespace morvi

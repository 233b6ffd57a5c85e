#include "characters/characters.h"

#include <algorithm>
#include <cstdio>

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

std::uint8_t* tilePixels(CharacterSprites& ch, int t) { return ch.tileStore.data() + std::size_t(t) * 64; }

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
    std::span<const std::uint8_t> palettes, block, numbers;
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
    decodeSnesColors(t.palettes, set.palettes);
    for (int n = 0; n < kCharacterCount; ++n) {
        auto& ch = set.characters[std::size_t(n)];
        ch.fixedPalette = n == kEsperTerra;
        ch.storedNumber = t.numbers[std::size_t(n)];
        ch.paletteNumber = ch.storedNumber > kLargestShownPaletteNumber ? 0 : ch.storedNumber;
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

bool saveCharacterSprites(CharacterSet& set, RomBuffer& file, Notifier& notifier) {
    const std::vector<std::uint8_t> palettes = encodeSnesColors(set.palettes);
    const std::vector<std::uint8_t> copy =
        encodeSnesColors(std::span<const PaletteColor>(set.palettes).first(kCopiedCharacterPalettes * 16));
    bool ok = file.write(kCharacterPalettesOffset, palettes) && file.write(kCharacterPaletteCopyOffset, copy);
    std::vector<std::uint8_t> bytes(kCharacterTileBytes, 0);
    for (int n = 0; ok && n < kCharacterCount; ++n) {
        auto& ch = set.characters[std::size_t(n)];
        std::array<bool, kTilesPerCharacter> written{};
        forEachCell(set, ch, [&](int pose, int c, int r, int t) {
            encodeTile(ch.sprites[std::size_t(pose)], c, r, bytes.data() + 32 * std::size_t(t), 16);
            written[std::size_t(t)] = true;
        });
        ok = file.write(kCharacterPaletteNumbersOffset + std::uint32_t(n), std::span<const std::uint8_t>(&ch.storedNumber, 1));
        const std::uint32_t base = kSpriteGraphicsOffset + ch.tileAddress;
        // Tiles no pose shows keep the ROM's bytes; each run of shown tiles is one write. No
        // tile past the character's own count is ever shown.
        for (int t = 0; ok && t < ch.tileCount;) {
            if (!written[std::size_t(t)]) {
                ++t;
                continue;
            }
            int end = t + 1;
            while (end < ch.tileCount && written[std::size_t(end)]) ++end;
            ok = file.write(base + 32 * std::uint32_t(t),
                            std::span<const std::uint8_t>(bytes.data() + 32 * std::size_t(t), 32 * std::size_t(end - t)));
            t = end;
        }
    }
    if (!ok) notifier.notify(MessageKind::Warning, kMsgCharacterSaveError);
    return ok;
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

std::vector<SheetDisagreement> setCharacterFromSheet(CharacterSet& set, CharacterSprites& ch, const IndexedImage& sheet) {
    const bool full = sheet.width == kSheetWidth && sheet.height == kFullSheetHeight;
    std::vector<SheetDisagreement> disagreements;
    std::array<int, kTilesPerCharacter> firstPose;
    firstPose.fill(-1);
    std::uint8_t cell[64];
    for (int pose = 0; pose < (full ? kPoseCount : kTablePoses); ++pose) {
        if (!ch.hasPose(pose)) continue;
        const PoseCells cells = set.cells(pose);
        const SheetSpot spot = sheetSpot(pose);
        for (int r = 0; r < cells.rows; ++r)
            for (int c = 0; c < cells.columns; ++c) {
                const int x0 = spot.x + 8 * c, y0 = spot.y + 8 * r, t = cells.tile(c, r);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        cell[8 * y + x] = sheet.hasPixels() && sheet.contains(x0 + x, y0 + y) ? sheet.pixel(x0 + x, y0 + y) : 0;
                std::uint8_t* tile = tilePixels(ch, t);
                if (firstPose[std::size_t(t)] < 0) {
                    firstPose[std::size_t(t)] = pose;
                    std::copy(cell, cell + 64, tile);
                } else if (!std::equal(cell, cell + 64, tile) && firstPose[std::size_t(t)] != pose) {
                    disagreements.push_back({t, firstPose[std::size_t(t)], pose});
                }
            }
    }
    // Colours the sheet does not have stay as they are: the palette is shared. A character
    // shown in its fixed palette exports that palette, so taking the sheet's colours would
    // only recolour the other characters that share its palette number.
    const int given = ch.fixedPalette ? 0 : std::min(16, sheet.colorCount);
    for (int c = 0; c < given; ++c) set.color(ch.paletteNumber, c) = sheet.palette[std::size_t(c)];
    rebuildSprites(set, ch);
    return disagreements;
}

std::string describeDisagreements(const std::vector<SheetDisagreement>& list) {
    // One entry a pair of poses, with every tile they disagree on.
    std::vector<std::pair<std::pair<int, int>, std::vector<int>>> pairs;
    for (const SheetDisagreement& d : list) {
        const std::pair<int, int> key{d.keptPose, d.otherPose};
        auto found = std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first == key; });
        if (found == pairs.end()) {
            pairs.push_back({key, {}});
            found = pairs.end() - 1;
        }
        found->second.push_back(d.tile);
    }
    std::string out;
    char hex[4];
    for (const auto& [poses, tiles] : pairs) {
        if (!out.empty()) out += "; ";
        out += "poses " + std::to_string(poses.first) + " and " + std::to_string(poses.second) + (tiles.size() > 1 ? " (tiles " : " (tile ");
        for (std::size_t k = 0; k < tiles.size(); ++k) {
            std::snprintf(hex, sizeof hex, "%02X", tiles[k]);
            out += (k ? ", " : "") + std::string(hex);
        }
        out += ")";
    }
    return out;
}

std::vector<std::uint8_t> characterTileFile(const CharacterSprites& ch) {
    std::vector<std::uint8_t> out(std::size_t(ch.tileCount) * 32, 0);
    for (int t = 0; t < ch.tileCount; ++t) encodeTilePixels(ch.tileStore.data() + 64 * std::size_t(t), out.data() + 32 * std::size_t(t), 16);
    return out;
}

std::vector<std::uint8_t> characterPaletteFile(const CharacterSet& set, const CharacterSprites& ch) {
    return encodeSnesColors(std::span<const PaletteColor>(set.palettes).subspan(std::size_t(ch.paletteNumber) * 16, 16));
}

std::vector<int> charactersSharingPalette(const CharacterSet& set, int index) {
    std::vector<int> out;
    const int number = set.characters[std::size_t(index)].paletteNumber;
    for (int n = 0; n < kCharacterCount; ++n)
        if (n != index && set.characters[std::size_t(n)].paletteNumber == number) out.push_back(n);
    return out;
}

TileFileRead setCharacterFromTileFile(CharacterSet& set, int index, std::span<const std::uint8_t> tiles,
                                      const std::vector<std::uint8_t>* palette) {
    TileFileRead result;
    if (index < 0 || index >= kCharacterCount) {
        result.error = "There is no character " + std::to_string(index);
        return result;
    }
    if (tiles.size() != std::size_t(kCharacterTileBytes) && tiles.size() != std::size_t(kShortCharacterTileBytes)) {
        result.error = "The sprite file has " + std::to_string(tiles.size()) +
                       " bytes; a character's has 5792 (181 tiles) or 5472 (171 tiles, without the riding poses)";
        return result;
    }
    if (palette && palette->size() != 32) {
        result.error = "The palette file has " + std::to_string(palette->size()) + " bytes; a character's has 32 (16 colours)";
        return result;
    }
    CharacterSprites& ch = set.characters[std::size_t(index)];
    const std::string name = kCharacterNames[std::size_t(index)];
    const int given = int(tiles.size() / 32);
    const int taken = std::min(given, ch.tileCount);
    if (given > ch.tileCount)
        result.notes.push_back(name + " has no riding poses: the first " + std::to_string(taken) + " of the file's " +
                               std::to_string(given) + " tiles were taken");
    else if (given < ch.tileCount)
        result.notes.push_back("The file has no riding tiles: " + name + "'s riding poses keep theirs");
    for (int t = 0; t < taken; ++t) decodeTile(tiles.data() + 32 * std::size_t(t), tilePixels(ch, t), 16);
    if (palette) {
        std::array<PaletteColor, 16> colours{};
        decodeSnesColors(*palette, colours);
        std::copy(colours.begin(), colours.end(), set.palettes.begin() + std::ptrdiff_t(ch.paletteNumber) * 16);
        std::string sharing;
        for (int n : charactersSharingPalette(set, index)) {
            sharing += (sharing.empty() ? "" : ", ") + std::string(kCharacterNames[std::size_t(n)]);
            reloadCharacterPalette(set, set.characters[std::size_t(n)]);
        }
        if (!sharing.empty())
            result.notes.push_back("Palette #" + std::to_string(ch.paletteNumber) + " is shared: " + sharing + " changed colour too");
        if (ch.fixedPalette) result.notes.push_back(name + " is shown in the game's fixed colours; the palette file went to palette #" +
                                                    std::to_string(ch.paletteNumber));
    }
    rebuildSprites(set, ch);
    result.ok = true;
    return result;
}

std::vector<FieldOnlyUse> fieldOnlyColorUse(const CharacterSet&, const CharacterSprites& ch) {
    std::vector<FieldOnlyUse> out;
    for (int pose : battlePoses()) {
        if (!ch.hasPose(pose)) continue;
        const auto& pixels = ch.sprites[std::size_t(pose)].pixels;
        const int count = int(std::count_if(pixels.begin(), pixels.end(), [](std::uint8_t v) { return v >= kFirstFieldOnlyColor && v < 16; }));
        if (count) out.push_back({pose, count});
    }
    return out;
}

IndexedImage buildSpriteSheet(const CharacterSprites& ch, SheetOptions options) {
    IndexedImage sheet;
    sheet.allocateImage(kSheetWidth, options.full ? kFullSheetHeight : kSheetHeight);
    for (int c = 0; c < 16; ++c) sheet.setPaletteEntry(std::uint8_t(c), ch.sprites[0].palette[std::size_t(c)]);
    const int poses = options.full ? kPoseCount : kTablePoses;
    for (int pose = 0; pose < poses; ++pose) {
        const IndexedImage& sprite = ch.sprites[std::size_t(pose)];
        const SheetSpot at = sheetSpot(pose);
        const PoseSize size = poseSize(pose);
        if (!ch.hasPose(pose)) {
            if (!options.markUnavailable) continue;
            sheet.setPaletteEntry(17, makeColor(120, 120, 120));
            for (int y = 0; y < size.height; ++y)
                for (int x = 0; x < size.width; ++x)
                    if ((x + y) % 4 == 0) sheet.setPixel(at.x + x, at.y + y, 17);
            continue;
        }
        if (!sprite.hasPixels()) continue;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) sheet.setPixel(at.x + x, at.y + y, sprite.pixel(x, y));
    }
    if (options.selected >= 0 && options.selected < poses) {
        sheet.setPaletteEntry(16, makeColor(255, 255, 255));
        const SheetSpot at = sheetSpot(options.selected);
        const PoseSize size = poseSize(options.selected);
        for (int y = at.y; y < at.y + size.height; ++y) {
            sheet.setPixel(at.x, y, 16);
            sheet.setPixel(at.x + size.width - 1, y, 16);
        }
        for (int x = at.x; x < at.x + size.width; ++x) {
            sheet.setPixel(x, at.y, 16);
            sheet.setPixel(x, at.y + size.height - 1, 16);
        }
    }
    return sheet;
}

IndexedImage buildSpriteSheet(const CharacterSprites& ch, int selectedSprite) {
    return buildSpriteSheet(ch, SheetOptions{selectedSprite, false, false});
}

} // namespace morvi

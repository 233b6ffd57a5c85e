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

std::uint8_t* tilePixels(CharacterSprites& ch, int t) { return ch.tileStore.data() + std::size_t(t) * 64; }

void setSpritePalettes(const CharacterSet& set, CharacterSprites& ch, bool applyFixed) {
    for (auto& sprite : ch.sprites)
        for (int c = 0; c < 16; ++c)
            sprite.setPaletteEntry(std::uint8_t(c), applyFixed && ch.fixedPalette
                                                        ? kEsperTerraPalette[std::size_t(c)]
                                                        : set.palettes[std::size_t(ch.paletteNumber * 16 + c)]);
}

} // namespace

void rebuildSprites(CharacterSet& set, CharacterSprites& ch) {
    for (auto& sprite : ch.sprites) sprite.allocateImage(kSpriteWidth, kSpriteHeight);
    setSpritePalettes(set, ch, true);
    for (int s = 0; s < kSpritesPerCharacter; ++s)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c) placeTile(ch.sprites[std::size_t(s)], tilePixels(ch, set.tileOf(s, r, c)), c, r);
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
};

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
        if (address < 0 || address > std::int64_t(kSpriteGraphicsSize) - kCharacterTileBytes) return false;
        t.tileAddresses[std::size_t(n)] = std::uint32_t(address);
    }
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
        ch.tileStore.assign(std::size_t(kTilesPerCharacter) * 64, 0);
        for (int k = 0; k < kTilesPerCharacter; ++k)
            decodeTile(t.block.data() + ch.tileAddress + 32 * std::size_t(k), tilePixels(ch, k), 16);
        for (auto& sprite : ch.sprites) sprite.reset();
        rebuildSprites(set, ch);
    }
    return true;
}

bool saveCharacterSprites(CharacterSet& set, RomBuffer& file, Notifier& notifier) {
    const std::vector<std::uint8_t> palettes = encodeSnesColors(set.palettes);
    const std::vector<std::uint8_t> copy =
        encodeSnesColors(std::span<const PaletteColor>(set.palettes).first(kCopiedCharacterPalettes * 16));
    struct Tiles {
        std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kCharacterTileBytes, 0);
        std::array<bool, kTilesPerCharacter> written{};
    };
    std::vector<Tiles> tiles(kCharacterCount);
    for (int n = 0; n < kCharacterCount; ++n) {
        auto& ch = set.characters[std::size_t(n)];
        for (int s = 0; s < kSpritesPerCharacter; ++s)
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 2; ++c) {
                    const int t = set.tileOf(s, r, c);
                    if (tiles[std::size_t(n)].written[std::size_t(t)]) continue;
                    encodeTile(ch.sprites[std::size_t(s)], c, r, tiles[std::size_t(n)].bytes.data() + 32 * std::size_t(t), 16);
                    tiles[std::size_t(n)].written[std::size_t(t)] = true;
                }
    }
    bool ok = file.write(kCharacterPalettesOffset, palettes) && file.write(kCharacterPaletteCopyOffset, copy);
    for (int n = 0; ok && n < kCharacterCount; ++n) {
        const auto& ch = set.characters[std::size_t(n)];
        ok = file.write(kCharacterPaletteNumbersOffset + std::uint32_t(n), std::span<const std::uint8_t>(&ch.storedNumber, 1));
        const std::uint32_t base = kSpriteGraphicsOffset + ch.tileAddress;
        // Tiles no sprite uses keep the ROM's bytes; each run of used tiles is one write.
        const Tiles& own = tiles[std::size_t(n)];
        for (int t = 0; ok && t < kTilesPerCharacter;) {
            if (!own.written[std::size_t(t)]) {
                ++t;
                continue;
            }
            int end = t + 1;
            while (end < kTilesPerCharacter && own.written[std::size_t(end)]) ++end;
            ok = file.write(base + 32 * std::uint32_t(t),
                            std::span<const std::uint8_t>(own.bytes.data() + 32 * std::size_t(t), 32 * std::size_t(end - t)));
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
    std::array<bool, kTilesPerCharacter> taken{};
    for (int s = 0; s < kSpritesPerCharacter; ++s)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c) {
                const int t = set.tileOf(s, r, c);
                if (taken[std::size_t(t)]) continue;
                taken[std::size_t(t)] = true;
                const IndexedImage& sprite = ch.sprites[std::size_t(s)];
                std::uint8_t* tile = tilePixels(ch, t);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        tile[8 * y + x] = sprite.hasPixels() ? sprite.pixel(8 * c + x, 8 * r + y) : 0;
            }
    rebuildSprites(set, ch);
}

void setSpritePixel(CharacterSet& set, CharacterSprites& ch, int sprite, int x, int y, std::uint8_t colour) {
    if (sprite < 0 || sprite >= kSpritesPerCharacter || x < 0 || y < 0 || x >= kSpriteWidth || y >= kSpriteHeight)
        return;
    tilePixels(ch, set.tileOf(sprite, y / 8, x / 8))[8 * (y % 8) + x % 8] = colour;
    rebuildSprites(set, ch);
}

int setSpritePixels(CharacterSet& set, CharacterSprites& ch, int sprite, std::span<const PixelWrite> writes) {
    if (sprite < 0 || sprite >= kSpritesPerCharacter) return 0;
    int changed = 0;
    for (const PixelWrite& w : writes) {
        if (w.x < 0 || w.y < 0 || w.x >= kSpriteWidth || w.y >= kSpriteHeight) continue;
        std::uint8_t& cell = tilePixels(ch, set.tileOf(sprite, w.y / 8, w.x / 8))[8 * (w.y % 8) + w.x % 8];
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
    for (auto& sprite : ch.sprites) sprite.allocateImage(kSpriteWidth, kSpriteHeight);
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
        to.tileStore = from.tileStore;
        to.paletteNumber = from.paletteNumber;
        to.storedNumber = from.storedNumber;
    } else if (sprite >= 0 && sprite < kSpritesPerCharacter) {
        for (int e = 0; e < 6; ++e) {
            const int t = set.tileTable[std::size_t(6 * sprite + e)] / 32;
            std::copy_n(from.tileStore.begin() + 64 * t, 64, to.tileStore.begin() + 64 * t);
        }
    } else {
        return;
    }
    rebuildSprites(set, to);
}

void setCharacterFromSheet(CharacterSet& set, CharacterSprites& ch, const IndexedImage& sheet) {
    for (int t = 0; t < kTilesPerCharacter; ++t) {
        auto entry = std::find(set.tileTable.begin(), set.tileTable.end(), std::uint16_t(32 * t));
        if (entry == set.tileTable.end()) continue; // a tile no sprite shows keeps what it holds
        const int i = int(entry - set.tileTable.begin());
        const int s = i / 6, r = (i % 6) / 2, c = i % 2;
        const int x0 = 16 * (s % 8) + 8 * c, y0 = 24 * (s / 8) + 8 * r;
        std::uint8_t* tile = tilePixels(ch, t);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile[8 * y + x] = sheet.hasPixels() && sheet.contains(x0 + x, y0 + y) ? sheet.pixel(x0 + x, y0 + y) : 0;
    }
    // Colours the sheet does not have stay as they are: the palette is shared. A character
    // shown in its fixed palette exports that palette, so taking the sheet's colours would
    // only recolour the other characters that share its palette number.
    const int given = ch.fixedPalette ? 0 : std::min(16, sheet.colorCount);
    for (int c = 0; c < given; ++c) set.color(ch.paletteNumber, c) = sheet.palette[std::size_t(c)];
    rebuildSprites(set, ch);
}

IndexedImage buildSpriteSheet(const CharacterSprites& ch, int selectedSprite) {
    IndexedImage sheet;
    sheet.allocateImage(kSheetSide, kSheetSide);
    for (int c = 0; c < 16; ++c) sheet.setPaletteEntry(std::uint8_t(c), ch.sprites[0].palette[std::size_t(c)]);
    for (int y = 0; y < 5 * kSpriteHeight; ++y)
        for (int x = 0; x < kSheetSide; ++x) {
            const IndexedImage& sprite = ch.sprites[std::size_t(8 * (y / kSpriteHeight) + x / kSpriteWidth)];
            if (sprite.hasPixels()) sheet.setPixel(x, y, sprite.pixel(x % kSpriteWidth, y % kSpriteHeight));
        }
    if (selectedSprite >= 0 && selectedSprite < kSpritesPerCharacter) {
        sheet.setPaletteEntry(16, makeColor(255, 255, 255));
        const int x0 = 16 * (selectedSprite % 8), y0 = 24 * (selectedSprite / 8);
        for (int y = y0; y < y0 + kSpriteHeight; ++y) {
            sheet.setPixel(x0, y, 16);
            sheet.setPixel(x0 + kSpriteWidth - 1, y, 16);
        }
        for (int x = x0; x < x0 + kSpriteWidth; ++x) {
            sheet.setPixel(x, y0, 16);
            sheet.setPixel(x, y0 + kSpriteHeight - 1, 16);
        }
    }
    return sheet;
}

} // namespace morvi

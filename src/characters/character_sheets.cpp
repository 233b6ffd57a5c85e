// A character's poses as pictures and files: the sheets (the 40 poses, or all 43 in the full
// sheet) in and out, the community's sprite file and its palette, and the battle-colour count.
#include <algorithm>
#include <cstdio>

#include "characters/characters.h"
#include "image/snes_codec.h"

namespace morvi {

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
            reloadCharacterPalette(set, set.characters[std::size_t(n)]);
            // Esper Terra keeps her fixed colours whatever her palette holds.
            if (!set.characters[std::size_t(n)].fixedPalette) sharing += (sharing.empty() ? "" : ", ") + std::string(kCharacterNames[std::size_t(n)]);
        }
        if (!sharing.empty())
            result.notes.push_back("Palette #" + std::to_string(ch.paletteNumber == kOwnBattlePaletteSlot ? kOwnBattlePalette : ch.paletteNumber) +
                                   " is shared: " + sharing + " changed colour too");
        if (ch.fixedPalette) result.notes.push_back(name + " is shown in the game's fixed colours; the palette file went to palette #" +
                                                    std::to_string(ch.paletteNumber));
    }
    rebuildSprites(set, ch);
    result.ok = true;
    return result;
}

std::vector<FieldOnlyUse> fieldOnlyColorUse(const CharacterSprites& ch) {
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

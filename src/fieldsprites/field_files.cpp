#include "fieldsprites/field_files.h"

#include <algorithm>

#include "image/snes_codec.h"

namespace morvi {

namespace {

std::string sheetName(int index) { return index == kVehicleSheet ? "the vehicles" : "sheet " + std::to_string(index); }

bool validSheet(int index) { return index >= kFirstFieldSheet && index <= kVehicleSheet; }

} // namespace

FieldSheetLayout fieldSheetLayout(const FieldSheet& sheet) {
    FieldSheetLayout layout;
    int x = 0, y = 0, rowHeight = 0;
    for (const FieldFrame& frame : sheet.frames) {
        if (x > 0 && x + frame.width() > kFieldSheetPictureWidth) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        layout.spots.push_back({x, y});
        x += frame.width();
        rowHeight = std::max(rowHeight, frame.height());
        layout.width = std::max(layout.width, x);
    }
    layout.height = y + rowHeight;
    return layout;
}

int fieldFrameAtSheet(const FieldSheet& sheet, int x, int y) {
    const FieldSheetLayout layout = fieldSheetLayout(sheet);
    for (std::size_t f = 0; f < sheet.frames.size(); ++f) {
        const auto spot = layout.spots[f];
        if (x >= spot.x && y >= spot.y && x < spot.x + sheet.frames[f].width() && y < spot.y + sheet.frames[f].height()) return int(f);
    }
    return -1;
}

IndexedImage fieldSheetPicture(const FieldSpriteSet& set, int index) {
    IndexedImage picture;
    if (!validSheet(index)) return picture;
    const FieldSheet& sheet = set.sheet(index);
    const FieldSheetLayout layout = fieldSheetLayout(sheet);
    picture.allocateImage(std::max(1, layout.width), std::max(1, layout.height));
    for (std::size_t f = 0; f < sheet.frames.size(); ++f) {
        const IndexedImage frame = renderFieldFrame(set, index, int(f));
        if (f == 0) picture.palette = frame.palette, picture.colorCount = frame.colorCount;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) picture.setPixel(layout.spots[f].x + x, layout.spots[f].y + y, frame.pixel(x, y));
    }
    return picture;
}

std::string setFieldSheetFromPicture(FieldSpriteSet& set, int index, const IndexedImage& picture) {
    if (!validSheet(index)) return "There is no field sprite sheet " + std::to_string(index);
    FieldSheet& sheet = set.sheet(index);
    const FieldSheetLayout layout = fieldSheetLayout(sheet);
    if (!picture.hasPixels() || picture.width != layout.width || picture.height != layout.height)
        return "A picture of " + sheetName(index) + " is " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
               " pixels; this one is " + std::to_string(picture.width) + " x " + std::to_string(picture.height);
    if (std::any_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint8_t v) { return v > 15; }))
        return "A picture of " + sheetName(index) + " has 16 colours; this one uses more";
    std::vector<std::uint8_t> tiles = sheet.tiles;
    std::vector<bool> taken(std::size_t(sheet.tileCount()), false);
    for (std::size_t f = 0; f < sheet.frames.size(); ++f) {
        const FieldFrame& frame = sheet.frames[f];
        for (int r = 0; r < frame.rows; ++r)
            for (int c = 0; c < frame.columns; ++c) {
                const int t = frame.tile(c, r);
                if (t == kAbsentTile || taken[std::size_t(t)]) continue;
                taken[std::size_t(t)] = true;
                std::uint8_t* tile = tiles.data() + std::size_t(t) * FieldSheet::kTilePixelsPerTile;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        tile[8 * y + x] = picture.pixel(layout.spots[f].x + 8 * c + x, layout.spots[f].y + 8 * r + y);
            }
    }
    sheet.tiles = std::move(tiles);
    return "";
}

std::string setFieldSheetFromBytes(FieldSpriteSet& set, int index, std::span<const std::uint8_t> bytes) {
    if (!validSheet(index)) return "There is no field sprite sheet " + std::to_string(index);
    FieldSheet& sheet = set.sheet(index);
    if (bytes.size() != sheet.size)
        return "A file of " + sheetName(index) + " holds " + std::to_string(sheet.size) + " bytes; this one has " +
               std::to_string(bytes.size());
    for (int t = 0; t < sheet.tileCount(); ++t) decodeTile(bytes.data() + std::size_t(t) * kFieldTileBytes, sheet.tilePixels(t), 16);
    sheet.tail.assign(bytes.begin() + std::ptrdiff_t(sheet.tileCount()) * kFieldTileBytes, bytes.end());
    return "";
}

std::vector<std::uint8_t> fieldPaletteFile(const FieldSpriteSet& set, int palette) {
    if (palette < 0 || palette >= kFieldPaletteCount) return {};
    return encodeSnesColors(set.palette(palette));
}

std::string setFieldPaletteFromFile(FieldSpriteSet& set, int palette, std::span<const std::uint8_t> bytes) {
    if (palette < 0 || palette >= kFieldPaletteCount) return "There is no field sprite palette " + std::to_string(palette);
    if (bytes.size() != kFieldPaletteFileBytes)
        return "A palette file holds " + std::to_string(kFieldPaletteFileBytes) + " bytes; this one has " + std::to_string(bytes.size());
    decodeSnesColors(bytes, std::span(set.palettes).subspan(std::size_t(palette) * 16, 16));
    return "";
}

std::vector<int> fieldSheetsInPalette(const FieldSpriteSet& set, int palette) {
    std::vector<int> out;
    for (int i = kFirstFieldSheet; i <= kVehicleSheet; ++i)
        if (set.sheet(i).palette == palette) out.push_back(i);
    return out;
}

} // namespace morvi

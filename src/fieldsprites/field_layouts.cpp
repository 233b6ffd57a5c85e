// What the game draws from each sheet: its kind, its frames (poses through the pose table,
// object frames, special sprites' frames, the vehicles' grid), their names; drawing a frame and
// painting into one through its tiles.
#include <algorithm>

#include "characters/poses.h"
#include "image/snes_codec.h"
#include "fieldsprites/field_sprites.h"

namespace morvi {

namespace {

constexpr int kLastPersonSheet = 62;
constexpr int kRamuhSheet = 63;
constexpr int kRidingTilesSheet = 64;
constexpr int kLastStillSheet = 86;
constexpr int kLastOneFrameObject = 101;
constexpr int kLastTwoFrameObject = 110;
constexpr int kLastObjectSheet = 115;
// The special sprites the game's records draw 32 x 32.
constexpr std::array<int, 11> kLargeSpecialSheets = {120, 133, 134, 143, 148, 149, 153, 154, 155, 156, 157};

// Pose table entries past the characters' 40.
constexpr int kNpcSpecial1Pose = 0x29;
constexpr int kNpcWaving1Pose = 0x2A;
constexpr int kNpcSpecial2Pose = 0x2D;
constexpr int kRidingTwoPose = 0x2E;
constexpr int kRidingOnePose = 0x2F;
constexpr int kStaffRaisedPose = 0x30;
constexpr int kEyesClosedPose = 0x31;
constexpr int kFirstObjectPose = 0x32;
constexpr int kMouthOpenPose = 0x36;
constexpr int kMouthClosedPose = 0x37;
constexpr int kWalkingPoses = 9; // down, up and left, three each
// Sheet 64 holds sheet 59's tiles from this one on.
constexpr int kRidingTilesBase = kFirstRidingTile;

constexpr std::array<const char*, kFieldPoseRecords - kTablePoses> kExtraPoseNames = {
    "Knocked Out", "Special 1", "Waving 1", "Waving 2", "Looking Down", "Special 2", "Riding 2", "Riding 1",
    "Staff Raised", "Eyes Closed", "Frame 1", "Frame 2", "Frame 3", "Frame 4", "Mouth Open", "Mouth Closed",
    "", ""};

int objectFrameCount(int index) {
    return index <= kLastOneFrameObject ? 1 : index <= kLastTwoFrameObject ? 2 : 4;
}

// A pose through the pose table; tiles that do not lie in the sheet's tileCount are absent.
FieldFrame poseFrame(const FieldPoseTable& table, int pose, int tileCount, int tileBase = 0) {
    FieldFrame frame;
    frame.pose = pose;
    frame.name = fieldPoseName(pose);
    for (int k = 0; k < 6; ++k) {
        const int entry = table[std::size_t(6 * pose + k)];
        const int tile = entry / kFieldTileBytes - tileBase;
        frame.tiles.push_back(entry % kFieldTileBytes == 0 && tile >= 0 && tile < tileCount ? tile : kAbsentTile);
    }
    return frame;
}

bool complete(const FieldFrame& frame) {
    return std::none_of(frame.tiles.begin(), frame.tiles.end(), [](int t) { return t == kAbsentTile; });
}

// Frames cut straight from the tiles, side x side cells each, row by row.
std::vector<FieldFrame> tileFrames(int tileCount, int side) {
    const int perFrame = side * side;
    const int count = std::max(1, (tileCount + perFrame - 1) / perFrame);
    std::vector<FieldFrame> frames;
    for (int f = 0; f < count; ++f) {
        FieldFrame frame;
        frame.columns = frame.rows = side;
        frame.name = "Frame " + std::to_string(f + 1);
        for (int k = 0; k < perFrame; ++k) {
            const int tile = f * perFrame + k;
            frame.tiles.push_back(tile < tileCount ? tile : kAbsentTile);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace

FieldSheetKind fieldSheetKind(int index) {
    if (index < kFirstFieldSheet) return FieldSheetKind::Character;
    if (index <= kLastPersonSheet) return FieldSheetKind::Person;
    if (index == kRamuhSheet) return FieldSheetKind::Ramuh;
    if (index == kRidingTilesSheet) return FieldSheetKind::RidingTiles;
    if (index <= kLastStillSheet) return FieldSheetKind::Still;
    if (index <= kLastObjectSheet) return FieldSheetKind::Object;
    if (index >= kFieldSheetCount) return FieldSheetKind::Vehicles;
    const bool large = std::find(kLargeSpecialSheets.begin(), kLargeSpecialSheets.end(), index) != kLargeSpecialSheets.end();
    return large ? FieldSheetKind::Special32 : FieldSheetKind::Special16;
}

const char* fieldPoseName(int pose) {
    if (pose >= 0 && pose < kTablePoses) return poseName(pose);
    if (pose >= kTablePoses && pose < kFieldPoseRecords) return kExtraPoseNames[std::size_t(pose - kTablePoses)];
    return "";
}

std::vector<FieldFrame> fieldFrames(const FieldPoseTable& table, int index, FieldSheetKind kind, int tileCount) {
    std::vector<FieldFrame> frames;
    switch (kind) {
    case FieldSheetKind::Person:
        for (int pose = 0; pose < kWalkingPoses; ++pose) frames.push_back(poseFrame(table, pose, tileCount));
        // The extra poses a sheet has all the tiles of: waving, looking down, the opera singer's.
        for (int pose : {kNpcSpecial1Pose, kNpcWaving1Pose, kNpcWaving1Pose + 1, kNpcWaving1Pose + 2, kNpcSpecial2Pose,
                         kMouthOpenPose, kMouthClosedPose})
            if (FieldFrame f = poseFrame(table, pose, tileCount); complete(f)) frames.push_back(std::move(f));
        break;
    case FieldSheetKind::Ramuh:
        for (int pose : {0, kStaffRaisedPose, kEyesClosedPose}) frames.push_back(poseFrame(table, pose, tileCount));
        break;
    case FieldSheetKind::RidingTiles:
        for (int pose : {kRidingOnePose, kRidingTwoPose}) frames.push_back(poseFrame(table, pose, tileCount, kRidingTilesBase));
        break;
    case FieldSheetKind::Still: frames.push_back(poseFrame(table, 0, tileCount)); break;
    case FieldSheetKind::Object:
        for (int f = 0; f < objectFrameCount(index); ++f) frames.push_back(poseFrame(table, kFirstObjectPose + f, tileCount));
        break;
    case FieldSheetKind::Special16: frames = tileFrames(tileCount, 2); break;
    case FieldSheetKind::Special32: frames = tileFrames(tileCount, 4); break;
    case FieldSheetKind::Vehicles: {
        FieldFrame grid;
        grid.columns = kVehicleColumns;
        grid.rows = std::max(1, (tileCount + kVehicleColumns - 1) / kVehicleColumns);
        grid.name = "Vehicles";
        for (int t = 0; t < grid.columns * grid.rows; ++t) grid.tiles.push_back(t < tileCount ? t : kAbsentTile);
        frames.push_back(std::move(grid));
        break;
    }
    case FieldSheetKind::Character: break;
    }
    return frames;
}

std::string describeFieldSheet(const FieldSpriteSet& set, int index) {
    const FieldSheet& sheet = set.sheet(index);
    const std::string number = std::to_string(index) + " \u00b7 ";
    const auto frames = [&](const char* what) {
        const std::size_t n = sheet.frames.size();
        return number + what + (n == 1 ? "" : ", " + std::to_string(n) + " frames");
    };
    switch (sheet.kind) {
    case FieldSheetKind::Character: return number + kCharacterNames[std::size_t(index)];
    case FieldSheetKind::Person: return number + "person, " + std::to_string(sheet.tileCount()) + " tiles";
    case FieldSheetKind::Ramuh: return number + "Ramuh, 3 poses";
    case FieldSheetKind::RidingTiles: return number + "riding tiles of 59";
    case FieldSheetKind::Still: return number + "still figure";
    case FieldSheetKind::Object: {
        const std::size_t n = sheet.frames.size();
        return number + "object, " + std::to_string(n) + (n == 1 ? " frame" : " frames");
    }
    case FieldSheetKind::Special16: return frames("16 x 16 picture");
    case FieldSheetKind::Special32: return frames("32 x 32 picture");
    case FieldSheetKind::Vehicles: return "vehicles";
    }
    return number;
}

IndexedImage renderFieldFrame(const FieldSpriteSet& set, int index, int frameIndex) {
    IndexedImage image;
    const FieldSheet& sheet = set.sheet(index);
    if (frameIndex < 0 || std::size_t(frameIndex) >= sheet.frames.size()) return image;
    const FieldFrame& frame = sheet.frames[std::size_t(frameIndex)];
    image.allocateImage(frame.width(), frame.height());
    const auto colours = set.palette(std::clamp(sheet.palette, 0, kFieldPaletteCount - 1));
    std::copy(colours.begin(), colours.end(), image.palette.begin());
    image.colorCount = 16;
    for (int r = 0; r < frame.rows; ++r)
        for (int c = 0; c < frame.columns; ++c)
            if (const int t = frame.tile(c, r); t != kAbsentTile) placeTile(image, sheet.tilePixels(t), c, r);
    return image;
}

int setFieldFramePixels(FieldSpriteSet& set, int index, int frameIndex, std::span<const PixelWrite> writes) {
    FieldSheet& sheet = set.sheet(index);
    if (frameIndex < 0 || std::size_t(frameIndex) >= sheet.frames.size()) return 0;
    const FieldFrame& frame = sheet.frames[std::size_t(frameIndex)];
    int changed = 0;
    for (const PixelWrite& w : writes) {
        // A sheet's pixels are four bits: a value past 15 has no place in it.
        if (w.x < 0 || w.y < 0 || w.x >= frame.width() || w.y >= frame.height() || w.value > 15) continue;
        const int t = frame.tile(w.x / 8, w.y / 8);
        if (t == kAbsentTile) continue;
        std::uint8_t& cell = sheet.tilePixels(t)[8 * (w.y % 8) + w.x % 8];
        if (cell == w.value) continue;
        cell = w.value;
        ++changed;
    }
    return changed;
}

std::vector<int> fieldFramesUsingTile(const FieldSheet& sheet, int tile) {
    std::vector<int> out;
    for (std::size_t f = 0; f < sheet.frames.size(); ++f)
        if (std::find(sheet.frames[f].tiles.begin(), sheet.frames[f].tiles.end(), tile) != sheet.frames[f].tiles.end())
            out.push_back(int(f));
    return out;
}

} // namespace morvi

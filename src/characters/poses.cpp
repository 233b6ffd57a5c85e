#include "characters/poses.h"

#include <algorithm>

#include "characters/animations.h"

namespace morvi {

namespace {

constexpr std::array<const char*, kPoseCount> kPoseNames = {
    "Walking Down 1", "Facing Down", "Walking Down 2", "Walking Up 1", "Facing Up", "Walking Up 2",
    "Walking Left 1", "Facing Left", "Walking Left 2", "Kneeling", "Ready", "Hit", "Standing (battle)",
    "Back Arm Raised", "Front Arm Raised", "Arms Up (left)", "Casting 1", "Casting 2", "Knocked Out",
    "Eyes Closed (down)", "Winking", "Eyes Closed (left)", "Arms Up (down)", "Arms Up (up)", "Angry",
    "Waving 1 (down)", "Waving 2 (down)", "Waving 1 (up)", "Waving 2 (up)", "Laughing 1", "Laughing 2",
    "Surprised", "Looking Down (down)", "Looking Down (up)", "Looking Down (left)", "Head Turned",
    "Wagging Finger 1", "Wagging Finger 2", "Crying", "Tent", "Riding 1", "Riding 2", "Lying"};

// The fixed tiles of the three poses after the table's.
constexpr std::array<int, 6> kRiding1Tiles = {0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0};
constexpr std::array<int, 6> kRiding2Tiles = {0xB1, 0xB2, 0xB3, 0xB4, 0xAF, 0xB0};
constexpr std::array<int, 6> kLyingTiles = {0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C};

} // namespace

PoseSize poseSize(int pose) { return pose == kLyingPose ? PoseSize{24, 16} : PoseSize{16, 24}; }

SheetSpot sheetSpot(int pose) {
    switch (pose) {
    case kRiding1Pose: return {0, 120};
    case kRiding2Pose: return {16, 120};
    case kLyingPose: return {32, 128};
    default: return {16 * (pose % 8), 24 * (pose / 8)};
    }
}

int poseAtSheet(int x, int y) {
    for (int pose = 0; pose < kPoseCount; ++pose) {
        const SheetSpot at = sheetSpot(pose);
        const PoseSize size = poseSize(pose);
        if (x >= at.x && y >= at.y && x < at.x + size.width && y < at.y + size.height) return pose;
    }
    return -1;
}

const char* poseName(int pose) { return pose >= 0 && pose < kPoseCount ? kPoseNames[std::size_t(pose)] : ""; }

bool poseHasMirroredFeet(int pose) { return pose == 2 || pose == 5; }

PoseCells poseCells(const PoseTable& table, int pose) {
    PoseCells cells;
    switch (pose) {
    case kRiding1Pose: cells.tiles = kRiding1Tiles; break;
    case kRiding2Pose: cells.tiles = kRiding2Tiles; break;
    case kLyingPose:
        cells.columns = 3;
        cells.rows = 2;
        cells.tiles = kLyingTiles;
        break;
    default:
        if (pose < 0 || pose >= kTablePoses) return cells;
        for (int k = 0; k < 6; ++k) cells.tiles[std::size_t(k)] = table[std::size_t(6 * pose + k)] / 32;
    }
    return cells;
}

const std::vector<int>& battlePoses() {
    static const std::vector<int> poses = [] {
        std::vector<int> out;
        for (const Animation& a : gameAnimations())
            if (a.battle)
                for (const AnimationFrame& f : a.frames) out.push_back(f.pose);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }();
    return poses;
}

} // namespace morvi

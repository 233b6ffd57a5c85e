#pragma once
// What each of a character's 43 poses is: its size, its place in the sprite sheets, its name,
// and which of the character's tiles it shows. Poses 0 to 39 take their tiles from the ROM's
// pose table; 40 (Riding 1), 41 (Riding 2) and 42 (Lying) use fixed tiles after the table's.
#include <array>
#include <string>
#include <vector>

namespace morvi {

constexpr int kTablePoses = 40;
constexpr int kPoseCount = 43;
constexpr int kRiding1Pose = 40;
constexpr int kRiding2Pose = 41;
constexpr int kLyingPose = 42;
constexpr int kTilesWithRiding = 181;
constexpr int kTilesWithoutRiding = 171;
constexpr int kFirstRidingTile = 0xAB;
constexpr int kSheetWidth = 128;
constexpr int kSheetHeight = 128;     // the sheet of the 40 poses (rows 120 to 127 empty)
constexpr int kFullSheetHeight = 144; // the community's sheet, riding and lying poses below

struct PoseSize {
    int width = 16;
    int height = 24;
};
PoseSize poseSize(int pose);
// The pose's top-left corner in the sheets.
struct SheetSpot {
    int x = 0;
    int y = 0;
};
SheetSpot sheetSpot(int pose);
// The pose whose cell holds sheet pixel (x, y) of the full sheet, or -1.
int poseAtSheet(int x, int y);
// "Walking Down 1", "Riding 2", "Lying"; "" for a number that is no pose.
const char* poseName(int pose);
// The game draws the bottom eight rows of these poses mirrored left to right.
bool poseHasMirroredFeet(int pose);

// The tiles of a pose's 8 x 8 cells, rows top first, left to right: `columns` x `rows` of them.
struct PoseCells {
    int columns = 2;
    int rows = 3;
    std::array<int, 6> tiles{};
    int tile(int column, int row) const { return tiles[std::size_t(row * columns + column)]; }
};
// The pose table entries as tile numbers (tile = entry / 32), 6 a pose for poses 0 to 39.
using PoseTable = std::array<std::uint16_t, kTablePoses * 6>;
PoseCells poseCells(const PoseTable& table, int pose);

// The poses a battle shows (the battle animations' poses and Lying), in pose order: colours 12
// to 15 of the palette do not reach them.
const std::vector<int>& battlePoses();
constexpr int kFirstFieldOnlyColor = 12;

} // namespace morvi

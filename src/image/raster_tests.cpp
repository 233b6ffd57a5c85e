#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "image/raster.h"

using namespace morvi;

namespace {

std::set<std::pair<int, int>> asSet(const std::vector<Point>& points) {
    std::set<std::pair<int, int>> s;
    for (const Point& p : points) s.insert({p.x, p.y});
    return s;
}

bool touches8(const Point& a, const Point& b) { return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1; }

IndexedImage pictureOf(const std::vector<std::string>& rows) {
    IndexedImage image;
    image.allocateImage(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.setPixel(x, y, std::uint8_t(rows[std::size_t(y)][std::size_t(x)] - '0'));
    return image;
}

} // namespace

TEST(Raster, LinesReachBothEndsWithoutGapsOrDoublesAndAreTheSameEitherWay) {
    std::mt19937 rng(11);
    for (int round = 0; round < 500; ++round) {
        const Point a{int(rng() % 200) - 50, int(rng() % 200) - 50}, b{int(rng() % 200) - 50, int(rng() % 200) - 50};
        const auto line = linePoints(a, b);
        ASSERT_EQ(line.front(), (b.x < a.x || (b.x == a.x && b.y < a.y)) ? b : a);
        EXPECT_TRUE(asSet(line).count({a.x, a.y}) && asSet(line).count({b.x, b.y}));
        // One pixel per step along the longer axis, each touching the one before.
        EXPECT_EQ(line.size(), std::size_t(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) + 1));
        for (std::size_t i = 1; i < line.size(); ++i) ASSERT_TRUE(touches8(line[i - 1], line[i]));
        EXPECT_EQ(asSet(line), asSet(linePoints(b, a)));
    }
    EXPECT_EQ(linePoints({3, 4}, {3, 4}), (std::vector<Point>{{3, 4}}));
}

TEST(Raster, ShiftSnapsLinesToAxesAndDiagonalsAndBoxesToSquares) {
    EXPECT_EQ(constrainLine({10, 10}, {30, 14}), (Point{30, 10}));
    EXPECT_EQ(constrainLine({10, 10}, {12, -20}), (Point{10, -20}));
    EXPECT_EQ(constrainLine({10, 10}, {20, 18}), (Point{20, 20}));
    EXPECT_EQ(constrainLine({10, 10}, {2, 17}), (Point{2, 18}));
    EXPECT_EQ(constrainSquare({5, 5}, {9, 20}), (Point{20, 20}));
    EXPECT_EQ(constrainSquare({5, 5}, {-3, 7}), (Point{-3, 13}));
}

TEST(Raster, RectanglesAndEllipsesFilledAndAsOutlines) {
    EXPECT_EQ(rectanglePoints({4, 2}, {1, 5}, true).size(), 16u);
    const auto outline = asSet(rectanglePoints({1, 2}, {4, 5}, false));
    EXPECT_EQ(outline.size(), 12u);
    EXPECT_FALSE(outline.count({2, 3}));
    EXPECT_EQ(rectanglePoints({7, 7}, {7, 7}, false).size(), 1u);

    for (auto [w, h] : {std::pair{9, 9}, std::pair{10, 6}, std::pair{1, 5}, std::pair{2, 2}, std::pair{31, 12}}) {
        const Point a{3, 4}, b{3 + w - 1, 4 + h - 1};
        const auto filled = asSet(ellipsePoints(a, b, true));
        const auto ring = asSet(ellipsePoints(b, a, false));
        // It touches every side of its box, stays inside it, and is symmetric both ways.
        int minX = 1 << 20, maxX = -1, minY = 1 << 20, maxY = -1;
        for (auto [x, y] : filled) {
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
            EXPECT_TRUE(filled.count({a.x + b.x - x, y}) && filled.count({x, a.y + b.y - y})) << w << "x" << h;
        }
        EXPECT_EQ(minX, a.x);
        EXPECT_EQ(maxX, b.x);
        EXPECT_EQ(minY, a.y);
        EXPECT_EQ(maxY, b.y);
        // The outline is part of the filled shape, and the filled shape is the outline and what it encloses.
        for (auto p : ring) EXPECT_TRUE(filled.count(p));
        if (w >= 9 && h >= 9) {
            EXPECT_LT(ring.size(), filled.size());
            EXPECT_FALSE(ring.count({(a.x + b.x) / 2, (a.y + b.y) / 2})) << "an outline has no middle";
        }
        // The outline is closed: each of its pixels touches at least two others.
        for (auto [x, y] : ring) {
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) n += (dx || dy) && ring.count({x + dx, y + dy});
            if (w > 2 && h > 2) {
                EXPECT_GE(n, 2) << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
    // A circle's box is square, and so is its shape: the same number of pixels in each quarter turn.
    const auto circle = asSet(ellipsePoints({0, 0}, {14, 14}, true));
    for (auto [x, y] : circle) EXPECT_TRUE(circle.count({y, x}));
}

TEST(Raster, FillIsFourConnectedStopsAtOtherColoursAndTheEdgeAndReplaceTakesEveryPixel) {
    const IndexedImage image = pictureOf({
        "1110000",
        "1010110",
        "1110010",
        "0001000",
        "2221111",
    });
    // The 0s in the ring and the 0 touching it only at a corner are not connected to the outer 0s.
    const auto inside = asSet(floodFillPoints(image, {1, 1}));
    EXPECT_EQ(inside, (std::set<std::pair<int, int>>{{1, 1}}));
    const auto outer = asSet(floodFillPoints(image, {6, 0}));
    EXPECT_TRUE(outer.count({3, 0}) && outer.count({6, 3}) && outer.count({4, 3}));
    EXPECT_FALSE(outer.count({0, 3})) << "(0,3) touches the outer area only diagonally";
    EXPECT_FALSE(outer.count({1, 1}));
    EXPECT_EQ(asSet(floodFillPoints(image, {0, 3})).size(), 3u) << "(0..2, 3), cut off by the 1 at (3,3)";
    EXPECT_TRUE(floodFillPoints(image, {7, 0}).empty()) << "outside the picture";
    EXPECT_TRUE(floodFillPoints(image, {-1, 2}).empty());
    // Colour replace takes every pixel of the colour, connected or not.
    const auto zeros = sameColorPoints(image, {1, 1});
    EXPECT_EQ(zeros.size(), std::size_t(std::count(image.pixels.begin(), image.pixels.end(), 0)));

    // A large uniform picture fills whole.
    IndexedImage big;
    big.allocateImage(128, 128);
    EXPECT_EQ(floodFillPoints(big, {64, 64}).size(), 128u * 128u);
}

TEST(Raster, MirrorReflectsAboutTheVerticalCentreOnOddAndEvenWidths) {
    const std::vector<Point> points{{0, 1}, {2, 3}};
    EXPECT_EQ(asSet(withMirror(points, 8)), (std::set<std::pair<int, int>>{{0, 1}, {7, 1}, {2, 3}, {5, 3}}));
    // On an odd width the middle column is its own mirror image and is not written twice.
    const auto odd = withMirror(std::vector<Point>{{3, 0}, {0, 0}}, 7);
    EXPECT_EQ(odd.size(), 3u);
    EXPECT_EQ(asSet(odd), (std::set<std::pair<int, int>>{{3, 0}, {0, 0}, {6, 0}}));
    // Writes keep only the points inside the picture.
    const auto writes = writesOf(std::vector<Point>{{-1, 0}, {0, 0}, {4, 0}, {0, 3}}, 5, 4, 3);
    EXPECT_EQ(writes, (std::vector<PixelWrite>{{0, 0, 5}}));
}

#pragma once
// The geometry of the drawing tools, on palette indices and free of any window: lines,
// rectangles and ellipses between two points, flood fill and colour replace, mirroring. Each
// returns the pixels it covers; the caller writes them through the family in one go.
#include <cstdint>
#include <span>
#include <vector>

#include "image/indexed_image.h"

namespace morvi {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// One pixel a tool writes.
struct PixelWrite {
    int x = 0;
    int y = 0;
    std::uint8_t value = 0;
    bool operator==(const PixelWrite&) const = default;
};

// v / m rounded down (towards minus infinity), for m > 0: canvas points left of or above a
// picture map to pixels outside it.
constexpr int floorDiv(int v, int m) { return v >= 0 ? v / m : -((-v + m - 1) / m); }

// The 8-connected line from a to b, both ends included. The same pixels either way round.
std::vector<Point> linePoints(Point a, Point b);
// The end a Shift-held line takes: b moved onto the nearest horizontal, vertical or 45-degree
// line through a.
Point constrainLine(Point a, Point b);
// The corner a Shift-held rectangle or ellipse takes: b moved so the box from a is square.
Point constrainSquare(Point a, Point b);
// The rectangle with corners a and b: its outline, or every pixel inside when filled.
std::vector<Point> rectanglePoints(Point a, Point b, bool filled);
// The ellipse inscribed in the box with corners a and b, outline (8-connected) or filled.
std::vector<Point> ellipsePoints(Point a, Point b, bool filled);
// The 4-connected area of the colour at `at` (empty when at lies outside the picture).
std::vector<Point> floodFillPoints(const IndexedImage& image, Point at);
// Every pixel of the picture that has the colour at `at`.
std::vector<Point> sameColorPoints(const IndexedImage& image, Point at);
// The points and their mirror images about the vertical centre line of a picture `width` wide.
std::vector<Point> withMirror(std::span<const Point> points, int width);
// The points inside a width x height picture, as writes of one value.
std::vector<PixelWrite> writesOf(std::span<const Point> points, std::uint8_t value, int width, int height);

} // namespace morvi

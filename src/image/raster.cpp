#include "image/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace morvi {

std::vector<Point> linePoints(Point a, Point b) {
    // Always walked from the same end, so a line and its reverse cover the same pixels.
    const bool swap = b.x < a.x || (b.x == a.x && b.y < a.y);
    if (swap) std::swap(a, b);
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    std::vector<Point> out;
    out.reserve(std::size_t(std::max(dx, -dy)) + 1);
    int err = dx + dy, x = a.x, y = a.y;
    for (;;) {
        out.push_back({x, y});
        if (x == b.x && y == b.y) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return out;
}

Point constrainLine(Point a, Point b) {
    const int dx = b.x - a.x, dy = b.y - a.y;
    const int ax = std::abs(dx), ay = std::abs(dy);
    // Within 22.5 degrees of an axis the line lies on it; otherwise on the diagonal.
    if (2 * ay <= ax) return {b.x, a.y};
    if (2 * ax <= ay) return {a.x, b.y};
    const int d = std::max(ax, ay);
    return {a.x + (dx < 0 ? -d : d), a.y + (dy < 0 ? -d : d)};
}

Point constrainSquare(Point a, Point b) {
    const int dx = b.x - a.x, dy = b.y - a.y;
    const int d = std::max(std::abs(dx), std::abs(dy));
    return {a.x + (dx < 0 ? -d : d), a.y + (dy < 0 ? -d : d)};
}

std::vector<Point> rectanglePoints(Point a, Point b, bool filled) {
    const int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    std::vector<Point> out;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (filled || y == y0 || y == y1 || x == x0 || x == x1) out.push_back({x, y});
    return out;
}

std::vector<Point> ellipsePoints(Point a, Point b, bool filled) {
    const int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    // A pixel is inside when its centre lies in the ellipse through the box's outer edges.
    const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0, rx = w / 2.0, ry = h / 2.0;
    std::vector<std::uint8_t> inside(std::size_t(w) * std::size_t(h), 0);
    auto in = [&](int x, int y) {
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && inside[std::size_t(y - y0) * std::size_t(w) + std::size_t(x - x0)];
    };
    for (int y = y0; y <= y1; ++y) {
        const double v = (y - cy) / ry;
        const double half = rx * std::sqrt(std::max(0.0, 1.0 - v * v));
        // Rows always hold at least their middle pixel, so thin ellipses stay unbroken.
        int from = int(std::ceil(cx - half - 1e-9)), to = int(std::floor(cx + half + 1e-9));
        if (from > to) from = int(std::floor(cx)), to = int(std::ceil(cx));
        for (int x = std::max(from, x0); x <= std::min(to, x1); ++x)
            inside[std::size_t(y - y0) * std::size_t(w) + std::size_t(x - x0)] = 1;
    }
    // Mirror the left half onto the right so the shape is exactly symmetric.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t& here = inside[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            const std::uint8_t mirror = inside[std::size_t(y) * std::size_t(w) + std::size_t(w - 1 - x)];
            const std::uint8_t flipped = inside[std::size_t(h - 1 - y) * std::size_t(w) + std::size_t(x)];
            here = here | mirror | flipped;
        }
    std::vector<Point> out;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (!in(x, y)) continue;
            // The outline: inside pixels with a side on the outside.
            if (filled || !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1)) out.push_back({x, y});
        }
    return out;
}

std::vector<Point> floodFillPoints(const IndexedImage& image, Point at) {
    std::vector<Point> out;
    if (!image.hasPixels() || !image.contains(at.x, at.y)) return out;
    const std::uint8_t colour = image.pixel(at.x, at.y);
    std::vector<std::uint8_t> seen(image.pixels.size(), 0);
    // Row spans: each span is filled whole, and the rows above and below are searched for more.
    std::vector<Point> stack{at};
    while (!stack.empty()) {
        const Point p = stack.back();
        stack.pop_back();
        const std::size_t row = std::size_t(p.y) * std::size_t(image.width);
        if (seen[row + std::size_t(p.x)] || image.pixel(p.x, p.y) != colour) continue;
        int left = p.x, right = p.x;
        while (left > 0 && !seen[row + std::size_t(left - 1)] && image.pixel(left - 1, p.y) == colour) --left;
        while (right + 1 < image.width && !seen[row + std::size_t(right + 1)] && image.pixel(right + 1, p.y) == colour) ++right;
        for (int x = left; x <= right; ++x) {
            seen[row + std::size_t(x)] = 1;
            out.push_back({x, p.y});
        }
        for (int ny : {p.y - 1, p.y + 1}) {
            if (ny < 0 || ny >= image.height) continue;
            const std::size_t nrow = std::size_t(ny) * std::size_t(image.width);
            for (int x = left; x <= right; ++x) {
                if (seen[nrow + std::size_t(x)] || image.pixel(x, ny) != colour) continue;
                stack.push_back({x, ny});
                // One seed per run of the colour is enough.
                while (x + 1 <= right && image.pixel(x + 1, ny) == colour) ++x;
            }
        }
    }
    return out;
}

std::vector<Point> sameColorPoints(const IndexedImage& image, Point at) {
    std::vector<Point> out;
    if (!image.hasPixels() || !image.contains(at.x, at.y)) return out;
    const std::uint8_t colour = image.pixel(at.x, at.y);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.pixel(x, y) == colour) out.push_back({x, y});
    return out;
}

std::vector<Point> withMirror(std::span<const Point> points, int width) {
    std::vector<Point> out(points.begin(), points.end());
    out.reserve(points.size() * 2);
    for (const Point& p : points)
        if (width - 1 - p.x != p.x) out.push_back({width - 1 - p.x, p.y});
    return out;
}

std::vector<PixelWrite> writesOf(std::span<const Point> points, std::uint8_t value, int width, int height) {
    std::vector<PixelWrite> out;
    out.reserve(points.size());
    for (const Point& p : points)
        if (p.x >= 0 && p.y >= 0 && p.x < width && p.y < height) out.push_back({p.x, p.y, value});
    return out;
}

} // namespace morvi

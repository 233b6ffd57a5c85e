#include "image/demo_art.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace morvi::demo {

PaletteColor steppedColor(int red, int green, int blue) {
    auto step = [](int v) { return std::uint8_t(std::clamp(v, 0, 248) / 8 * 8); };
    return makeColor(step(red), step(green), step(blue));
}

PaletteColor hslColor(double hue, double light, double saturation) {
    auto channel = [&](double offset) {
        const double t = std::fmod(hue + offset + 1.0, 1.0);
        const double v = std::clamp(std::abs(t * 6 - 3) - 1, 0.0, 1.0);
        const double c = light + saturation * (v - 0.5) * (1 - std::abs(2 * light - 1));
        return std::uint8_t(std::clamp(int(c * 248) / 8 * 8, 0, 248));
    };
    return makeColor(channel(0), channel(2.0 / 3), channel(1.0 / 3));
}

void Painter::plot(int x, int y, std::uint8_t c) {
    if (!m_image.hasPixels() || !m_image.contains(x, y)) return;
    if (onlyOverDrawn && m_image.pixel(x, y) == 0) return;
    m_image.setPixel(x, y, c);
}

std::uint8_t Painter::at(int x, int y) const {
    return m_image.hasPixels() && m_image.contains(x, y) ? m_image.pixel(x, y) : 0;
}

void Painter::rect(int x0, int y0, int x1, int y1, std::uint8_t c) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) plot(x, y, c);
}

void Painter::ellipse(double cx, double cy, double rx, double ry, std::uint8_t c) {
    if (rx <= 0 || ry <= 0) return;
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) plot(x, y, c);
        }
}

void Painter::shadedEllipse(double cx, double cy, double rx, double ry, std::uint8_t first, int steps) {
    if (rx <= 0 || ry <= 0) return;
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy > 1.0) continue;
            // Light comes from the upper left.
            const double lx = dx + 0.45, ly = dy + 0.45;
            const double light = 1.0 - std::clamp(std::sqrt(lx * lx + ly * ly) / 1.6, 0.0, 1.0);
            const int step = std::clamp(int(light * steps), 0, steps - 1);
            plot(x, y, std::uint8_t(first + step));
        }
}

void Painter::triangle(double x0, double y0, double x1, double y1, double x2, double y2, std::uint8_t c) {
    const int minX = int(std::floor(std::min({x0, x1, x2}))), maxX = int(std::ceil(std::max({x0, x1, x2})));
    const int minY = int(std::floor(std::min({y0, y1, y2}))), maxY = int(std::ceil(std::max({y0, y1, y2})));
    auto edge = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double a = edge(x0, y0, x1, y1, px, py), b = edge(x1, y1, x2, y2, px, py), d = edge(x2, y2, x0, y0, px, py);
            if ((a >= 0 && b >= 0 && d >= 0) || (a <= 0 && b <= 0 && d <= 0)) plot(x, y, c);
        }
}

void Painter::line(double x0, double y0, double x1, double y1, double width, std::uint8_t c) {
    const double length = std::max(1.0, std::hypot(x1 - x0, y1 - y0));
    for (int i = 0; i <= int(length * 2); ++i) {
        const double t = i / (length * 2);
        ellipse(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, width / 2, c);
    }
}

void Painter::outline(std::uint8_t c) {
    std::vector<std::pair<int, int>> edge;
    for (int y = 0; y < m_image.height; ++y)
        for (int x = 0; x < m_image.width; ++x) {
            if (at(x, y) == 0) continue;
            const bool border = x == 0 || y == 0 || at(x - 1, y) == 0 || at(x + 1, y) == 0 || at(x, y - 1) == 0 ||
                                at(x, y + 1) == 0;
            if (border) edge.emplace_back(x, y);
        }
    for (auto [x, y] : edge) plot(x, y, c);
}

} // namespace morvi::demo

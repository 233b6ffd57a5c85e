// The five built-in backdrop pictures, drawn by code: a blue radial glow, a red and a blue
// stone texture (these three carry the program's name in white), a magenta conical sweep and a
// blue water surface. Each keeps well under 256 colours so it can become an indexed backdrop.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "backgrounds/battle_backgrounds.h"

namespace morvi {

namespace {

constexpr double kPi = 3.14159265358979323846;

// 5 x 7 letters of the name, one row per byte, bit 4 the leftmost column.
constexpr std::uint8_t kLetters[5][7] = {
    {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}, // M
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, // O
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, // R
    {0x11, 0x11, 0x11, 0x11, 0x0A, 0x0A, 0x04}, // V
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, // I
};

// Deterministic value noise in 0..1.
double hashNoise(int x, int y, int seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double smoothNoise(double x, double y, int seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = hashNoise(x0, y0, seed), b = hashNoise(x0 + 1, y0, seed);
    const double c = hashNoise(x0, y0 + 1, seed), d = hashNoise(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

double fractal(double x, double y, int seed) {
    double sum = 0, scale = 1, weight = 0.5;
    for (int octave = 0; octave < 4; ++octave) {
        sum += weight * smoothNoise(x * scale, y * scale, seed + octave);
        scale *= 2;
        weight *= 0.5;
    }
    return sum / 0.9375;
}

// Channels rounded to steps of 8 keep the colour count small.
std::uint32_t quantised(double r, double g, double b) {
    auto q = [](double v) { return std::uint8_t(std::clamp(int(v / 8) * 8, 0, 248)); };
    return rgb32(q(r), q(g), q(b));
}

void drawName(Surface& s) {
    const int scale = 3, width = 5 * 6 * scale - scale;
    const int left = (kPreviewSide - width) / 2, top = 96;
    for (int letter = 0; letter < 5; ++letter)
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (kLetters[letter][row] & (0x10 >> col))
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            s.set(left + (letter * 6 + col) * scale + dx, top + row * scale + dy, rgb32(248, 248, 248));
}

} // namespace

Surface backdropArt(int index) {
    Surface s(kPreviewSide, kPreviewSide);
    for (int y = 0; y < kPreviewSide; ++y)
        for (int x = 0; x < kPreviewSide; ++x) {
            const double cx = x - 63.5, cy = y - 63.5;
            const double radius = std::sqrt(cx * cx + cy * cy) / 90.0;
            std::uint32_t colour = 0;
            switch (index) {
            case 0: { // blue radial glow
                const double glow = std::clamp(1.0 - radius, 0.0, 1.0);
                colour = quantised(30 * glow, 80 * glow + 10, 120 + 128 * glow);
                break;
            }
            case 1: { // red stone
                const double n = fractal(x / 16.0, y / 16.0, 11);
                colour = quantised(90 + 150 * n, 20 + 40 * n, 16 + 24 * n);
                break;
            }
            case 2: { // blue stone
                const double n = fractal(x / 12.0, y / 20.0, 23);
                colour = quantised(16 + 30 * n, 40 + 70 * n, 100 + 140 * n);
                break;
            }
            case 3: { // magenta conical sweep
                const double angle = (std::atan2(cy, cx) + kPi) / (2 * kPi);
                colour = quantised(120 + 120 * angle, 20 + 40 * angle, 110 + 120 * (1 - angle));
                break;
            }
            default: { // blue water
                const double wave = 0.5 + 0.25 * std::sin(x / 7.0 + 2 * std::sin(y / 11.0)) +
                                    0.25 * std::sin(y / 5.0 + std::sin(x / 13.0));
                colour = quantised(20 + 40 * wave, 70 + 90 * wave, 140 + 100 * wave);
                break;
            }
            }
            s.set(x, y, colour);
        }
    if (index >= 0 && index < 3) drawName(s);
    return s;
}

} // namespace morvi

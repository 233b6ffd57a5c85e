#pragma once
// Simple drawing on indexed images for the demo ROM's placeholder art: filled shapes in palette
// indices, nothing more. Coordinates outside the image are clipped.
#include <cstdint>

#include "image/indexed_image.h"

namespace morvi::demo {

class Painter {
public:
    explicit Painter(IndexedImage& image) : m_image(image) {}
    void plot(int x, int y, std::uint8_t c);
    void rect(int x0, int y0, int x1, int y1, std::uint8_t c); // inclusive corners
    void ellipse(double cx, double cy, double rx, double ry, std::uint8_t c);
    // An ellipse shaded from light (upper left) to dark: colours first .. first + steps - 1,
    // darkest first.
    void shadedEllipse(double cx, double cy, double rx, double ry, std::uint8_t first, int steps);
    void triangle(double x0, double y0, double x1, double y1, double x2, double y2, std::uint8_t c);
    void line(double x0, double y0, double x1, double y1, double width, std::uint8_t c);
    // Draws colour c on every pixel of colour `from` that touches colour 0 or the edge.
    void outline(std::uint8_t c);
    std::uint8_t at(int x, int y) const;
    // While set, shapes only recolour pixels that are already drawn: details inside a body
    // never change which tiles the picture covers.
    bool onlyOverDrawn = false;

private:
    IndexedImage& m_image;
};

// A colour with each channel clamped to 0..248 and rounded down to a step of 8, as SNES
// colours are.
PaletteColor steppedColor(int red, int green, int blue);
// A colour from hue (0..1 around the wheel, any real number), lightness and saturation (0..1),
// in steps of 8.
PaletteColor hslColor(double hue, double light, double saturation);

// A deterministic small random generator for the art (same output on every machine).
class Dice {
public:
    explicit Dice(std::uint32_t seed) : m_state(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % std::uint32_t(n)); }

private:
    std::uint32_t m_state;
};

} // namespace morvi::demo

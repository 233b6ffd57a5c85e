#pragma once
// The byte forms the edit history keeps a family's chunks in: a family's module writes its parts
// with ChunkOut and reads them back with ChunkIn.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/indexed_image.h"

namespace morvi {

// Chunk numbers a family may use for its parts: a few single chunks, then ranges of numbered ones.
constexpr std::uint32_t kChunkRangeMask = 0xFFFF0000;

class ChunkOut {
public:
    std::vector<std::uint8_t> bytes;
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void i32(std::int64_t v) {
        const auto u = std::uint32_t(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(u >> (8 * i)));
    }
    void raw(const std::uint8_t* p, std::size_t n) {
        i32(std::int64_t(n));
        bytes.insert(bytes.end(), p, p + n);
    }
    template <typename C>
    void raw(const C& c) { raw(c.data(), c.size()); }
    void text(const std::string& s) { raw(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }
    void colors(const PaletteColor* c, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            u8(c[i].blue);
            u8(c[i].green);
            u8(c[i].red);
        }
    }
    void image(const IndexedImage& im) {
        i32(im.width);
        i32(im.height);
        i32(im.colorCount);
        raw(im.pixels);
        colors(im.palette.data(), im.palette.size());
    }
};

// Reads what Out wrote; a chunk cut short reads as zeros rather than past its end.
class ChunkIn {
public:
    explicit ChunkIn(const std::vector<std::uint8_t>& b) : m_b(b) {}
    std::uint8_t u8() { return m_at < m_b.size() ? m_b[m_at++] : 0; }
    std::int32_t i32() {
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= std::uint32_t(u8()) << (8 * i);
        return std::int32_t(u);
    }
    std::vector<std::uint8_t> raw() {
        const std::size_t n = std::min<std::size_t>(std::uint32_t(i32()), m_b.size() - std::min(m_at, m_b.size()));
        std::vector<std::uint8_t> out(m_b.begin() + std::ptrdiff_t(m_at), m_b.begin() + std::ptrdiff_t(m_at + n));
        m_at += n;
        return out;
    }
    template <std::size_t N>
    void raw(std::array<std::uint8_t, N>& out) {
        const auto v = raw();
        out.fill(0);
        std::copy_n(v.begin(), std::min(v.size(), N), out.begin());
    }
    std::string text() {
        const auto v = raw();
        return std::string(v.begin(), v.end());
    }
    void colors(PaletteColor* c, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            c[i].blue = u8();
            c[i].green = u8();
            c[i].red = u8();
        }
    }
    void image(IndexedImage& im) {
        im.width = i32();
        im.height = i32();
        im.colorCount = i32();
        im.pixels = raw();
        colors(im.palette.data(), im.palette.size());
    }

private:
    const std::vector<std::uint8_t>& m_b;
    std::size_t m_at = 0;
};

inline std::vector<std::uint8_t> paletteChunk(std::span<const PaletteColor> colors) {
    ChunkOut o;
    o.colors(colors.data(), colors.size());
    return std::move(o.bytes);
}

} // namespace morvi

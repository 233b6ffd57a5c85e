#pragma once
// A whole ROM image held in memory, for building ROMs in code (the demo ROM, test fixtures)
// and writing them with or without a copier header. Offsets are ROM offsets without header.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace morvi {

constexpr std::uint32_t kRomImageSize = 0x300000;

struct RomImage {
    std::vector<std::uint8_t> bytes;

    explicit RomImage(std::uint32_t size = kRomImageSize, std::uint8_t fill = 0) : bytes(size, fill) {}
    void put(std::uint32_t at, std::span<const std::uint8_t> data) {
        if (at + data.size() > bytes.size()) bytes.resize(at + data.size(), 0);
        std::copy(data.begin(), data.end(), bytes.begin() + at);
    }
    void put8(std::uint32_t at, std::uint8_t v) { put(at, std::span<const std::uint8_t>(&v, 1)); }
    void put16(std::uint32_t at, std::uint16_t v) {
        const std::uint8_t b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
        put(at, b);
    }
    void put24(std::uint32_t at, std::uint32_t v) {
        const std::uint8_t b[3] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16)};
        put(at, b);
    }
    // The file as it is stored: with a 512-byte copier header of zeros in front when asked.
    std::vector<std::uint8_t> fileBytes(bool withHeader) const;
    bool writeFile(const std::string& path, bool withHeader) const;
};

} // namespace morvi

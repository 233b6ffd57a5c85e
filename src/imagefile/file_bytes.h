#pragma once
// Small helpers the BMP and PCX codecs share: reading a whole file under a size cap, bounded
// little-endian access to its bytes, and a checked writer.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "image/indexed_image.h"

namespace morvi::filebytes {

enum class ReadStatus { Ok, CannotOpen, TooBig, ReadError };
ReadStatus readFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t cap);

// How every reader starts: the whole file in memory (under the image file cap) and the image's
// old pixels dropped. False when the file cannot be read.
bool startDecoding(const std::string& path, std::vector<std::uint8_t>& bytes, IndexedImage& image);

inline std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
inline void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
inline void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

// Creates or truncates the file and writes every byte; true when that failed in any way.
bool writeFileFailed(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace morvi::filebytes

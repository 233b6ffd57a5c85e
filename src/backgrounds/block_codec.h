#pragma once
// The game's compressed block: a 2-byte little-endian length (the whole block, length bytes
// included), then groups of a control byte (bit 0 first; 1 = literal byte, 0 = 2-byte
// reference) and up to 8 items. A reference's low 11 bits are an absolute position in a
// 2048-byte window that starts zeroed with its write position at 0x7DE; the high 5 bits are the
// copy length minus 3.
#include <cstdint>
#include <span>
#include <vector>

namespace morvi {

constexpr std::size_t kBlockOutputLimit = 8192;
constexpr std::size_t kBlockWindowSize = 2048;
constexpr std::size_t kBlockWindowStart = 0x7DE;
constexpr std::size_t kBlockMinCopy = 3;
constexpr std::size_t kBlockMaxCopy = 34;

// Decompresses the block starting at data[position]. Reading stops at the block's end, at the
// end of data and at 8192 output bytes, whatever the length field claims.
std::vector<std::uint8_t> decompressBlock(std::span<const std::uint8_t> data, std::size_t position);

// The inverse: a block that decompresses to the first 8192 bytes (at most) of input. It picks
// literals and references by cost, so it is never larger than a greedy longest-match encoder.
std::vector<std::uint8_t> compressBlock(std::span<const std::uint8_t> input);

} // namespace morvi

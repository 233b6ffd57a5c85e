#pragma once
// The checksum in the cartridge's internal header: the sum of every byte of the ROM image (the
// copier header left out) mod 0x10000, and its complement beside it. The game never checks it,
// but emulators and flash carts report a ROM whose pair is stale, so every file we write gets
// it recomputed.
#include <cstdint>
#include <optional>
#include <span>

namespace morvi {

class RomBuffer;

// Where the pair is in a HiROM image: the complement (two bytes, low first), then the sum. An
// image over 4 MiB is ExHiROM, whose header is 4 MiB further on. None for an image too short
// to hold a header.
std::optional<std::uint32_t> headerChecksumOffset(std::size_t imageSize);
// The sum as emulators compute it: an image whose size is not a power of two counts as mirrored
// up to the next one (the part past the largest power of two repeated until it fills it), and
// the pair itself counts as a sum of 0 with a complement of 0xFFFF, so the result does not
// depend on what the pair holds now.
std::uint16_t romChecksum(std::span<const std::uint8_t> image);
// Whether the pair in the image holds its true checksum.
bool headerChecksumHolds(std::span<const std::uint8_t> image);
// Puts the true pair into an image in memory (the demo ROM, fixtures).
void setHeaderChecksum(std::span<std::uint8_t> image);
// Writes the true pair through the buffer when it differs from what the file holds (so a file
// already right is not touched there). False only when the write fails.
bool updateHeaderChecksum(RomBuffer& buffer);

} // namespace morvi

#include "rom/rom_checksum.h"

#include <algorithm>
#include <array>

#include "rom/rom_buffer.h"

namespace morvi {

namespace {

constexpr std::uint32_t kHiRomChecksumOffset = 0xFFDC;
constexpr std::size_t kExHiRomSize = 0x400000; // larger images are ExHiROM
constexpr std::uint32_t kExHiRomHeaderShift = 0x400000;
// The pair as the sum counts it: complement 0xFFFF, sum 0.
constexpr std::array<std::uint8_t, 4> kNeutralPair = {0xFF, 0xFF, 0x00, 0x00};

std::array<std::uint8_t, 4> pairBytes(std::uint16_t sum) {
    const std::uint16_t complement = std::uint16_t(~sum);
    return {std::uint8_t(complement), std::uint8_t(complement >> 8), std::uint8_t(sum), std::uint8_t(sum >> 8)};
}

struct Summer {
    std::span<const std::uint8_t> image;
    std::optional<std::uint32_t> pairAt;

    // The plain sum of [start, start + length), the pair counted as neutral.
    std::uint32_t plain(std::size_t start, std::size_t length) const {
        std::uint32_t sum = 0;
        for (const std::uint8_t *p = image.data() + start, *end = p + length; p != end; ++p) sum += *p;
        if (pairAt)
            for (std::size_t i = 0; i < kNeutralPair.size(); ++i)
                if (*pairAt + i >= start && *pairAt + i < start + length) sum += kNeutralPair[i] - image[*pairAt + i];
        return sum;
    }
    // The largest power of two within length is summed once; what follows is summed the same
    // way and repeated until it fills as much again. Only the low 16 bits matter, so a 32-bit
    // sum may wrap.
    std::uint32_t mirrored(std::size_t start, std::size_t length, std::size_t mask) const {
        while (mask != 0 && (length & mask) == 0) mask >>= 1;
        std::uint32_t sum = plain(start, mask);
        std::size_t rest = length - mask;
        if (rest != 0) {
            std::uint32_t tail = mirrored(start + mask, rest, mask >> 1);
            for (; rest < mask; rest += rest) tail += tail;
            sum += tail;
        }
        return sum;
    }
};

} // namespace

std::optional<std::uint32_t> headerChecksumOffset(std::size_t imageSize) {
    const std::uint32_t at = imageSize > kExHiRomSize ? kExHiRomHeaderShift + kHiRomChecksumOffset : kHiRomChecksumOffset;
    if (imageSize < std::size_t(at) + kNeutralPair.size()) return std::nullopt;
    return at;
}

std::uint16_t romChecksum(std::span<const std::uint8_t> image) {
    if (image.empty()) return 0;
    const Summer summer{image, headerChecksumOffset(image.size())};
    return std::uint16_t(summer.mirrored(0, image.size(), std::size_t(1) << (sizeof(std::size_t) * 8 - 1)));
}

bool headerChecksumHolds(std::span<const std::uint8_t> image) {
    const auto at = headerChecksumOffset(image.size());
    if (!at) return false;
    const auto want = pairBytes(romChecksum(image));
    return std::equal(want.begin(), want.end(), image.begin() + *at);
}

void setHeaderChecksum(std::span<std::uint8_t> image) {
    const auto at = headerChecksumOffset(image.size());
    if (!at) return;
    const auto pair = pairBytes(romChecksum(image));
    std::copy(pair.begin(), pair.end(), image.begin() + *at);
}

bool updateHeaderChecksum(RomBuffer& buffer) {
    const std::span<const std::uint8_t> image = buffer.bytes().image();
    const auto at = headerChecksumOffset(image.size());
    if (!at) return true;
    const auto pair = pairBytes(romChecksum(image));
    if (std::equal(pair.begin(), pair.end(), image.begin() + *at)) return true;
    return buffer.write(*at, pair);
}

} // namespace morvi

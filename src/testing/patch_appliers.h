#pragma once
// Patch appliers written from the IPS and BPS format descriptions, sharing nothing with the
// program's patch writers, so that tests check the patches as another patcher would read them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvi::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::optional<Bytes> applyIps(const Bytes& patch, Bytes file) {
    if (patch.size() < 8 || std::string(patch.begin(), patch.begin() + 5) != "PATCH") return std::nullopt;
    std::size_t p = 5;
    for (;;) {
        if (p + 3 > patch.size()) return std::nullopt;
        const std::size_t offset = (std::size_t(patch[p]) << 16) | (std::size_t(patch[p + 1]) << 8) | patch[p + 2];
        p += 3;
        if (offset == 0x454F46) break; // "EOF"
        if (p + 2 > patch.size()) return std::nullopt;
        std::size_t size = (std::size_t(patch[p]) << 8) | patch[p + 1];
        p += 2;
        if (size == 0) {
            if (p + 3 > patch.size()) return std::nullopt;
            const std::size_t count = (std::size_t(patch[p]) << 8) | patch[p + 1];
            const std::uint8_t value = patch[p + 2];
            p += 3;
            if (file.size() < offset + count) file.resize(offset + count);
            for (std::size_t k = 0; k < count; ++k) file[offset + k] = value;
        } else {
            if (p + size > patch.size()) return std::nullopt;
            if (file.size() < offset + size) file.resize(offset + size);
            for (std::size_t k = 0; k < size; ++k) file[offset + k] = patch[p + k];
            p += size;
        }
    }
    if (p + 3 == patch.size()) file.resize((std::size_t(patch[p]) << 16) | (std::size_t(patch[p + 1]) << 8) | patch[p + 2]);
    else if (p != patch.size()) return std::nullopt;
    return file;
}

inline std::uint32_t referenceCrc(const Bytes& data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::optional<Bytes> applyBps(const Bytes& patch, const Bytes& source) {
    if (patch.size() < 4 + 3 + 12 || std::string(patch.begin(), patch.begin() + 4) != "BPS1") return std::nullopt;
    std::size_t p = 4;
    const std::size_t end = patch.size() - 12;
    auto number = [&]() -> std::optional<std::uint64_t> {
        std::uint64_t data = 0, shift = 1;
        for (;;) {
            if (p >= end || shift > (1ull << 56)) return std::nullopt;
            const std::uint8_t x = patch[p++];
            data += (x & 0x7F) * shift;
            if (x & 0x80) return data;
            shift <<= 7;
            data += shift;
        }
    };
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(patch[at]) | std::uint32_t(patch[at + 1]) << 8 | std::uint32_t(patch[at + 2]) << 16 |
               std::uint32_t(patch[at + 3]) << 24;
    };
    const auto sourceSize = number(), targetSize = number(), metadata = number();
    if (!sourceSize || !targetSize || !metadata || *sourceSize != source.size()) return std::nullopt;
    p += *metadata;
    Bytes target;
    std::int64_t sourceRelative = 0, targetRelative = 0;
    while (p < end) {
        const auto action = number();
        if (!action) return std::nullopt;
        const std::uint64_t length = (*action >> 2) + 1;
        switch (*action & 3) {
        case 0: // SourceRead
            for (std::uint64_t k = 0; k < length; ++k) {
                if (target.size() >= source.size()) return std::nullopt;
                target.push_back(source[target.size()]);
            }
            break;
        case 1: // TargetRead
            if (p + length > end) return std::nullopt;
            target.insert(target.end(), patch.begin() + std::ptrdiff_t(p), patch.begin() + std::ptrdiff_t(p + length));
            p += length;
            break;
        default: {
            const auto encoded = number();
            if (!encoded) return std::nullopt;
            const std::int64_t delta = std::int64_t(*encoded >> 1) * ((*encoded & 1) ? -1 : 1);
            if ((*action & 3) == 2) {
                sourceRelative += delta;
                for (std::uint64_t k = 0; k < length; ++k) {
                    if (sourceRelative < 0 || std::size_t(sourceRelative) >= source.size()) return std::nullopt;
                    target.push_back(source[std::size_t(sourceRelative++)]);
                }
            } else {
                targetRelative += delta;
                for (std::uint64_t k = 0; k < length; ++k) {
                    if (targetRelative < 0 || std::size_t(targetRelative) >= target.size()) return std::nullopt;
                    target.push_back(target[std::size_t(targetRelative++)]);
                }
            }
        }
        }
    }
    if (target.size() != *targetSize) return std::nullopt;
    if (le32(end) != referenceCrc(source, source.size()) || le32(end + 4) != referenceCrc(target, target.size()) ||
        le32(end + 8) != referenceCrc(patch, patch.size() - 4))
        return std::nullopt;
    return target;
}

} // namespace morvi::testing

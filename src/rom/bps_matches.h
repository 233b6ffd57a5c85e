#pragma once
// Where earlier bytes repeat: the match finders behind the BPS writer. The source is indexed
// whole before the target is parsed, the target position by position as the writer passes it.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace morvi::bps {

// Target matches are looked up by their first kKey bytes; shorter ones rarely pay for an offset.
inline constexpr std::size_t kKey = 4;
inline constexpr std::uint32_t kNone = 0xFFFFFFFF;

inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// How many bytes a and b have in common from the start, at most limit.
inline std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; n + 8 <= limit; n += 8) {
            std::uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y) return n + std::size_t(std::countr_zero(x ^ y) >> 3);
        }
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// A bucket count for n keys, as a power of two: about two keys a bucket.
inline unsigned bucketBits(std::size_t n) {
    const unsigned bits = unsigned(std::bit_width(n | 1));
    return bits < 13 ? 12 : bits > 23 ? 22 : bits - 1;
}

inline std::uint32_t keyHash(const std::uint8_t* p, unsigned bits) {
    return (load32(p) * 2654435761u) >> (32 - bits);
}

// The source's suffixes in sorted order, so that the positions sharing the longest start with
// any string lie together: a lookup finds the longest match and the nearest runners-up.
class SourceIndex {
public:
    explicit SourceIndex(std::span<const std::uint8_t> source);

    // Calls f(position, length) for the source positions whose bytes match `pattern` (of
    // `limit` bytes) for at least two bytes, the longest first on either side of where the
    // pattern sorts, at most `probes` on each side.
    template <typename F> void matches(const std::uint8_t* pattern, std::size_t limit, std::size_t probes, F&& f) const {
        if (!m_sorted) return;
        const std::size_t at = lowerBound(pattern, limit);
        std::size_t longest = limit;
        for (std::size_t i = at, k = 0; i-- > 0 && k < probes; ++k) {
            if ((longest = lengthAt(i, pattern, longest)) < 2) break;
            f(std::size_t(m_sorted[i]), longest);
        }
        longest = limit;
        for (std::size_t i = at, k = 0; i < m_source.size() && k < probes; ++i, ++k) {
            if ((longest = lengthAt(i, pattern, longest)) < 2) break;
            f(std::size_t(m_sorted[i]), longest);
        }
    }

private:
    std::span<const std::uint8_t> m_source;
    std::unique_ptr<std::int32_t[]> m_sorted; // none for a source too large for 32-bit positions

    // Bytes suffix i has in common with the pattern, at most `cap`.
    std::size_t lengthAt(std::size_t i, const std::uint8_t* pattern, std::size_t cap) const {
        const std::size_t p = std::size_t(m_sorted[i]);
        return matchLength(pattern, m_source.data() + p, std::min(cap, m_source.size() - p));
    }
    // The first suffix not below the pattern.
    std::size_t lowerBound(const std::uint8_t* pattern, std::size_t limit) const;
};

// The target positions already passed, newest first for each key hash.
class TargetChains {
public:
    explicit TargetChains(std::size_t targetSize)
        : m_bits(bucketBits(targetSize)), m_enabled(targetSize < kNone),
          m_heads(m_enabled ? std::size_t(1) << m_bits : 0, kNone),
          m_previous(m_enabled && targetSize ? new std::uint32_t[targetSize] : nullptr) {}

    void add(std::span<const std::uint8_t> target, std::size_t at) {
        if (!m_enabled || at + kKey > target.size()) return;
        std::uint32_t& head = m_heads[keyHash(target.data() + at, m_bits)];
        m_previous[at] = head;
        head = std::uint32_t(at);
    }
    template <typename F> void recent(std::span<const std::uint8_t> target, std::size_t at, std::size_t probes, F&& f) const {
        if (!m_enabled || at + kKey > target.size()) return;
        for (std::uint32_t p = m_heads[keyHash(target.data() + at, m_bits)]; p != kNone && probes-- > 0; p = m_previous[p])
            f(std::size_t(p));
    }

private:
    unsigned m_bits;
    bool m_enabled; // positions are kept in 32 bits
    std::vector<std::uint32_t> m_heads;
    std::unique_ptr<std::uint32_t[]> m_previous; // only entries of added positions are read
};

} // namespace morvi::bps

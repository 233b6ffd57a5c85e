#include "backgrounds/block_codec.h"

#include <algorithm>
#include <array>
#include <limits>

namespace morvi {

std::vector<std::uint8_t> decompressBlock(std::span<const std::uint8_t> data, std::size_t position) {
    std::vector<std::uint8_t> out;
    if (position > data.size() || data.size() - position < 2) return out;
    const std::size_t length = data[position] | (data[position + 1] << 8);
    const std::size_t n = std::min<std::size_t>((length - 2) & 0xFFFF, data.size() - position - 2);
    const std::uint8_t* d = data.data() + position + 2;
    std::array<std::uint8_t, kBlockWindowSize> window{};
    std::size_t w = kBlockWindowStart;
    std::size_t i = 0;
    auto emit = [&](std::uint8_t b) {
        out.push_back(b);
        window[w % kBlockWindowSize] = b;
        ++w;
    };
    while (i < n && out.size() < kBlockOutputLimit) {
        const std::uint8_t control = d[i++];
        for (int bit = 0; bit < 8 && i < n && out.size() < kBlockOutputLimit; ++bit) {
            if (control & (1 << bit)) {
                emit(d[i++]);
            } else {
                if (i + 1 >= n) return out; // a reference cut off by the block's end
                const std::size_t v = d[i] | (d[i + 1] << 8);
                i += 2;
                const std::size_t s = v & 0x7FF, m = (v >> 11) + kBlockMinCopy;
                for (std::size_t j = 0; j < m && out.size() < kBlockOutputLimit; ++j)
                    emit(window[(s + j) % kBlockWindowSize]);
            }
        }
    }
    return out;
}

namespace {

// The input behind 2048 zero bytes: the window's starting content. A reference at distance d
// (1 to 2048) back from position p copies from p - d on, in the usual overlapping way.
struct Matcher {
    std::vector<std::uint8_t> buffer;
    std::vector<int> head, previous;
    static constexpr int kHashSize = 1 << 12;

    explicit Matcher(std::span<const std::uint8_t> input) : buffer(kBlockWindowSize, 0), head(kHashSize, -1) {
        buffer.insert(buffer.end(), input.begin(), input.end());
        previous.assign(buffer.size(), -1);
    }
    int hash(std::size_t p) const {
        return ((buffer[p] << 8) ^ (buffer[p + 1] << 4) ^ buffer[p + 2]) & (kHashSize - 1);
    }
    void insert(std::size_t p) {
        if (p + 2 >= buffer.size()) return;
        int h = hash(p);
        previous[p] = head[std::size_t(h)];
        head[std::size_t(h)] = int(p);
    }
    // Longest match for buffer position p; returns {length, source position}.
    std::pair<std::size_t, std::size_t> longest(std::size_t p) const {
        std::size_t best = 0, from = 0;
        if (p + kBlockMinCopy > buffer.size()) return {0, 0};
        const std::size_t limit = std::min(kBlockMaxCopy, buffer.size() - p);
        for (int c = head[std::size_t(hash(p))]; c >= 0; c = previous[std::size_t(c)]) {
            const std::size_t q = std::size_t(c);
            if (p - q > kBlockWindowSize) break;
            std::size_t len = 0;
            while (len < limit && buffer[q + len] == buffer[p + len]) ++len;
            if (len > best) {
                best = len;
                from = q;
                if (len == limit) break;
            }
        }
        return {best, from};
    }
};

} // namespace

std::vector<std::uint8_t> compressBlock(std::span<const std::uint8_t> input) {
    input = input.first(std::min(input.size(), kBlockOutputLimit));
    const std::size_t n = input.size();
    Matcher matcher(input);
    // The zero prefix: every position in it can start a match.
    for (std::size_t p = 0; p < kBlockWindowSize; ++p) matcher.insert(p);
    std::vector<std::size_t> longestLength(n), source(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto [len, from] = matcher.longest(kBlockWindowSize + i);
        longestLength[i] = len >= kBlockMinCopy ? len : 0;
        source[i] = from;
        matcher.insert(kBlockWindowSize + i);
    }
    // Cheapest parse in bits from each position to the end: a literal costs 9 bits, a
    // reference 17, whatever its length; every shorter copy of a match is a match too.
    std::vector<std::size_t> cost(n + 1, 0), choice(n + 1, 0);
    for (std::size_t i = n; i-- > 0;) {
        cost[i] = 9 + cost[i + 1];
        choice[i] = 1;
        for (std::size_t len = kBlockMinCopy; len <= longestLength[i]; ++len)
            if (17 + cost[i + len] < cost[i]) {
                cost[i] = 17 + cost[i + len];
                choice[i] = len;
            }
    }
    std::vector<std::uint8_t> out = {0, 0};
    std::size_t controlAt = 0;
    int bit = 8;
    for (std::size_t i = 0; i < n;) {
        if (bit == 8) {
            controlAt = out.size();
            out.push_back(0);
            bit = 0;
        }
        if (choice[i] == 1) {
            out[controlAt] |= std::uint8_t(1 << bit);
            out.push_back(input[i]);
            i += 1;
        } else {
            // Buffer position q lies in the window at (q + 0x7DE) mod 2048 (the prefix is 2048 long).
            const std::size_t s = (source[i] + kBlockWindowStart) % kBlockWindowSize;
            const std::size_t v = s | ((choice[i] - kBlockMinCopy) << 11);
            out.push_back(std::uint8_t(v & 0xFF));
            out.push_back(std::uint8_t(v >> 8));
            i += choice[i];
        }
        ++bit;
    }
    out[0] = std::uint8_t(out.size() & 0xFF);
    out[1] = std::uint8_t(out.size() >> 8);
    return out;
}

} // namespace morvi

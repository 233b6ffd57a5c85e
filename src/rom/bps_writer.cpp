// The BPS writer: an optimal parse of the target. Each step of the patch is a run of new bytes
// (TargetRead), bytes where the source has them at the same place (SourceRead), or a copy from
// anywhere in the source or in the target already written (SourceCopy, TargetCopy), whose
// offset is stored relative to where the last copy of its kind ended. The parse finds, within
// a window, the path through the target whose steps cost the fewest bytes as they will be
// encoded, offsets included; a match long enough that nothing can beat it ends the window.
#include <algorithm>
#include <array>
#include <limits>

#include <divsufsort.h>

#include "rom/bps_matches.h"
#include "rom/patch.h"

namespace morvi {

namespace bps {

SourceIndex::SourceIndex(std::span<const std::uint8_t> source) : m_source(source) {
    if (source.empty() || source.size() > std::size_t(std::numeric_limits<saidx_t>::max())) return;
    m_sorted.reset(new std::int32_t[source.size()]);
    static_assert(sizeof(saidx_t) == sizeof(std::int32_t));
    if (divsufsort(source.data(), reinterpret_cast<saidx_t*>(m_sorted.get()), saidx_t(source.size())) != 0) m_sorted.reset();
}

// A binary search that remembers how much of the pattern both bounds share with it: every
// suffix between them shares at least the smaller, so comparisons start there.
std::size_t SourceIndex::lowerBound(const std::uint8_t* pattern, std::size_t limit) const {
    std::size_t low = 0, high = m_source.size(), lowShared = 0, highShared = 0;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2, p = std::size_t(m_sorted[mid]);
        const std::size_t from = std::min(lowShared, highShared), most = std::min(limit, m_source.size() - p);
        const std::size_t shared = from + matchLength(pattern + from, m_source.data() + p + from, most - from);
        const bool below = shared == most ? most < limit : m_source[p + shared] < pattern[shared];
        if (below)
            low = mid + 1, lowShared = shared;
        else
            high = mid, highShared = shared;
    }
    return low;
}

} // namespace bps

namespace {

using namespace bps;

enum Action : std::uint8_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

// Bytes the BPS number n takes (seven bits a byte, each further byte offset by one).
unsigned numberSize(std::uint64_t n) {
    unsigned size = 1;
    for (n >>= 7; n; n >>= 7, ++size) --n;
    return size;
}
unsigned actionSize(std::size_t length) { return numberSize(std::uint64_t(length - 1) << 2); }
std::uint64_t signedNumber(std::int64_t n) { return (std::uint64_t(n < 0 ? -n : n) << 1) | (n < 0 ? 1u : 0u); }

void putNumber(std::vector<std::uint8_t>& out, std::uint64_t n) {
    for (;;) {
        const std::uint8_t low = std::uint8_t(n & 0x7F);
        n >>= 7;
        if (n == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --n;
    }
}

// What the decoder remembers between steps: where each kind of copy ended, and how far its
// source lay from the target position it was written to (a repack moves runs of data by the
// same distance, so the next copy often continues at that distance).
struct Pointers {
    std::int64_t source = 0, target = 0;
    std::int64_t sourceShift = 0, targetShift = 0;
};

// The cheapest way found to reach one target position, and the step that arrives there.
struct Node {
    std::uint64_t cost;
    Pointers at;
    std::uint32_t length;      // of the arriving step
    std::uint32_t literalRun;  // when that step is new bytes: how many in the run so far
    std::int64_t from;         // where a copy reads
    Action action;
};

struct Candidate {
    Action action;
    std::int64_t from;
    std::size_t length;
    unsigned extra; // bytes beyond the action: the offset
};

constexpr std::size_t kNice = 256;    // a match this long ends the window: taken as it is
constexpr std::size_t kWindow = 4096; // target positions parsed together at most
constexpr std::size_t kSourceProbes = 16, kTargetProbes = 16;

class Writer {
public:
    Writer(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target, std::vector<std::uint8_t>& out)
        : m_source(source), m_target(target), m_out(out), m_sourceIndex(source),
          m_targetChains(target.size()), m_nodes(kWindow + kNice + 1) {}

    void run() {
        for (std::size_t at = 0; at < m_target.size();) at = parseWindow(at);
        flushLiteral();
    }

private:
    std::span<const std::uint8_t> m_source, m_target;
    std::vector<std::uint8_t>& m_out;
    SourceIndex m_sourceIndex;
    TargetChains m_targetChains;
    Pointers m_state;
    std::size_t m_literalStart = 0, m_literalLength = 0;
    std::vector<Node> m_nodes;
    std::vector<Candidate> m_found;
    std::vector<std::size_t> m_path;

    // Parses from `start` to the end of a window; returns where the next one starts.
    std::size_t parseWindow(std::size_t start) {
        m_nodes[0] = Node{0, m_state, 0, std::uint32_t(m_literalLength), 0, m_literalLength ? TargetRead : SourceRead};
        std::size_t reached = 0;
        auto relax = [&](std::size_t k, std::uint64_t cost, const Node& step) {
            for (; reached < k; ++reached) m_nodes[reached + 1].cost = std::numeric_limits<std::uint64_t>::max();
            if (cost < m_nodes[k].cost) m_nodes[k] = step, m_nodes[k].cost = cost;
        };
        for (std::size_t k = 0;; ++k) {
            const std::size_t at = start + k;
            if (at == m_target.size() || k == kWindow) {
                commit(start, k);
                return at;
            }
            const Node node = m_nodes[k];
            gather(at, node.at);
            m_targetChains.add(m_target, at);
            if (!m_found.empty() && m_found.back().length >= kNice && !readsOnFrom(at + 1, m_found.back().length)) {
                commit(start, k);
                const Candidate& c = m_found.back();
                emit(c.action, at, c.length, c.from);
                return at + c.length;
            }
            const bool inRun = node.action == TargetRead;
            const std::uint32_t run = inRun ? node.literalRun + 1 : 1;
            relax(k + 1, node.cost + 1 + actionSize(run) - (inRun ? actionSize(run - 1) : 0),
                  Node{0, node.at, 1, run, 0, TargetRead});
            std::size_t length = 1;
            for (const Candidate& c : m_found) {
                Node step{0, node.at, 0, 0, c.from, c.action};
                for (const std::size_t most = std::min(c.length, kNice - 1); length <= most; ++length) {
                    step.length = std::uint32_t(length);
                    if (c.action == SourceCopy) step.at.source = c.from + std::int64_t(length), step.at.sourceShift = c.from - std::int64_t(at);
                    if (c.action == TargetCopy) step.at.target = c.from + std::int64_t(length), step.at.targetShift = c.from - std::int64_t(at);
                    relax(k + length, node.cost + actionSize(length) + c.extra, step);
                }
            }
        }
    }

    // Whether the source has the target's bytes in place from `at` on for longer than `length`:
    // then a long copy one byte earlier is better replaced by a new byte and that read.
    bool readsOnFrom(std::size_t at, std::size_t length) const {
        if (at >= m_source.size() || at >= m_target.size()) return false;
        const std::size_t most = std::min(m_source.size(), m_target.size()) - at;
        return length < most && matchLength(m_target.data() + at, m_source.data() + at, length + 1) > length;
    }

    // The matches at `at`, reduced to those worth having: shortest first, each longer one
    // dearer than the one before it (a match is no use when a longer one costs no more).
    void gather(std::size_t at, const Pointers& p) {
        m_found.clear();
        const std::uint8_t* here = m_target.data() + at;
        const std::size_t left = m_target.size() - at;
        if (at < m_source.size()) {
            const std::size_t n = matchLength(here, m_source.data() + at, std::min(left, m_source.size() - at));
            if (n) m_found.push_back({SourceRead, std::int64_t(at), n, 0});
        }
        auto fromSource = [&](std::int64_t from) {
            if (from < 0 || std::uint64_t(from) >= m_source.size()) return;
            const std::size_t n = matchLength(here, m_source.data() + from, std::min(left, m_source.size() - std::size_t(from)));
            if (n >= 2) m_found.push_back({SourceCopy, from, n, numberSize(signedNumber(from - p.source))});
        };
        auto fromTarget = [&](std::int64_t from) {
            if (from < 0 || std::uint64_t(from) >= at) return;
            const std::size_t n = matchLength(here, m_target.data() + from, left);
            if (n >= 2) m_found.push_back({TargetCopy, from, n, numberSize(signedNumber(from - p.target))});
        };
        fromSource(p.source);
        fromSource(std::int64_t(at) + p.sourceShift);
        fromTarget(p.target);
        fromTarget(std::int64_t(at) + p.targetShift);
        fromTarget(std::int64_t(at) - 1);
        m_sourceIndex.matches(here, left, kSourceProbes, [&](std::size_t from, std::size_t n) {
            m_found.push_back({SourceCopy, std::int64_t(from), n, numberSize(signedNumber(std::int64_t(from) - p.source))});
        });
        m_targetChains.recent(m_target, at, kTargetProbes, [&](std::size_t from) { fromTarget(std::int64_t(from)); });
        std::sort(m_found.begin(), m_found.end(), [](const Candidate& a, const Candidate& b) {
            return a.length != b.length ? a.length > b.length : a.extra < b.extra;
        });
        std::size_t kept = 0;
        for (const Candidate& c : m_found)
            if (kept == 0 || c.extra < m_found[kept - 1].extra) m_found[kept++] = c;
        m_found.resize(kept);
        std::reverse(m_found.begin(), m_found.end());
    }

    // Writes the cheapest path from the window's start to position k of it.
    void commit(std::size_t start, std::size_t k) {
        m_path.clear();
        for (std::size_t i = k; i > 0; i -= m_nodes[i].length) m_path.push_back(i);
        for (auto it = m_path.rbegin(); it != m_path.rend(); ++it) {
            const Node& node = m_nodes[*it];
            emit(node.action, start + *it - node.length, node.length, node.from);
        }
    }

    void emit(Action action, std::size_t at, std::size_t length, std::int64_t from) {
        if (action == TargetRead) {
            if (!m_literalLength) m_literalStart = at;
            m_literalLength += length;
            return;
        }
        flushLiteral();
        putNumber(m_out, (std::uint64_t(length - 1) << 2) | action);
        if (action == SourceCopy) {
            putNumber(m_out, signedNumber(from - m_state.source));
            m_state.source = from + std::int64_t(length);
            m_state.sourceShift = from - std::int64_t(at);
        } else if (action == TargetCopy) {
            putNumber(m_out, signedNumber(from - m_state.target));
            m_state.target = from + std::int64_t(length);
            m_state.targetShift = from - std::int64_t(at);
        }
    }

    void flushLiteral() {
        if (!m_literalLength) return;
        putNumber(m_out, (std::uint64_t(m_literalLength - 1) << 2) | TargetRead);
        const auto first = m_target.begin() + std::ptrdiff_t(m_literalStart);
        m_out.insert(m_out.end(), first, first + std::ptrdiff_t(m_literalLength));
        m_literalLength = 0;
    }
};

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(v >> (8 * k)));
}

} // namespace

std::vector<std::uint8_t> makeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    std::vector<std::uint8_t> out = {'B', 'P', 'S', '1'};
    putNumber(out, source.size());
    putNumber(out, target.size());
    putNumber(out, 0); // no metadata
    Writer(source, target, out).run();
    put32(out, crc32Of(source));
    put32(out, crc32Of(target));
    put32(out, crc32Of(out));
    return out;
}

} // namespace morvi

// The IPS writer. An IPS patch is a list of records, each writing bytes at an offset: plain
// (a 5-byte header and the bytes) or a run of one value (8 bytes for up to 65535 of them). Every
// byte that differs must lie in a record; a record may also take unchanged bytes when that
// saves a header, and a run record may cover unchanged bytes of its value. The records are
// chosen by a shortest path over the file positions, so no set of records is smaller.
#include <algorithm>
#include <limits>

#include "rom/bps_matches.h"
#include "rom/patch.h"

namespace morvi {

namespace {

constexpr std::uint32_t kPlainHeader = 5, kRunRecord = 8;
constexpr std::uint32_t kSkip = 0xFFFFFFFF, kClose = 0xFFFFFFFE; // how a closed state is reached
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

struct Record {
    std::size_t start, length;
    bool run;
};

class RecordPlanner {
public:
    RecordPlanner(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
        : m_source(source), m_target(target) {}

    // The records, in file order, that cover every changed byte.
    std::vector<Record> plan() {
        // Stretches of changes are planned apart where no record can gain by spanning the gap
        // between them: more unchanged bytes than a record header costs, and not all of one
        // value with the changes on both sides (which one run record could cover).
        std::size_t done = 0;
        for (std::size_t first = nextChange(0); first < m_target.size();) {
            std::size_t end = first;
            for (;;) {
                while (end < m_target.size() && changed(end)) ++end;
                const std::size_t next = nextChange(end);
                if (next == m_target.size()) break;
                if (next - end > kPlainHeader && !uniform(end - 1, next + 1)) break;
                end = next;
            }
            // One byte before the stretch, for a change that sits at "EOF".
            planStretch(first > done ? first - 1 : first, end);
            done = end;
            first = nextChange(end);
        }
        return std::move(m_records);
    }

private:
    std::span<const std::uint8_t> m_source, m_target;
    std::vector<Record> m_records;
    std::vector<std::uint32_t> m_closedCost, m_closedHow;
    std::vector<std::uint8_t> m_openedHere;

    bool changed(std::size_t at) const { return at >= m_source.size() || m_source[at] != m_target[at]; }
    std::size_t nextChange(std::size_t at) const {
        const std::size_t common = std::min(m_source.size(), m_target.size());
        if (at < common) at += bps::matchLength(m_target.data() + at, m_source.data() + at, common - at);
        return std::min(at, m_target.size());
    }
    bool uniform(std::size_t from, std::size_t to) const {
        for (std::size_t at = from + 1; at < to; ++at)
            if (m_target[at] != m_target[from]) return false;
        return true;
    }

    // A shortest path over the positions of [first, end), appending its records. The state at a
    // position is "closed" (every record so far has ended) or "open" (a plain record runs
    // through the byte before). Closed costs are kept for the whole stretch because run records
    // jump ahead; the open state only ever moves one byte, so one value of it is enough.
    void planStretch(std::size_t first, std::size_t end) {
        const std::size_t n = end - first;
        m_closedCost.assign(n + 1, kUnreached);
        m_closedHow.assign(n + 1, kSkip);
        m_openedHere.assign(n + 1, 0);
        std::uint32_t openCost = kUnreached, openLength = 0;
        m_closedCost[0] = 0;
        std::size_t runEnd = first;
        auto relaxClosed = [&](std::size_t k, std::uint32_t cost, std::uint32_t how) {
            if (cost < m_closedCost[k]) m_closedCost[k] = cost, m_closedHow[k] = how;
        };
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t at = first + k;
            if (openCost < m_closedCost[k]) m_closedCost[k] = openCost, m_closedHow[k] = kClose;
            const std::uint32_t closed = m_closedCost[k];
            // A record may not start where its offset would read "EOF": a reader takes it for the end.
            const bool mayStart = at != kIpsEofOffset && closed != kUnreached;
            if (!changed(at) && closed != kUnreached) relaxClosed(k + 1, closed, kSkip);
            if (runEnd <= at)
                for (runEnd = at + 1; runEnd < end && m_target[runEnd] == m_target[at];) ++runEnd;
            if (mayStart) {
                const std::size_t run = std::min<std::size_t>(runEnd - at, kIpsMaxRecord);
                relaxClosed(k + run, closed + kRunRecord, std::uint32_t(at));
                // One short of the whole run, for when the byte after it may not start a record.
                if (run > 1) relaxClosed(k + run - 1, closed + kRunRecord, std::uint32_t(at));
            }
            const std::uint32_t fresh = mayStart ? closed + kPlainHeader + 1 : kUnreached;
            const std::uint32_t carried = openCost != kUnreached && openLength < kIpsMaxRecord ? openCost + 1 : kUnreached;
            m_openedHere[k + 1] = fresh < carried;
            openCost = std::min(fresh, carried);
            openLength = m_openedHere[k + 1] ? 1 : openLength + 1;
        }
        if (openCost < m_closedCost[n]) m_closedCost[n] = openCost, m_closedHow[n] = kClose;

        const std::size_t before = m_records.size();
        for (std::size_t k = n; k > 0;) {
            const std::uint32_t how = m_closedHow[k];
            if (how == kSkip) {
                --k;
            } else if (how == kClose) {
                std::size_t start = k;
                while (!m_openedHere[start]) --start;
                m_records.push_back({first + start - 1, k - start + 1, false});
                k = start - 1;
            } else {
                m_records.push_back({how, first + k - how, true});
                k = how - first;
            }
        }
        std::reverse(m_records.begin() + std::ptrdiff_t(before), m_records.end());
    }
};

} // namespace

std::optional<std::vector<std::uint8_t>> makeIpsPatch(std::span<const std::uint8_t> source,
                                                      std::span<const std::uint8_t> target, std::string& error) {
    if (source.size() > kIpsLimit || target.size() > kIpsLimit) {
        error = "an IPS patch cannot describe a ROM larger than 16 MiB; make a BPS patch instead";
        return std::nullopt;
    }
    std::vector<std::uint8_t> out = {'P', 'A', 'T', 'C', 'H'};
    auto put = [&](std::size_t value, int bytes) {
        while (bytes-- > 0) out.push_back(std::uint8_t(value >> (8 * bytes)));
    };
    for (const Record& r : RecordPlanner(source, target).plan()) {
        put(r.start, 3);
        if (r.run) {
            put(0, 2);
            put(r.length, 2);
            out.push_back(target[r.start]);
        } else {
            put(r.length, 2);
            out.insert(out.end(), target.begin() + std::ptrdiff_t(r.start), target.begin() + std::ptrdiff_t(r.start + r.length));
        }
    }
    out.insert(out.end(), {'E', 'O', 'F'});
    if (target.size() < source.size()) put(target.size(), 3); // the truncation extension: the size to cut to
    return out;
}

} // namespace morvi

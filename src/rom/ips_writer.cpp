// The IPS writer. An IPS patch is a list of records, each writing bytes at an offset: plain
// (a 5-byte header and the bytes) or a run of one value (8 bytes for up to 65535 of them). Every
// byte that differs must lie in a record; a record may also take unchanged bytes when that
// saves a header, and a run record may cover unchanged bytes of its value. The records are
// chosen by a shortest path over the file positions, so no set of records is smaller.
#include <limits>

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

// The records, in file order, that cover every changed byte in [0, target.size()).
std::vector<Record> chooseRecords(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    auto changed = [&](std::size_t at) { return at >= source.size() || source[at] != target[at]; };
    std::size_t first = 0, end = target.size();
    while (first < end && !changed(first)) ++first;
    while (end > first && !changed(end - 1)) --end;
    if (first == end) return {};
    if (first > 0) --first; // room to start one byte early when the change sits at "EOF"
    // State at position `first + k`: "closed" (every record so far has ended) or "open" (a plain
    // record runs through the byte before). closedCost is kept whole because run records jump
    // ahead; the open state only ever moves one byte, so one value of it is enough.
    const std::size_t n = end - first;
    std::vector<std::uint32_t> closedCost(n + 1, kUnreached), closedHow(n + 1, kSkip);
    std::vector<std::uint8_t> openedHere(n + 1, 0);
    std::uint32_t openCost = kUnreached, openLength = 0;
    closedCost[0] = 0;
    std::size_t runEnd = first;
    auto relaxClosed = [&](std::size_t k, std::uint32_t cost, std::uint32_t how) {
        if (cost < closedCost[k]) closedCost[k] = cost, closedHow[k] = how;
    };
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = first + k;
        if (openCost < closedCost[k]) closedCost[k] = openCost, closedHow[k] = kClose;
        const std::uint32_t closed = closedCost[k];
        // A record may not start where its offset would read "EOF": a reader takes it for the end.
        const bool mayStart = at != kIpsEofOffset && closed != kUnreached;
        if (!changed(at) && closed != kUnreached) relaxClosed(k + 1, closed, kSkip);
        if (runEnd <= at)
            for (runEnd = at + 1; runEnd < end && target[runEnd] == target[at];) ++runEnd;
        if (mayStart) {
            const std::size_t run = std::min<std::size_t>(runEnd - at, kIpsMaxRecord);
            relaxClosed(k + run, closed + kRunRecord, std::uint32_t(at));
            // One short of the whole run, for when the byte after it may not start a record.
            if (run > 1) relaxClosed(k + run - 1, closed + kRunRecord, std::uint32_t(at));
        }
        const std::uint32_t fresh = mayStart ? closed + kPlainHeader + 1 : kUnreached;
        const std::uint32_t carried = openCost != kUnreached && openLength < kIpsMaxRecord ? openCost + 1 : kUnreached;
        openedHere[k + 1] = fresh < carried;
        openCost = std::min(fresh, carried);
        openLength = openedHere[k + 1] ? 1 : openLength + 1;
    }
    if (openCost < closedCost[n]) closedCost[n] = openCost, closedHow[n] = kClose;

    std::vector<Record> records;
    for (std::size_t k = n; k > 0;) {
        const std::uint32_t how = closedHow[k];
        if (how == kSkip) {
            --k;
        } else if (how == kClose) {
            std::size_t start = k;
            while (!openedHere[start]) --start;
            records.push_back({first + start - 1, k - start + 1, false});
            k = start - 1;
        } else {
            records.push_back({how, first + k - how, true});
            k = how - first;
        }
    }
    return {records.rbegin(), records.rend()};
}

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
    for (const Record& r : chooseRecords(source, target)) {
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

#include "rom/rom_buffer.h"

#include "rom/file_io.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace morvi {

std::vector<std::uint8_t> RomBuffer::original() const {
    std::vector<std::uint8_t> old = m_file;
    forEachReplacedBackwards([&](std::size_t start, std::span<const std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), old.begin() + std::ptrdiff_t(start));
    });
    old.resize(m_originalSize);
    return old;
}

bool RomBuffer::originalDiffersInWritten(std::span<const std::uint8_t> other) const {
    // A byte's value before the writes is what the first write over it replaced. Walk the
    // writes in order, keeping the stretches already seen (disjoint, merged), and compare only
    // the parts of each write that no earlier write covered.
    std::map<std::size_t, std::size_t> seen;
    // The bytes [from, to) as they were, against other's.
    auto differs = [&](std::size_t from, std::size_t to, const std::uint8_t* was) {
        const std::size_t common = std::min({to, m_originalSize, other.size()});
        if (from < common && std::memcmp(was, other.data() + from, common - from) != 0) return true;
        // Past the end of either file, a byte is different only if the other one had it.
        const std::size_t tail = std::max(from, common);
        return tail < to && (tail < m_originalSize) != (tail < other.size());
    };
    std::size_t at = 0;
    for (const auto& [first, last] : m_written) {
        const std::size_t s = std::size_t(first), e = std::size_t(last);
        const std::uint8_t* replaced = m_replaced.data() + at;
        at += e - s;
        auto it = seen.upper_bound(s);
        std::size_t pos = s;
        if (it != seen.begin() && std::prev(it)->second > pos) pos = std::prev(it)->second;
        while (pos < e) {
            const std::size_t gapEnd = it != seen.end() ? std::min(e, it->first) : e;
            if (pos < gapEnd && differs(pos, gapEnd, replaced + (pos - s))) return true;
            pos = std::max(pos, gapEnd);
            if (it == seen.end() || it->first >= e) break;
            pos = std::max(pos, it->second);
            ++it;
        }
        // Remember [s, e), merged with every stretch it touches.
        std::size_t ms = s, me = e;
        auto from = seen.upper_bound(s);
        if (from != seen.begin() && std::prev(from)->second >= s) --from;
        auto to = from;
        while (to != seen.end() && to->first <= e) {
            ms = std::min(ms, to->first);
            me = std::max(me, to->second);
            ++to;
        }
        seen.erase(from, to);
        seen.emplace(ms, me);
    }
    return false;
}

bool rewriteRomFile(const std::string& path, bool hasHeader, const std::function<bool(RomBuffer&)>& write) {
    std::vector<std::uint8_t> copy;
    std::error_code error;
    if (!readWholeFile(path, copy, error)) return false;
    RomBuffer buffer(copy, hasHeader);
    if (!write(buffer)) return false;
    DiskSteps none;
    return replaceFileContents(path, copy, [&] { return buffer.original(); }, none).ok;
}

bool saveFamilyToFile(const std::string& path, bool hasHeader, Notifier& notifier, const char* failure,
                      const std::function<bool(RomBuffer&)>& write) {
    bool refused = false;
    const bool ok = rewriteRomFile(path, hasHeader, [&](RomBuffer& file) {
        refused = !write(file);
        return !refused;
    });
    if (!ok && !refused) notifier.notify(MessageKind::Warning, failure);
    return ok;
}

} // namespace morvi

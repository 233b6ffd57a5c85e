#include "rom/patch.h"

#include <zlib.h>

#include <algorithm>
#include <array>

#include "rom/file_io.h"
#include "rom/rom_bytes.h"
#include "rom/rom_file.h"

namespace morvi {

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt: feed large inputs in pieces.
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1u << 30);
        crc = ::crc32(crc, bytes.data() + at, uInt(n));
        at += n;
    }
    return std::uint32_t(crc);
}

namespace {

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

void putSigned(std::vector<std::uint8_t>& out, std::int64_t n) {
    putNumber(out, (std::uint64_t(n < 0 ? -n : n) << 1) | (n < 0 ? 1u : 0u));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(v >> (8 * k)));
}

// Positions of byte strings of kKey bytes, a few per bucket, newest first.
class MatchIndex {
public:
    static constexpr std::size_t kKey = 6;
    static constexpr std::size_t kWays = 4;

    explicit MatchIndex(std::size_t sizeHint) {
        std::size_t buckets = 1 << 12;
        while (buckets < sizeHint && buckets < (std::size_t(1) << 22)) buckets <<= 1;
        m_mask = buckets - 1;
        m_slots.assign(buckets * kWays, kNone);
    }
    void add(std::span<const std::uint8_t> data, std::size_t at) {
        if (at + kKey > data.size()) return;
        std::uint32_t* b = &m_slots[bucket(data, at) * kWays];
        std::move_backward(b, b + kWays - 1, b + kWays);
        b[0] = std::uint32_t(at);
    }
    template <typename F> void candidates(std::span<const std::uint8_t> data, std::size_t at, F&& f) const {
        if (at + kKey > data.size()) return;
        const std::uint32_t* b = &m_slots[bucket(data, at) * kWays];
        for (std::size_t k = 0; k < kWays && b[k] != kNone; ++k) f(std::size_t(b[k]));
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::size_t bucket(std::span<const std::uint8_t> data, std::size_t at) const {
        std::uint64_t h = 0;
        for (std::size_t k = 0; k < kKey; ++k) h = (h << 8) | data[at + k];
        return std::size_t((h * 0x9E3779B97F4A7C15ull) >> 40) & m_mask;
    }
    std::size_t m_mask = 0;
    std::vector<std::uint32_t> m_slots;
};

std::size_t commonLength(std::span<const std::uint8_t> a, std::size_t i, std::span<const std::uint8_t> b, std::size_t j) {
    std::size_t n = 0;
    while (i + n < a.size() && j + n < b.size() && a[i + n] == b[j + n]) ++n;
    return n;
}

} // namespace

std::vector<std::uint8_t> makeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    std::vector<std::uint8_t> out = {'B', 'P', 'S', '1'};
    putNumber(out, source.size());
    putNumber(out, target.size());
    putNumber(out, 0); // no metadata

    MatchIndex fromSource(source.size()), fromTarget(target.size());
    for (std::size_t i = 0; i + MatchIndex::kKey <= source.size(); ++i) fromSource.add(source, i);

    enum Action { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };
    std::int64_t sourceRelative = 0, targetRelative = 0;
    std::size_t literalStart = 0, literalLength = 0;
    auto flushLiteral = [&] {
        if (!literalLength) return;
        putNumber(out, (std::uint64_t(literalLength - 1) << 2) | TargetRead);
        out.insert(out.end(), target.begin() + std::ptrdiff_t(literalStart),
                   target.begin() + std::ptrdiff_t(literalStart + literalLength));
        literalLength = 0;
    };
    // A copy pays for its action and its distance; below these lengths literals are cheaper.
    constexpr std::size_t kMinRead = 4, kMinCopy = 8;
    std::size_t i = 0, indexed = 0;
    while (i < target.size()) {
        const std::size_t readLength = i < source.size() ? commonLength(target, i, source, i) : 0;
        std::size_t copyLength = 0, copyFrom = 0;
        Action copy = SourceCopy;
        fromSource.candidates(target, i, [&](std::size_t p) {
            const std::size_t n = commonLength(target, i, source, p);
            if (n > copyLength) copyLength = n, copyFrom = p, copy = SourceCopy;
        });
        fromTarget.candidates(target, i, [&](std::size_t p) {
            const std::size_t n = commonLength(target, i, target, p);
            if (n > copyLength) copyLength = n, copyFrom = p, copy = TargetCopy;
        });
        std::size_t length = 0;
        if (readLength >= kMinRead && readLength + kMinCopy / 2 >= copyLength) {
            flushLiteral();
            length = readLength;
            putNumber(out, (std::uint64_t(length - 1) << 2) | SourceRead);
        } else if (copyLength >= kMinCopy) {
            flushLiteral();
            length = copyLength;
            putNumber(out, (std::uint64_t(length - 1) << 2) | copy);
            std::int64_t& relative = copy == SourceCopy ? sourceRelative : targetRelative;
            putSigned(out, std::int64_t(copyFrom) - relative);
            relative = std::int64_t(copyFrom + length);
        } else {
            if (!literalLength) literalStart = i;
            ++literalLength;
            length = 1;
        }
        i += length;
        // Target positions become copy sources once written.
        for (; indexed < i && indexed + MatchIndex::kKey <= target.size(); ++indexed) fromTarget.add(target, indexed);
    }
    flushLiteral();
    put32(out, crc32Of(source));
    put32(out, crc32Of(target));
    put32(out, crc32Of(out));
    return out;
}

std::optional<std::vector<std::uint8_t>> makeIpsPatch(std::span<const std::uint8_t> source,
                                                      std::span<const std::uint8_t> target, std::string& error) {
    if (source.size() > kIpsLimit || target.size() > kIpsLimit) {
        error = "an IPS patch cannot describe a ROM larger than 16 MiB; make a BPS patch instead";
        return std::nullopt;
    }
    auto differs = [&](std::size_t at) { return at >= source.size() || source[at] != target[at]; };
    // Runs of differing bytes; runs closer than a record header are joined.
    constexpr std::size_t kJoinGap = 5;
    struct Range {
        std::size_t start, end;
    };
    std::vector<Range> ranges;
    for (std::size_t at = 0; at < target.size();) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        for (;;) {
            while (end < target.size() && differs(end)) ++end;
            std::size_t next = end;
            while (next < target.size() && next - end <= kJoinGap && !differs(next)) ++next;
            if (next < target.size() && next - end <= kJoinGap && differs(next)) {
                end = next;
                continue;
            }
            break;
        }
        ranges.push_back({at, end});
        at = end;
    }
    std::vector<std::uint8_t> out = {'P', 'A', 'T', 'C', 'H'};
    auto header = [&](std::size_t at, std::size_t size) {
        out.push_back(std::uint8_t(at >> 16));
        out.push_back(std::uint8_t(at >> 8));
        out.push_back(std::uint8_t(at));
        out.push_back(std::uint8_t(size >> 8));
        out.push_back(std::uint8_t(size));
    };
    constexpr std::size_t kMinRun = 9; // a run record is 8 bytes
    for (Range r : ranges) {
        std::size_t at = r.start;
        while (at < r.end) {
            // A record may not start at the offset that reads "EOF": it starts one byte earlier.
            if (at == kIpsEofOffset) --at;
            std::size_t run = 1;
            while (at + run < r.end && run < kIpsMaxRecord && target[at + run] == target[at]) ++run;
            if (run >= kMinRun) {
                header(at, 0);
                out.push_back(std::uint8_t(run >> 8));
                out.push_back(std::uint8_t(run));
                out.push_back(target[at]);
                at += run;
                continue;
            }
            // Plain bytes up to the next long run, at most a record's worth.
            std::size_t end = at;
            while (end < r.end && end - at < kIpsMaxRecord) {
                std::size_t same = 1;
                while (end + same < r.end && same < kMinRun && target[end + same] == target[end]) ++same;
                if (same >= kMinRun) break;
                end += same;
            }
            end = std::min(end, at + kIpsMaxRecord);
            // The next record must not start at "EOF" either; taking it into this one is
            // simplest when there is room.
            if (end == kIpsEofOffset && end < r.end && end - at < kIpsMaxRecord) ++end;
            header(at, end - at);
            out.insert(out.end(), target.begin() + std::ptrdiff_t(at), target.begin() + std::ptrdiff_t(end));
            at = end;
        }
    }
    out.insert(out.end(), {'E', 'O', 'F'});
    if (target.size() < source.size()) {
        // The truncation extension: the size to cut the file to.
        out.push_back(std::uint8_t(target.size() >> 16));
        out.push_back(std::uint8_t(target.size() >> 8));
        out.push_back(std::uint8_t(target.size()));
    }
    return out;
}

std::optional<PatchFormat> patchFormatOf(const std::string& path) {
    if (path.size() < 4) return std::nullopt;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ending == ".bps") return PatchFormat::Bps;
    if (ending == ".ips") return PatchFormat::Ips;
    return std::nullopt;
}

namespace {
bool hasCopierHeader(std::span<const std::uint8_t> file) {
    switch (detectRomHeader(file)) {
    case HeaderTest::Present: return true;
    case HeaderTest::Absent: return false;
    default: return file.size() % 0x400 == kCopierHeaderSize;
    }
}
} // namespace

std::string writePatchFile(const std::string& originalPath, const std::string& modifiedPath,
                           const std::string& patchPath, PatchFormat format) {
    std::vector<std::uint8_t> original, modified;
    std::error_code error;
    if (!readWholeFile(originalPath, original, error))
        return "The original ROM could not be read (" + describeError(error) + ").";
    if (!readWholeFile(modifiedPath, modified, error))
        return "The modified ROM could not be read (" + describeError(error) + ").";
    if (hasCopierHeader(original) != hasCopierHeader(modified))
        return "One ROM has a copier header and the other does not: a patch between them would apply to neither. "
               "Remove the header from one of them or add it to the other first.";
    std::vector<std::uint8_t> patch;
    if (format == PatchFormat::Bps) {
        patch = makeBpsPatch(original, modified);
    } else {
        std::string why;
        auto ips = makeIpsPatch(original, modified, why);
        if (!ips) return "The patch could not be made: " + why + ".";
        patch = std::move(*ips);
    }
    if (!writeReplacing(patchPath, [&](const std::string& temp) { return writeWholeFile(temp, patch); }))
        return "The patch file could not be written.";
    return {};
}

} // namespace morvi

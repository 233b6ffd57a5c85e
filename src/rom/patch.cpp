#include "rom/patch.h"

#include <zlib.h>

#include <algorithm>

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

std::optional<PatchFormat> patchFormatOf(const std::string& path) {
    if (path.size() < 4) return std::nullopt;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ending == ".bps") return PatchFormat::Bps;
    if (ending == ".ips") return PatchFormat::Ips;
    return std::nullopt;
}

namespace {

// Applies the patch to source as a patcher would and tells whether that gives target exactly:
// the check every patch passes before it is written.
bool rebuildsTarget(PatchFormat format, std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                    std::span<const std::uint8_t> target) {
    std::vector<std::uint8_t> out;
    std::size_t p = 0;
    auto has = [&](std::size_t n) { return n <= patch.size() - p; };
    if (format == PatchFormat::Ips) {
        if (patch.size() < 8 || !std::equal(patch.begin(), patch.begin() + 5, "PATCH")) return false;
        out.assign(source.begin(), source.end());
        auto be = [&](int n) {
            std::size_t v = 0;
            while (n-- > 0) v = (v << 8) | patch[p++];
            return v;
        };
        for (p = 5;;) {
            if (!has(3)) return false;
            const std::size_t at = be(3);
            if (at == kIpsEofOffset) break;
            if (!has(2)) return false;
            std::size_t size = be(2), fill = 0;
            const bool run = size == 0;
            if (run && !has(3)) return false;
            if (run) size = be(2), fill = patch[p++];
            if (!run && !has(size)) return false;
            if (out.size() < at + size) out.resize(at + size);
            for (std::size_t k = 0; k < size; ++k) out[at + k] = run ? std::uint8_t(fill) : patch[p + k];
            if (!run) p += size;
        }
        if (has(3) && patch.size() - p == 3) out.resize(be(3));
        return p == patch.size() && std::ranges::equal(out, target);
    }
    if (patch.size() < 4 + 3 + 12 || !std::equal(patch.begin(), patch.begin() + 4, "BPS1")) return false;
    const std::size_t end = patch.size() - 12; // three checksums close the patch
    auto number = [&](std::uint64_t& n) {
        n = 0;
        for (std::uint64_t shift = 1; p < end && shift < (1ull << 56); shift <<= 7) {
            const std::uint8_t x = patch[p++];
            n += (x & 0x7F) * shift;
            if (x & 0x80) return true;
            n += shift << 7;
        }
        return false;
    };
    std::uint64_t sourceSize, targetSize, metadata;
    p = 4;
    if (!number(sourceSize) || !number(targetSize) || !number(metadata) || sourceSize != source.size() ||
        targetSize != target.size() || metadata > end - p)
        return false;
    p += metadata;
    out.reserve(target.size());
    std::uint64_t sourceAt = 0, targetAt = 0;
    while (p < end) {
        std::uint64_t action, length, offset = 0;
        if (!number(action)) return false;
        length = (action >> 2) + 1;
        if (length > target.size() - out.size()) return false;
        if ((action & 3) >= 2 && !number(offset)) return false;
        std::uint64_t& from = (action & 3) == 2 ? sourceAt : targetAt;
        from += (offset & 1) ? -(offset >> 1) : offset >> 1;
        switch (action & 3) {
        case 0: // the source's bytes at the same place
            if (out.size() + length > source.size()) return false;
            out.insert(out.end(), source.begin() + std::ptrdiff_t(out.size()), source.begin() + std::ptrdiff_t(out.size() + length));
            break;
        case 1: // new bytes
            if (length > end - p) return false;
            out.insert(out.end(), patch.begin() + std::ptrdiff_t(p), patch.begin() + std::ptrdiff_t(p + length));
            p += length;
            break;
        case 2: // from anywhere in the source
            if (from > source.size() || length > source.size() - from) return false;
            out.insert(out.end(), source.begin() + std::ptrdiff_t(from), source.begin() + std::ptrdiff_t(from + length));
            from += length;
            break;
        default: // from the target written so far, byte by byte
            for (std::uint64_t k = 0; k < length; ++k, ++from) {
                if (from >= out.size()) return false;
                out.push_back(out[from]);
            }
        }
    }
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(patch[at]) | std::uint32_t(patch[at + 1]) << 8 | std::uint32_t(patch[at + 2]) << 16 |
               std::uint32_t(patch[at + 3]) << 24;
    };
    return std::ranges::equal(out, target) && le32(end) == crc32Of(source) && le32(end + 4) == crc32Of(target) &&
           le32(end + 8) == crc32Of(patch.first(end + 8));
}

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
    if (!rebuildsTarget(format, patch, original, modified))
        return "The patch could not be made: applied to the original ROM it did not give the modified one. Nothing was written.";
    if (!writeReplacing(patchPath, [&](const std::string& temp) { return writeWholeFile(temp, patch); }))
        return "The patch file could not be written.";
    return {};
}

} // namespace morvi

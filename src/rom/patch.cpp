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

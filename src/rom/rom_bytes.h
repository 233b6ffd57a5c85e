#pragma once
// A ROM file held in memory, read once per open, with the header rule: what every family
// reader parses. Reads are checked against the bytes there are, like the file helper's.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_state.h"

namespace morvi {

struct RomBytes {
    std::span<const std::uint8_t> file; // the file as stored, copier header included
    bool hasHeader = true;

    RomBytes() = default;
    RomBytes(std::span<const std::uint8_t> bytes, bool header) : file(bytes), hasHeader(header) {}
    RomBytes(std::span<const std::uint8_t> bytes, const RomState& state) : file(bytes), hasHeader(state.romHasHeader) {}

    std::uint64_t fileOffset(std::uint32_t romOffset) const {
        return hasHeader ? std::uint64_t(romOffset) + kCopierHeaderSize : romOffset;
    }
    // True when the ROM image holds bytes romOffset .. romOffset + count - 1.
    bool holds(std::uint32_t romOffset, std::size_t count) const {
        const std::uint64_t start = fileOffset(romOffset);
        return start <= file.size() && count <= file.size() - start;
    }
    // The bytes, or an empty span when the file is too short for them.
    std::span<const std::uint8_t> at(std::uint32_t romOffset, std::size_t count) const {
        if (!holds(romOffset, count)) return {};
        return file.subspan(std::size_t(fileOffset(romOffset)), count);
    }
    // The bytes in place, valid as long as the file's bytes are; when the file is too short,
    // an empty span, and ok (when given) becomes false and stays false once it is.
    std::span<const std::uint8_t> view(std::uint32_t romOffset, std::size_t count, bool* ok) const {
        if (!holds(romOffset, count) && ok) *ok = false;
        return at(romOffset, count);
    }
    // The ROM image without the header (empty when the file is shorter than one).
    std::span<const std::uint8_t> image() const;
};

// Reads a whole ROM file the way the editor opens it: for reading and writing, so a file that
// cannot be written cannot be loaded. False when it cannot be opened or read.
bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out);

// The header test on bytes in memory.
HeaderTest detectRomHeader(std::span<const std::uint8_t> file);

} // namespace morvi

#pragma once
// Which ROM file is being edited and whether it starts with a 512-byte copier header.
#include <cstdint>
#include <cstdio>
#include <string>

namespace morvi {

constexpr std::uint32_t kCopierHeaderSize = 0x200;
constexpr long kHeaderTestWithHeader = 0x220;
constexpr long kHeaderTestWithoutHeader = 0x20;
constexpr std::uint8_t kHeaderTestByte = 0xA2;
constexpr std::size_t kRomPathCapacity = 1023;

struct RomState {
    std::string romPath;     // empty until the first successful load
    bool romHasHeader = true;

    // File position of a position in the game's ROM image.
    std::uint64_t romFileOffset(std::uint32_t romOffset) const {
        return romHasHeader ? std::uint64_t(romOffset) + kCopierHeaderSize : romOffset;
    }
};

enum class HeaderTest { Present, Absent, NotRecognised };

// The header test: 0xA2 at file offset 0x220 means a header, else 0xA2 at 0x20 means none.
// A byte the file is too short to hold counts as not 0xA2.
HeaderTest detectRomHeader(std::FILE* file);
HeaderTest detectRomHeader(const std::string& path);

} // namespace morvi

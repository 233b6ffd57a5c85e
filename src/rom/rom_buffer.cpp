#include "rom/rom_buffer.h"

#include "rom/file_io.h"

namespace morvi {

bool rewriteRomFile(const std::string& path, bool hasHeader, const std::function<bool(RomBuffer&)>& write) {
    std::vector<std::uint8_t> disk;
    std::error_code error;
    if (!readWholeFile(path, disk, error)) return false;
    std::vector<std::uint8_t> copy = disk;
    RomBuffer buffer(copy, hasHeader);
    if (!write(buffer)) return false;
    return replaceFileContents(path, copy, disk).ok;
}

} // namespace morvi

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

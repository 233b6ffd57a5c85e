#include "rom/rom_file.h"

#include "rom/rom_bytes.h"

#include <filesystem>

namespace morvi {

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::error_code ignored;
    return readWholeFile(path, out, ignored);
}

bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out) {
    // For reading and writing, as the editor opens a ROM: one it cannot write is refused.
    std::error_code ignored;
    return readWholeFile(path, out, ignored, "r+b");
}

bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
    std::FILE* file = openFile(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

bool writeReplacing(const std::string& path, const std::function<bool(const std::string& temp)>& write) {
    const std::string temp = path + ".morvi-part";
    std::error_code ec;
    if (!write(temp)) {
        std::filesystem::remove(pathFromUtf8(temp), ec);
        return false;
    }
    std::filesystem::rename(pathFromUtf8(temp), pathFromUtf8(path), ec);
    if (ec) {
        std::filesystem::remove(pathFromUtf8(temp), ec);
        return false;
    }
    return true;
}

} // namespace morvi

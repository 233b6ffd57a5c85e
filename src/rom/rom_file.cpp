#include "rom/rom_file.h"

#include "rom/rom_bytes.h"

#include <filesystem>

namespace morvi {

namespace {

bool readOpened(std::FILE* file, std::vector<std::uint8_t>& out) {
    if (!file) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(std::size_t(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    return readOpened(openFile(path, "rb"), out);
}

bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out) {
    // For reading and writing, as the editor opens a ROM: one it cannot write is refused.
    return readOpened(openFile(path, "r+b"), out);
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

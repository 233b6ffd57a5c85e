#include "rom/rom_bytes.h"

#include <cstdio>

namespace morvi {

std::vector<std::uint8_t> RomBytes::read(std::uint32_t romOffset, std::size_t count, bool* ok) const {
    const auto bytes = at(romOffset, count);
    if (bytes.size() != count || (count == 0 && !holds(romOffset, 0))) {
        if (ok) *ok = false;
        return std::vector<std::uint8_t>(count, 0);
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::span<const std::uint8_t> RomBytes::image() const {
    if (!hasHeader) return file;
    return file.size() < kCopierHeaderSize ? std::span<const std::uint8_t>() : file.subspan(kCopierHeaderSize);
}

bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(std::size_t(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}

HeaderTest detectRomHeader(std::span<const std::uint8_t> file) {
    if (file.size() > std::size_t(kHeaderTestWithHeader) && file[kHeaderTestWithHeader] == kHeaderTestByte)
        return HeaderTest::Present;
    if (file.size() > std::size_t(kHeaderTestWithoutHeader) && file[kHeaderTestWithoutHeader] == kHeaderTestByte)
        return HeaderTest::Absent;
    return HeaderTest::NotRecognised;
}

} // namespace morvi

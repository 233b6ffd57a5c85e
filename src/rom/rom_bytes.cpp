#include "rom/rom_bytes.h"

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

HeaderTest detectRomHeader(std::span<const std::uint8_t> file) {
    if (file.size() > std::size_t(kHeaderTestWithHeader) && file[kHeaderTestWithHeader] == kHeaderTestByte)
        return HeaderTest::Present;
    if (file.size() > std::size_t(kHeaderTestWithoutHeader) && file[kHeaderTestWithoutHeader] == kHeaderTestByte)
        return HeaderTest::Absent;
    return HeaderTest::NotRecognised;
}

} // namespace morvi

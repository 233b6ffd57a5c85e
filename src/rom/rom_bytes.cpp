#include "rom/rom_bytes.h"

namespace morvi {

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

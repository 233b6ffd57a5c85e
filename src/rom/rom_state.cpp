#include "rom/rom_state.h"

#include "rom/file_io.h"

namespace morvi {

namespace {
bool byteAtIs(std::FILE* file, long offset, std::uint8_t expected) {
    if (std::fseek(file, offset, SEEK_SET) != 0) return false;
    int c = std::fgetc(file);
    return c != EOF && std::uint8_t(c) == expected;
}
} // namespace

HeaderTest detectRomHeader(std::FILE* file) {
    if (!file) return HeaderTest::NotRecognised;
    if (byteAtIs(file, kHeaderTestWithHeader, kHeaderTestByte)) return HeaderTest::Present;
    if (byteAtIs(file, kHeaderTestWithoutHeader, kHeaderTestByte)) return HeaderTest::Absent;
    return HeaderTest::NotRecognised;
}

HeaderTest detectRomHeader(const std::string& path) {
    std::FILE* file = openFile(path, "rb");
    if (!file) return HeaderTest::NotRecognised;
    HeaderTest result = detectRomHeader(file);
    std::fclose(file);
    return result;
}

} // namespace morvi

#include "rom/rom_image.h"

#include "rom/rom_file.h"
#include "rom/rom_state.h"

namespace morvi {

std::vector<std::uint8_t> RomImage::fileBytes(bool withHeader) const {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() + kCopierHeaderSize);
    if (withHeader) out.resize(kCopierHeaderSize, 0);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

bool RomImage::writeFile(const std::string& path, bool withHeader) const {
    return writeWholeFile(path, fileBytes(withHeader));
}

} // namespace morvi

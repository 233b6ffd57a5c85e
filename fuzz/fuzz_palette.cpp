// Any bytes as a palette file: the reader refuses with a reason or gives 1 to 256 colours, and
// what it gives survives being written in every format and read back.
#include <cstdint>
#include <span>

#include "imagefile/palette_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const morvi::PaletteRead r = morvi::readPalette(std::span<const std::uint8_t>(data, size));
    if (!r.ok()) {
        if (!r.colors.empty()) __builtin_trap();
        return 0;
    }
    if (r.colors.empty() || r.colors.size() > morvi::kMaxPaletteFileColors) __builtin_trap();
    for (auto format : {morvi::PaletteFormat::Jasc, morvi::PaletteFormat::Gimp, morvi::PaletteFormat::Act,
                        morvi::PaletteFormat::Hex}) {
        const morvi::PaletteRead back = morvi::readPalette(morvi::writePalette(r.colors, format));
        if (!back.ok() || back.colors != r.colors) __builtin_trap();
    }
    return 0;
}

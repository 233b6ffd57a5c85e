// Any bytes as a .pcx file: the reader answers with a result code, never reads out of bounds.
#include "fuzz/fuzz_file.h"
#include "imagefile/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const morvi::fuzz::ScratchFile scratch(".pcx");
    const std::string& path = scratch.path();
    if (!morvi::fuzz::writeScratch(path, data, size)) return 0;
    morvi::IndexedImage image;
    const auto result = morvi::loadPcx(image, path, 256, 1024, 1024);
    if (result == morvi::ImageLoadResult::Read && !image.hasPixels()) __builtin_trap();
    return 0;
}

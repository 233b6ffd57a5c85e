// The first byte picks the extension; the rest is the file. Small limits exercise the refusals.
#include "fuzz/fuzz_file.h"
#include "imagefile/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const char* endings[] = {".bmp", ".pcx", ".png", ".PNG", ".gif"};
    const std::string path = morvi::fuzz::scratchPath(endings[data[0] % 5]);
    if (!morvi::fuzz::writeScratch(path, data + 1, size - 1)) return 0;
    morvi::IndexedImage image;
    morvi::loadImageFile(image, path, 16, 128, 128);
    std::remove(path.c_str());
    return 0;
}

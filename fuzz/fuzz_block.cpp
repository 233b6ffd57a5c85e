// Any bytes as a compressed block; and any bytes through the compressor and back.
#include "backgrounds/block_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    if (morvi::decompressBlock(bytes, 0).size() > morvi::kBlockOutputLimit) __builtin_trap();
    auto packed = morvi::compressBlock(bytes.first(std::min(size, morvi::kBlockOutputLimit)));
    if (morvi::decompressBlock(packed, 0) != std::vector<std::uint8_t>(data, data + std::min(size, morvi::kBlockOutputLimit)))
        __builtin_trap();
    return 0;
}

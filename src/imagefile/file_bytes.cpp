#include "imagefile/file_bytes.h"

#include "imagefile/image_file.h"
#include "rom/file_io.h"

namespace morvi::filebytes {

ReadStatus readFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t cap) {
    std::FILE* file = openFile(path, "rb");
    if (!file) return ReadStatus::CannotOpen;
    ReadStatus status = ReadStatus::Ok;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) != 0 || (size = std::ftell(file)) < 0 ||
        std::fseek(file, 0, SEEK_SET) != 0)
        status = ReadStatus::ReadError;
    else if (std::uint64_t(size) > cap)
        status = ReadStatus::TooBig;
    else {
        out.resize(std::size_t(size));
        if (std::fread(out.data(), 1, out.size(), file) != out.size()) status = ReadStatus::ReadError;
    }
    std::fclose(file);
    return status;
}

bool startDecoding(const std::string& path, std::vector<std::uint8_t>& bytes, IndexedImage& image) {
    if (readFile(path, bytes, kMaxImageFileBytes) != ReadStatus::Ok) return false;
    image.releasePixels();
    return true;
}

bool writeFileFailed(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* file = openFile(path, "wb");
    if (!file) return true;
    bool failed = std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size();
    failed = (std::fclose(file) != 0) || failed;
    return failed;
}

} // namespace morvi::filebytes

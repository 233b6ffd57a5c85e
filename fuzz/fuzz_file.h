#pragma once
// The readers take paths: each input goes to a scratch file in memory-backed storage.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace morvi::fuzz {

inline std::string scratchPath(const char* ext) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/morvi-fuzz-" + std::to_string(getpid()) + ext;
}

inline bool writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace morvi::fuzz

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

// A scratch file named for this process, removed with the object: a harness keeps one as a
// static, so a run leaves nothing behind in memory-backed storage when it ends.
class ScratchFile {
public:
    explicit ScratchFile(const char* ext) : m_path(scratchPath(ext)) {}
    ~ScratchFile() { std::remove(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline bool writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace morvi::fuzz

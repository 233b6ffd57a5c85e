#pragma once
// The one way the data families touch the ROM file: opened by path for reading and writing in
// binary mode, positioned through the header rule, every read and write checked for its full
// count. A short read or write is reported to the caller and remembered, never ignored.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_state.h"

namespace morvi {

class RomFile {
public:
    enum class Mode { ReadWrite, ReadOnly };

    RomFile() = default;
    RomFile(const RomFile&) = delete;
    RomFile& operator=(const RomFile&) = delete;
    ~RomFile();

    // Opens an existing file; never creates or truncates it.
    bool open(const std::string& path, const RomState& state, Mode mode = Mode::ReadWrite);
    bool isOpen() const { return m_file != nullptr; }
    // Closes the file; false when buffered writes could not be flushed.
    bool close();

    // Size of the file in bytes, header included.
    std::uint64_t fileSize() const { return m_fileSize; }
    // True when the ROM image (without header) holds bytes romOffset .. romOffset + count - 1.
    bool holds(std::uint32_t romOffset, std::size_t count) const;

    bool read(std::uint32_t romOffset, std::span<std::uint8_t> out);
    std::vector<std::uint8_t> read(std::uint32_t romOffset, std::size_t count, bool* ok);
    bool readByte(std::uint32_t romOffset, std::uint8_t& out);
    bool write(std::uint32_t romOffset, std::span<const std::uint8_t> data);

    // False once any read or write fell short.
    bool good() const { return m_good; }

private:
    bool seek(std::uint32_t romOffset);

    std::FILE* m_file = nullptr;
    RomState m_state;
    std::uint64_t m_fileSize = 0;
    bool m_good = true;
};

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out);
// Creates or truncates a file and writes the bytes; false on any failure.
bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> data);
// Has write(temp) fill a new file beside path and puts it in place of path only when write
// succeeded. On failure the temporary file goes and path is left as it was, so a failed
// export never leaves a picture cut short nor destroys the file it would have replaced.
bool writeReplacing(const std::string& path, const std::function<bool(const std::string& temp)>& write);

} // namespace morvi

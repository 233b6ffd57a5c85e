#include "rom/rom_file.h"

#include "rom/rom_bytes.h"

#include <filesystem>

namespace morvi {

RomFile::~RomFile() { close(); }

bool RomFile::open(const std::string& path, const RomState& state, Mode mode) {
    close();
    m_state = state;
    m_good = true;
    m_file = std::fopen(path.c_str(), mode == Mode::ReadWrite ? "r+b" : "rb");
    if (!m_file) return false;
    if (std::fseek(m_file, 0, SEEK_END) != 0) {
        close();
        return false;
    }
    long size = std::ftell(m_file);
    if (size < 0) {
        close();
        return false;
    }
    m_fileSize = std::uint64_t(size);
    return true;
}

bool RomFile::close() {
    if (!m_file) return true;
    bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!ok) m_good = false;
    return ok;
}

bool RomFile::holds(std::uint32_t romOffset, std::size_t count) const {
    std::uint64_t start = m_state.romFileOffset(romOffset);
    return start <= m_fileSize && count <= m_fileSize - start;
}

bool RomFile::seek(std::uint32_t romOffset) {
    if (!m_file) return false;
    std::uint64_t pos = m_state.romFileOffset(romOffset);
    return std::fseek(m_file, long(pos), SEEK_SET) == 0;
}

bool RomFile::read(std::uint32_t romOffset, std::span<std::uint8_t> out) {
    bool ok = holds(romOffset, out.size()) && seek(romOffset) &&
              std::fread(out.data(), 1, out.size(), m_file) == out.size();
    if (!ok) m_good = false;
    return ok;
}

std::vector<std::uint8_t> RomFile::read(std::uint32_t romOffset, std::size_t count, bool* ok) {
    std::vector<std::uint8_t> bytes(count);
    bool done = read(romOffset, bytes);
    if (ok) *ok = done;
    return bytes;
}

bool RomFile::readByte(std::uint32_t romOffset, std::uint8_t& out) {
    return read(romOffset, std::span<std::uint8_t>(&out, 1));
}

bool RomFile::write(std::uint32_t romOffset, std::span<const std::uint8_t> data) {
    bool ok = seek(romOffset) && std::fwrite(data.data(), 1, data.size(), m_file) == data.size();
    if (ok) {
        std::uint64_t end = m_state.romFileOffset(romOffset) + data.size();
        if (end > m_fileSize) m_fileSize = end;
    } else {
        m_good = false;
    }
    return ok;
}

namespace {

bool readOpened(std::FILE* file, std::vector<std::uint8_t>& out) {
    if (!file) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(std::size_t(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    return readOpened(std::fopen(path.c_str(), "rb"), out);
}

bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out) {
    // For reading and writing, as the editor opens a ROM: one it cannot write is refused.
    return readOpened(std::fopen(path.c_str(), "r+b"), out);
}

bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

bool writeReplacing(const std::string& path, const std::function<bool(const std::string& temp)>& write) {
    const std::string temp = path + ".morvi-part";
    std::error_code ec;
    if (!write(temp)) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace morvi

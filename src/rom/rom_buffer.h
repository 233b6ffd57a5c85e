#pragma once
// A ROM file held in memory that the family writers write into, with the header rule. A save
// fills one copy of the file as it is on disk and only then writes it out whole, so no writer
// ever touches the file itself. The buffer remembers which bytes were written.
#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "rom/notifier.h"
#include "rom/rom_bytes.h"

namespace morvi {

class RomBuffer {
public:
    RomBuffer(std::vector<std::uint8_t>& file, bool hasHeader)
        : m_file(file), m_hasHeader(hasHeader), m_originalSize(file.size()) {}

    // Writes at a ROM offset; a write past the end lengthens the file with zeros, as writing
    // past the end of a file does. The bytes it replaces are kept, so the file as it was can
    // be had back without a second copy of it.
    bool write(std::uint32_t romOffset, std::span<const std::uint8_t> data) {
        const std::uint64_t start = bytes().fileOffset(romOffset);
        const std::uint64_t end = start + data.size();
        if (end > (std::uint64_t(1) << 32)) return false;
        if (data.empty()) return true;
        if (end > m_file.size()) m_file.resize(std::size_t(end), 0);
        const auto first = m_file.begin() + std::ptrdiff_t(start);
        m_replaced.insert(m_replaced.end(), first, first + std::ptrdiff_t(data.size()));
        std::copy(data.begin(), data.end(), first);
        m_written.emplace_back(start, end);
        return true;
    }
    RomBytes bytes() const { return RomBytes(m_file, m_hasHeader); }
    bool hasHeader() const { return m_hasHeader; }
    std::vector<std::uint8_t>& file() { return m_file; }
    // File offsets [first, second) of every write, in order.
    const std::vector<std::pair<std::uint64_t, std::uint64_t>>& written() const { return m_written; }
    // The file as it was before the first write (its bytes put back, in reverse order of the
    // writes, into a copy). Costs a whole copy: for the rare path that needs all of it.
    std::vector<std::uint8_t> original() const;
    // Whether the file as it was before the writes differs from `other` anywhere the writes
    // touched. Works on the written bytes alone.
    bool originalDiffersInWritten(std::span<const std::uint8_t> other) const;

private:
    // Calls put(start, oldBytes) for every write, the last first.
    template <class Put> void forEachReplacedBackwards(Put put) const {
        std::size_t at = m_replaced.size();
        for (auto it = m_written.rbegin(); it != m_written.rend(); ++it) {
            const std::size_t n = std::size_t(it->second - it->first);
            at -= n;
            put(std::size_t(it->first), std::span<const std::uint8_t>(m_replaced.data() + at, n));
        }
    }
    std::vector<std::uint8_t>& m_file;
    bool m_hasHeader;
    std::size_t m_originalSize;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_written;
    std::vector<std::uint8_t> m_replaced; // what each write replaced, one after another
};

} // namespace morvi

#include <functional>
#include <string>

namespace morvi {

// Reads the file at path, lets write fill it in memory and puts the result in the file's
// place whole (see replaceFileContents). False when the file cannot be read, write refuses, or
// the new file cannot be put in place; the file is then as it was.
bool rewriteRomFile(const std::string& path, bool hasHeader, const std::function<bool(RomBuffer&)>& write);
// The same for a family writer, which reports its own refusals: any other failure (the file
// could not be read or put in place) is reported to the notifier as `failure`.
bool saveFamilyToFile(const std::string& path, bool hasHeader, Notifier& notifier, const char* failure,
                      const std::function<bool(RomBuffer&)>& write);

} // namespace morvi

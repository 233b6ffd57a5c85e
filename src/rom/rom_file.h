#pragma once
// Whole-file reads and writes, and the replacing write that exports use. Paths are UTF-8.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "rom/file_io.h"

namespace morvi {

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out);
// Creates or truncates a file and writes the bytes; false on any failure.
bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> data);
// Has write(temp) fill a new file beside path and puts it in place of path only when write
// succeeded. On failure the temporary file goes and path is left as it was, so a failed
// export never leaves a picture cut short nor destroys the file it would have replaced.
bool writeReplacing(const std::string& path, const std::function<bool(const std::string& temp)>& write);

// Tile and palette pairs ("sprite.bin" with "sprite.pal"): the file beside `path` with the same
// name and another extension (".pal"), or "" when there is none. The name is matched in any
// letter case, as the pairs travel between systems that do and do not tell case apart.
std::string findBesideFile(const std::string& path, const std::string& extension);
// `path` with its extension (the last dot on, if any) replaced.
std::string withExtension(const std::string& path, const std::string& extension);
// Writes both files of a pair, or neither: each is written beside its place first, then both
// are put in place.
bool writeFilePair(const std::string& first, std::span<const std::uint8_t> firstBytes, const std::string& second,
                   std::span<const std::uint8_t> secondBytes);

} // namespace morvi

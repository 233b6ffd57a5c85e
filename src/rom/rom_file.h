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

} // namespace morvi

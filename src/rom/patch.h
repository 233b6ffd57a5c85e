#pragma once
// Patches that carry a ROM hack to other people: the difference between an original ROM and a
// modified one, in the two formats patchers read. BPS (current patchers' choice) copies moved
// data from the source instead of repeating it, and carries CRC32 checksums of the source, the
// target and the patch; IPS is the classic format every patcher reads, limited to 16 MiB.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvi {

enum class PatchFormat { Bps, Ips };

inline constexpr std::uint32_t kIpsLimit = 0x1000000;   // IPS offsets are 24 bits
inline constexpr std::uint32_t kIpsEofOffset = 0x454F46; // "EOF": readers stop at a record here
inline constexpr std::size_t kIpsMaxRecord = 0xFFFF;

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> makeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);
// nullopt, with the reason in error, when IPS cannot express the change (a file over 16 MiB).
std::optional<std::vector<std::uint8_t>> makeIpsPatch(std::span<const std::uint8_t> source,
                                                      std::span<const std::uint8_t> target, std::string& error);

// The format a patch file's name asks for (".bps" or ".ips", any case).
std::optional<PatchFormat> patchFormatOf(const std::string& path);

// Makes a patch from the original ROM to the modified one, both read from disk, and writes it
// whole or not at all. Refuses two ROMs of which only one has a copier header. Returns the
// error for the user, empty on success.
std::string writePatchFile(const std::string& originalPath, const std::string& modifiedPath,
                           const std::string& patchPath, PatchFormat format);

} // namespace morvi

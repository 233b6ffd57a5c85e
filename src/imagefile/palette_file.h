#pragma once
// Palette files our users exchange with other editors: JASC-PAL, GIMP palettes, Adobe colour
// tables, Microsoft RIFF palettes (read only), plain hex lines and the game's own 15-bit colour
// words. Readers take bytes and refuse anything malformed with a reason; nothing is trusted.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/indexed_image.h"

namespace morvi {

enum class PaletteFormat { Jasc, Gimp, Act, Riff, Hex, Snes };

constexpr std::size_t kMaxPaletteFileColors = 256;
constexpr std::size_t kMaxPaletteFileBytes = 1 << 20; // far above any real palette file

struct PaletteRead {
    std::vector<PaletteColor> colors; // empty when refused
    std::string error;                // why it was refused; empty on success
    bool ok() const { return error.empty(); }
};

// The format a file's name asks for when writing: .pal JASC-PAL, .gpl, .act, .hex, .bin SNES.
std::optional<PaletteFormat> paletteFormatForPath(const std::string& path);
// The format named on a command line: jasc, gpl, act, hex, snes.
std::optional<PaletteFormat> paletteFormatNamed(const std::string& name);

// Reads a palette, telling the format by the content: the text formats by their first line,
// RIFF by its signature, a colour table by its size (768 or 772 bytes), hex by its lines, and
// anything else of an even size up to 512 bytes as SNES colour words.
PaletteRead readPalette(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> writePalette(std::span<const PaletteColor> colors, PaletteFormat format);

// The same for files; the error names the file.
PaletteRead loadPaletteFile(const std::string& path);
// Written whole or not at all; false when it could not be.
bool savePaletteFile(const std::string& path, std::span<const PaletteColor> colors, PaletteFormat format);

// A colour as the console stores it: the top five bits of each channel.
inline PaletteColor snesRounded(PaletteColor c) {
    return makeColor(std::uint8_t(c.red & 0xF8), std::uint8_t(c.green & 0xF8), std::uint8_t(c.blue & 0xF8));
}

// --- a colour as text, for the colour fields, the clipboard and the status bar ---
// "#rrggbb" in lower case.
std::string hexColorText(PaletteColor c);
// "#rrggbb" or "rrggbb" (either case, blanks around allowed); nullopt for anything else.
std::optional<PaletteColor> parseHexColor(std::string_view text);
// The 15-bit colour word the game stores (blue in the top five bits, red in the low five).
std::uint16_t snesWord(PaletteColor c);
PaletteColor colorOfSnesWord(std::uint16_t word);
// "7FFF": four upper-case hex digits, as a hex editor shows the word.
std::string snesWordText(std::uint16_t word);
// One to four hex digits, optionally after "$" or "0x", up to 7FFF; nullopt for anything else.
std::optional<std::uint16_t> parseSnesWord(std::string_view text);
// A palette in text copied from anywhere: any of the text palette formats, or colours
// "#rrggbb"/"rrggbb" separated by blanks, commas or semicolons.
PaletteRead readPaletteText(std::string_view text);

} // namespace morvi

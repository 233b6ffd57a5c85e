#include "imagefile/palette_file.h"
#include "imagefile/image_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "image/snes_codec.h"
#include "rom/file_io.h"
#include "rom/rom_file.h"

namespace morvi {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The text split into lines (LF or CRLF), trailing blanks cut.
std::vector<std::string> linesOf(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(char(b));
        }
    }
    if (!line.empty()) lines.push_back(line);
    for (auto& l : lines)
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t')) l.pop_back();
    return lines;
}

bool isText(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == '\n' || b == '\r' || b == '\t' || (b >= 32 && b < 127); });
}

// Whitespace-separated decimal numbers at the start of a line; the rest (a name) is left.
bool readChannels(const std::string& line, int out[3], std::size_t* rest = nullptr) {
    std::size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const char* first = line.data() + at;
        const char* last = line.data() + line.size();
        int value = -1;
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || end == first) return false;
        at = std::size_t(end - line.data());
        if (at < line.size() && line[at] != ' ' && line[at] != '\t') return false;
        out[k] = value;
    }
    if (rest) *rest = at;
    return true;
}

std::string lineError(std::size_t n, const char* what) { return "line " + std::to_string(n + 1) + " " + what; }

// The text format a file names on its first line ("JASC-PAL", or anything from "GIMP"), read
// from the raw bytes so that binary garbage after the header can't hide the claim.
std::optional<PaletteFormat> declaredTextFormat(std::span<const std::uint8_t> bytes) {
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\n') ++end;
    std::string first(bytes.begin(), bytes.begin() + std::ptrdiff_t(end));
    while (!first.empty() && (first.back() == '\r' || first.back() == ' ' || first.back() == '\t')) first.pop_back();
    if (first == "JASC-PAL") return PaletteFormat::Jasc;
    if (first.rfind("GIMP", 0) == 0) return PaletteFormat::Gimp;
    return std::nullopt;
}

// The first line (counted from 0) holding a byte that is not printable text, if any.
std::optional<std::size_t> firstLineNotText(std::span<const std::uint8_t> bytes) {
    std::size_t line = 0;
    for (std::uint8_t b : bytes) {
        if (b == '\n') ++line;
        else if (!(b == '\r' || b == '\t' || (b >= 32 && b < 127))) return line;
    }
    return std::nullopt;
}

PaletteRead fail(std::string why) {
    PaletteRead r;
    r.error = std::move(why);
    return r;
}

bool addColor(PaletteRead& r, const int c[3], std::size_t line) {
    for (int k = 0; k < 3; ++k)
        if (c[k] < 0 || c[k] > 255) {
            r.error = lineError(line, "has a value outside 0 to 255");
            return false;
        }
    if (r.colors.size() >= kMaxPaletteFileColors) {
        r.error = "it has more than 256 colours";
        return false;
    }
    r.colors.push_back(makeColor(std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])));
    return true;
}

PaletteRead readJasc(const std::vector<std::string>& lines) {
    if (lines.size() < 3 || lines[1] != "0100") return fail("the JASC-PAL header is incomplete (\"0100\" and a count must follow)");
    int count = -1;
    const auto [end, ec] = std::from_chars(lines[2].data(), lines[2].data() + lines[2].size(), count);
    if (ec != std::errc() || end != lines[2].data() + lines[2].size() || count < 1 || count > int(kMaxPaletteFileColors))
        return fail("the colour count is not a number from 1 to 256");
    PaletteRead r;
    std::size_t n = 3;
    for (; n < lines.size(); ++n) {
        if (lines[n].empty()) continue;
        int c[3];
        std::size_t rest = 0;
        if (!readChannels(lines[n], c, &rest) || rest != lines[n].size()) return fail(lineError(n, "is not \"red green blue\""));
        if (int(r.colors.size()) == count) return fail("it holds more colours than its count of " + std::to_string(count));
        if (!addColor(r, c, n)) return r.colors.clear(), r;
    }
    if (int(r.colors.size()) != count)
        return fail("it holds " + std::to_string(r.colors.size()) + " colours, not its count of " + std::to_string(count));
    return r;
}

PaletteRead readGimp(const std::vector<std::string>& lines) {
    PaletteRead r;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::string& l = lines[n];
        const std::size_t first = l.find_first_not_of(" \t");
        if (first == std::string::npos || l[first] == '#') continue;
        if (l.rfind("Name:", 0) == 0 || l.rfind("Columns:", 0) == 0) continue;
        int c[3];
        if (!readChannels(l, c)) return fail(lineError(n, "is not \"red green blue name\""));
        if (!addColor(r, c, n)) return r.colors.clear(), r;
    }
    if (r.colors.empty()) return fail("it has no colours");
    return r;
}

PaletteRead readHex(const std::vector<std::string>& lines) {
    PaletteRead r;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string l = lines[n];
        const std::size_t first = l.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        l = l.substr(first);
        if (!l.empty() && l[0] == '#') l = l.substr(1);
        if (l.size() != 6 || !std::all_of(l.begin(), l.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); }))
            return fail(lineError(n, "is not a colour \"rrggbb\""));
        const unsigned v = unsigned(std::stoul(l, nullptr, 16));
        const int c[3] = {int(v >> 16), int((v >> 8) & 0xFF), int(v & 0xFF)};
        if (!addColor(r, c, n)) return r.colors.clear(), r;
    }
    if (r.colors.empty()) return fail("it has no colours");
    return r;
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
}

PaletteRead readRiff(std::span<const std::uint8_t> b) {
    if (b.size() < 12) return fail("the RIFF palette is cut short");
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = le32(b, at + 4);
        if (size > b.size() - at - 8) return fail("a RIFF chunk runs past the end of the file");
        if (std::equal(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + 4), "data")) {
            const auto data = b.subspan(at + 8, size);
            if (data.size() < 4) return fail("the RIFF palette's data is cut short");
            const std::size_t count = std::size_t(data[2]) | std::size_t(data[3]) << 8;
            if (count < 1 || count > kMaxPaletteFileColors) return fail("the colour count is not a number from 1 to 256");
            if (data.size() < 4 + 4 * count) return fail("the RIFF palette holds fewer colours than its count");
            PaletteRead r;
            for (std::size_t k = 0; k < count; ++k)
                r.colors.push_back(makeColor(data[4 + 4 * k], data[5 + 4 * k], data[6 + 4 * k]));
            return r;
        }
        at += 8 + size + (size & 1);
    }
    return fail("the RIFF palette has no colour data");
}

PaletteRead readAct(std::span<const std::uint8_t> b) {
    std::size_t count = 256;
    if (b.size() == 772) {
        count = std::size_t(b[768]) << 8 | b[769];
        if (count < 1 || count > 256) return fail("the colour count is not a number from 1 to 256");
    }
    PaletteRead r;
    for (std::size_t k = 0; k < count; ++k) r.colors.push_back(makeColor(b[3 * k], b[3 * k + 1], b[3 * k + 2]));
    return r;
}

PaletteRead readSnes(std::span<const std::uint8_t> b) {
    PaletteRead r;
    r.colors.resize(b.size() / 2);
    decodeSnesColors(b, r.colors);
    return r;
}

} // namespace

std::optional<PaletteFormat> paletteFormatForPath(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string ext = lower(path.substr(dot));
    if (ext == ".pal") return PaletteFormat::Jasc;
    if (ext == ".gpl") return PaletteFormat::Gimp;
    if (ext == ".act") return PaletteFormat::Act;
    if (ext == ".hex") return PaletteFormat::Hex;
    if (ext == ".bin") return PaletteFormat::Snes;
    return std::nullopt;
}

std::optional<PaletteFormat> paletteFormatNamed(const std::string& name) {
    if (name == "jasc") return PaletteFormat::Jasc;
    if (name == "gpl") return PaletteFormat::Gimp;
    if (name == "act") return PaletteFormat::Act;
    if (name == "hex") return PaletteFormat::Hex;
    if (name == "snes") return PaletteFormat::Snes;
    return std::nullopt;
}

PaletteRead readPalette(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return fail("the file is empty");
    if (bytes.size() > kMaxPaletteFileBytes) return fail("the file is far too large for a palette");
    if (bytes.size() >= 12 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF") &&
        std::equal(bytes.begin() + 8, bytes.begin() + 12, "PAL "))
        return readRiff(bytes);
    // A file that names a text format on its first line is that format or nothing: its
    // bytes never fall through to a binary reader, however they happen to fit one.
    if (const auto declared = declaredTextFormat(bytes)) {
        const char* name = *declared == PaletteFormat::Jasc ? "JASC-PAL" : "GIMP";
        if (const auto bad = firstLineNotText(bytes))
            return fail("the " + std::string(name) + " palette's " + lineError(*bad, "is not text"));
        const auto lines = linesOf(bytes);
        if (*declared == PaletteFormat::Jasc) return readJasc(lines);
        if (lines[0] == "GIMP Palette") return readGimp(lines);
        return fail("the GIMP palette header is not \"GIMP Palette\"");
    }
    if (isText(bytes)) {
        const auto lines = linesOf(bytes);
        const PaletteRead hex = readHex(lines);
        if (hex.ok()) return hex;
        // Text that is none of the text formats is not colour words either.
        return fail("it is not a palette file of a known kind (JASC-PAL, GIMP, ACT, RIFF, hex or SNES colour words)");
    }
    if (bytes.size() == 768 || bytes.size() == 772) return readAct(bytes);
    // Colour words keep their top bit clear: bytes with it set in a high byte are not colours.
    bool words = bytes.size() % 2 == 0 && bytes.size() <= 2 * kMaxPaletteFileColors;
    for (std::size_t k = 1; words && k < bytes.size(); k += 2) words = (bytes[k] & 0x80) == 0;
    if (words) return readSnes(bytes);
    return fail("it is not a palette file of a known kind (JASC-PAL, GIMP, ACT, RIFF, hex or SNES colour words)");
}

std::vector<std::uint8_t> writePalette(std::span<const PaletteColor> colors, PaletteFormat format) {
    colors = colors.first(std::min(colors.size(), kMaxPaletteFileColors));
    std::string text;
    char line[64];
    switch (format) {
    case PaletteFormat::Jasc:
        text = "JASC-PAL\r\n0100\r\n" + std::to_string(colors.size()) + "\r\n";
        for (const PaletteColor& c : colors) {
            std::snprintf(line, sizeof line, "%d %d %d\r\n", c.red, c.green, c.blue);
            text += line;
        }
        break;
    case PaletteFormat::Gimp:
        text = "GIMP Palette\nName: morvi\nColumns: 16\n#\n";
        for (std::size_t k = 0; k < colors.size(); ++k) {
            std::snprintf(line, sizeof line, "%3d %3d %3d\tIndex %zu\n", colors[k].red, colors[k].green, colors[k].blue, k);
            text += line;
        }
        break;
    case PaletteFormat::Hex:
        for (const PaletteColor& c : colors) {
            std::snprintf(line, sizeof line, "%02x%02x%02x\n", c.red, c.green, c.blue);
            text += line;
        }
        break;
    case PaletteFormat::Act: {
        // 256 entries, the count of those in use and colour 0 as the transparent one.
        std::vector<std::uint8_t> out(772, 0);
        for (std::size_t k = 0; k < colors.size(); ++k) {
            out[3 * k] = colors[k].red;
            out[3 * k + 1] = colors[k].green;
            out[3 * k + 2] = colors[k].blue;
        }
        out[768] = std::uint8_t(colors.size() >> 8);
        out[769] = std::uint8_t(colors.size());
        return out;
    }
    case PaletteFormat::Snes:
    case PaletteFormat::Riff: // not written: SNES words instead, the format the game reads
        return encodeSnesColors(colors);
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

namespace {

// An indexed picture's own palette, in index order (a 4-bit file's 16 entries, an 8-bit file's
// whole table).
PaletteRead pictureFilePalette(const std::string& path) {
    constexpr int kAnySide = 16384;
    IndexedImage image;
    IndexOrder order{int(kMaxPaletteFileColors)};
    const ImageLoadResult r = loadImageFile(image, path, int(kMaxPaletteFileColors), kAnySide, kAnySide, &order);
    if (r == ImageLoadResult::CannotRead) return fail("The picture \"" + path + "\" could not be read.");
    if (r != ImageLoadResult::Read) return fail("The picture \"" + path + "\" was not read: it is not a picture of its kind.");
    if (!order.kept)
        return fail("The picture \"" + path + "\" has no palette to take: it is not an indexed picture (or a pixel names a colour its palette lacks).");
    PaletteRead out;
    out.colors.assign(image.palette.begin(), image.palette.begin() + image.colorCount);
    return out;
}

} // namespace

PaletteRead loadPaletteFile(const std::string& path) {
    if (pictureFormatForPath(path)) return pictureFilePalette(path);
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    if (!readWholeFile(path, bytes, error)) return fail("The palette file \"" + path + "\" could not be read (" + describeError(error) + ").");
    PaletteRead r = readPalette(bytes);
    if (!r.ok()) r.error = "The palette file \"" + path + "\" was not read: " + r.error + ".";
    return r;
}

bool savePaletteFile(const std::string& path, std::span<const PaletteColor> colors, PaletteFormat format) {
    const std::vector<std::uint8_t> bytes = writePalette(colors, format);
    return writeReplacing(path, [&](const std::string& temp) { return writeWholeFile(temp, bytes); });
}

std::string hexColorText(PaletteColor c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

namespace {

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

bool allHex(std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

} // namespace

std::optional<PaletteColor> parseHexColor(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() != 6 || !allHex(text)) return std::nullopt;
    unsigned v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v, 16);
    return makeColor(std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v));
}

std::uint16_t snesWord(PaletteColor c) {
    const auto [low, high] = colorToSnes(c);
    return std::uint16_t(low | (high << 8));
}

PaletteColor colorOfSnesWord(std::uint16_t word) { return colorFromSnes(std::uint8_t(word), std::uint8_t(word >> 8)); }

std::string snesWordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", unsigned(word));
    return text;
}

std::optional<std::uint16_t> parseSnesWord(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.size() > 4 || !allHex(text)) return std::nullopt;
    unsigned v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v, 16);
    if (v > 0x7FFF) return std::nullopt;
    return std::uint16_t(v);
}

PaletteRead readPaletteText(std::string_view text) {
    if (text.size() > kMaxPaletteFileBytes) return fail("the text is far too long for a palette");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (declaredTextFormat({bytes, text.size()})) return readPalette({bytes, text.size()});
    PaletteRead r;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find_first_of(" \t\r\n,;", at);
        const std::string_view token = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? text.size() : end + 1;
        if (token.empty()) continue;
        const auto c = parseHexColor(token);
        if (!c) return fail("\"" + std::string(token.substr(0, 20)) + "\" is not a colour \"#rrggbb\"");
        if (r.colors.size() == kMaxPaletteFileColors) return fail("it holds more than 256 colours");
        r.colors.push_back(*c);
    }
    if (r.colors.empty()) return fail("it has no colours");
    return r;
}

} // namespace morvi

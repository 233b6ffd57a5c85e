#include "cli/cli_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "app/picture_source.h"
#include "app/picture_transfer.h"
#include "app/palette_target.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "app/workspace.h"
#include "cli/cli_common.h"
#include "cli/demo_rom.h"
#include "imagefile/image_file.h"
#include "imagefile/palette_file.h"
#include "rom/patch.h"

namespace morvi::cli {

namespace fs = std::filesystem;

namespace {

const char* headerWord(HeaderTest t) {
    switch (t) {
    case HeaderTest::Present: return "present";
    case HeaderTest::Absent: return "absent";
    default: return "unrecognised";
    }
}

constexpr const char* kUsage =
    "usage:\n"
    "  morvi-cli info ROM [--header yes|no]\n"
    "  morvi-cli export ROM DIR [--format png|bmp|pcx|bin] [--header yes|no]\n"
    "  morvi-cli import ROM DIR [--header yes|no]\n"
    "  morvi-cli inspect IMAGE [--max-colors N] [--max-size WxH]\n"
    "  morvi-cli demo OUT [--header]\n"
    "  morvi-cli patch ORIGINAL MODIFIED OUT.bps|OUT.ips\n"
    "  morvi-cli palette export ROM TARGET FILE [--format jasc|gpl|act|hex|snes] [--header yes|no]\n"
    "  morvi-cli palette import ROM TARGET FILE [--header yes|no]\n"
    "  morvi-cli picture export ROM TARGET FILE [--full] [--header yes|no]\n"
    "  morvi-cli picture import ROM TARGET FILE [--header yes|no]\n"
    "  morvi-cli animation --list\n"
    "  morvi-cli animation ROM character:N NAME|SEQUENCE OUT.gif [--scale K] [--frames F] [--backdrop B] [--header yes|no]\n"
    "    TARGET: monster:N (0 to 414), portrait:N (0 to 18) or character:N (0 to 21)\n";

// The index of a file named as export names them (digits, then .png, .bmp or .pcx in any case,
// or .bin where the family has a raw form).
int exportedIndex(const std::string& name, std::size_t digits, bool rawToo, bool& raw) {
    if (name.size() != digits + 4 || name[digits] != '.') return -1;
    std::string ext = name.substr(digits + 1);
    for (auto& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    raw = ext == "bin";
    if (ext != "png" && ext != "bmp" && ext != "pcx" && !(rawToo && raw)) return -1;
    return digitsValue(name.substr(0, digits), digits);
}

std::string number(int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    return buffer;
}

int cmdInfo(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) return err << kUsage, 1;
    auto choice = headerChoice(o, err);
    if (!choice) return 1;
    HeaderTest test = HeaderTest::NotRecognised;
    auto ws = openOrComplain(o.positional[0], *choice, err, &test);
    if (!ws) return 1;
    const MonsterGraphics& mg = ws->monsters;
    out << "header: " << headerWord(test) << "\n";
    out << "header used: " << (ws->rom.romHasHeader ? "yes" : "no") << "\n";
    out << "free space: " << freeSpace(mg) << "\n";
    out << "records: " << mg.recordCount << "\n";
    out << "small molds: " << mg.smallMolds.size() << "\n";
    out << "large molds: " << mg.largeMolds.size() << "\n";
    int large = 0, eight = 0;
    for (const auto& e : mg.entries) {
        large += e.large;
        eight += e.colorCount == 8;
    }
    out << "large entries: " << large << "\n";
    out << "8-colour entries: " << eight << "\n";
    out << "portraits: " << kPortraitCount << "\n";
    out << "characters: " << kCharacterCount << "\n";
    return 0;
}

std::optional<ExportFileType> formatOf(const Options& o, std::ostream& err, std::string& ext) {
    auto it = o.values.find("--format");
    ext = it == o.values.end() ? "png" : it->second;
    if (ext == "png") return ExportFileType::Png;
    if (ext == "bmp") return ExportFileType::Bmp;
    if (ext == "pcx") return ExportFileType::Pcx;
    // Portraits and characters as their raw pairs; monsters, espers and backgrounds as PNG.
    if (ext == "bin") return ExportFileType::Raw;
    err << "--format takes png, bmp, pcx or bin\n";
    return std::nullopt;
}

int cmdExport(const Options& o, std::ostream& err) {
    if (o.positional.size() != 2) return err << kUsage, 1;
    auto choice = headerChoice(o, err);
    std::string ext;
    auto type = formatOf(o, err, ext);
    if (!choice || !type) return 1;
    const std::string& romPath = o.positional[0];
    auto ws = openOrComplain(romPath, *choice, err);
    if (!ws) return 1;
    readBackgrounds(ws->backgrounds, romPath, ws->rom);
    const fs::path dir = pathFromUtf8(o.positional[1]);
    std::error_code ec;
    for (const char* sub : {"monsters", "espers", "portraits", "characters", "backgrounds"}) {
        fs::create_directories(dir / sub, ec);
        if (ec) return err << pathToUtf8(dir / sub) << ": cannot create the folder: " << ec.message() << "\n", 1;
    }
    StreamNotifier notifier(err);
    auto fail = [&](const fs::path& p) {
        err << pathToUtf8(p) << ": cannot write the file\n";
        return 1;
    };
    const bool raw = *type == ExportFileType::Raw;
    const std::string pictureExt = raw ? "png" : ext;
    const ExportFileType pictureType = raw ? ExportFileType::Png : *type;
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        fs::path p = dir / (i < kFirstEsper ? "monsters" : "espers") / (number(i, 3) + "." + pictureExt);
        if (!exportMonsterEntry(ws->monsters, i, pathToUtf8(p), pictureType)) return fail(p);
    }
    for (int i = 0; i < kPortraitCount; ++i) {
        fs::path p = dir / "portraits" / (number(i, 2) + "." + ext);
        if (!exportPortrait(ws->portraits, i, pathToUtf8(p), *type, notifier)) return fail(p);
    }
    for (int i = 0; i < kCharacterCount; ++i) {
        fs::path p = dir / "characters" / (number(i, 2) + "." + ext);
        const bool written = raw ? exportCharacterTiles(ws->characters, i, pathToUtf8(p))
                                 : exportCharacterSheet(ws->characters, i, pathToUtf8(p), *type);
        if (!written) return fail(p);
    }
    for (int i = 0; i < kBackgroundCount; ++i) {
        fs::path p = dir / "backgrounds" / (number(i, 2) + ".png");
        if (!exportBackground(ws->backgrounds, i, pathToUtf8(p))) return fail(p);
    }
    return 0;
}

struct ImportFile {
    std::string family;
    int index;
    fs::path path;
    IndexedImage image;
    bool raw = false; // a tile file with its palette beside it, read when it is applied
};

int cmdImport(const Options& o, std::ostream& err, DiskSteps& steps) {
    if (o.positional.size() != 2) return err << kUsage, 1;
    auto choice = headerChoice(o, err);
    if (!choice) return 1;
    const std::string& romPath = o.positional[0];
    const fs::path dir = pathFromUtf8(o.positional[1]);
    if (!fs::is_directory(dir)) return err << pathToUtf8(dir) << ": not a folder\n", 1;
    auto ws = openOrComplain(romPath, *choice, err);
    if (!ws) return 1;

    struct Family {
        const char* name;
        int digits, first, last;
        PictureLimits limits;
        bool rawToo;
    };
    const Family families[] = {
        {"monsters", 3, 0, kFirstEsper - 1, {kMonsterImportSide, kMonsterImportSide}, false},
        {"espers", 3, kFirstEsper, kMonsterEntryCount - 1, {kMonsterImportSide, kMonsterImportSide}, false},
        {"portraits", 2, 0, kPortraitCount - 1, {kPortraitSide, kPortraitSide}, true},
        {"characters", 2, 0, kCharacterCount - 1, {kCharacterImportSide, kCharacterImportSide, false, kSheetWidth, kFullSheetHeight}, true}};
    std::vector<ImportFile> files;
    std::map<std::pair<std::string, int>, fs::path> seen;
    // Every file is checked before anything is written.
    for (const Family& f : families) {
        const fs::path sub = dir / f.name;
        if (!fs::is_directory(sub)) continue;
        std::vector<fs::path> names;
        for (const auto& e : fs::directory_iterator(sub)) names.push_back(e.path());
        std::sort(names.begin(), names.end());
        for (const auto& p : names) {
            const std::string name = p.filename().string();
            bool raw = false;
            const int index = exportedIndex(name, f.digits, f.rawToo, raw);
            if (index < 0) continue;
            if (index < f.first || index > f.last) {
                err << pathToUtf8(p) << ": no " << f.name << " entry " << index << "\n";
                return 1;
            }
            auto key = std::make_pair(std::string(f.name), index);
            if (seen.count(key)) {
                err << pathToUtf8(p) << ": " << pathToUtf8(seen[key]) << " is the same picture\n";
                return 1;
            }
            seen[key] = p;
            ImportFile file{f.name, index, p, {}, raw};
            if (!raw) {
                const ImageLoadResult r = loadForImport(pathToUtf8(p), f.limits, file.image);
                if (r != ImageLoadResult::Read) {
                    err << pathToUtf8(p) << ": " << importErrorMessage(r, f.limits.width, f.limits.height) << "\n";
                    return 1;
                }
            }
            files.push_back(std::move(file));
        }
    }
    bool monsters = false, portraits = false, characters = false;
    for (const auto& f : files) {
        if (f.family == "monsters" || f.family == "espers") {
            importMonsterEntry(ws->monsters, f.index, f.image);
            monsters = true;
        } else if (f.family == "portraits") {
            StreamNotifier said(err);
            if (f.raw && !importPortraitRaw(ws->portraits, f.index, pathToUtf8(f.path), said)) return err << pathToUtf8(f.path) << "\n", 1;
            if (!f.raw) importPortrait(ws->portraits, f.index, f.image);
            portraits = true;
        } else {
            if (f.raw) {
                const TileFileRead read = importCharacterTiles(ws->characters, f.index, pathToUtf8(f.path));
                if (!read.ok) return err << pathToUtf8(f.path) << ": " << read.error << "\n", 1;
            } else {
                const std::string note = importCharacterSheet(ws->characters, f.index, f.image);
                if (!note.empty()) err << pathToUtf8(f.path) << ": " << note << "\n";
            }
            characters = true;
        }
    }
    if (!monsters && !portraits && !characters) return 0;
    StreamNotifier notifier(err);
    SaveRequest request;
    request.monsters = monsters;
    request.portraits = portraits;
    request.characters = characters;
    // The file was read a moment ago: a difference now is another program writing it meanwhile.
    const SaveOutcome saved = saveRomFamilies(*ws, request, steps, notifier, [] { return false; });
    if (saved.cancelled) return err << romPath << ": the ROM was changed by another program during the import; nothing was saved\n", 1;
    if (!saved.ok && !saved.error.empty()) err << romPath << ": " << saved.error << "\n";
    return saved.ok ? 0 : 1;
}

int cmdPalette(const Options& o, std::ostream& err, DiskSteps& steps) {
    const auto command = readTargetCommand(o, kUsage, err);
    if (!command) return 1;
    const std::string &romPath = command->romPath, &file = command->file;
    const PaletteTarget* target = &command->target;
    std::string why;
    auto ws = openOrComplain(romPath, command->header, err);
    if (!ws) return 1;
    if (command->exporting) {
        std::optional<PaletteFormat> format = paletteFormatForPath(file);
        if (auto it = o.values.find("--format"); it != o.values.end()) format = paletteFormatNamed(it->second);
        if (!format) return err << file << ": name the format with --format jasc|gpl|act|hex|snes\n", 1;
        if (!savePaletteFile(file, targetPalette(*ws, *target), *format)) return err << file << ": cannot write the file\n", 1;
        return 0;
    }
    if (o.values.count("--format")) return err << "an import tells the format by the file's content\n", 1;
    const PaletteRead read = loadPaletteFile(file);
    if (!read.ok()) return err << read.error << "\n", 1;
    if (!setTargetPalette(*ws, *target, read.colors, why)) return err << o.positional[2] << ": " << why << "\n", 1;
    return saveFamilyOrComplain(*ws, target->family, romPath, steps, err);
}

int cmdPatch(const Options& o, std::ostream& err) {
    if (o.positional.size() != 3) return err << kUsage, 1;
    const auto format = patchFormatOf(o.positional[2]);
    if (!format) return err << o.positional[2] << ": a patch file ends in .bps or .ips\n", 1;
    const std::string error = writePatchFile(o.positional[0], o.positional[1], o.positional[2], *format);
    if (!error.empty()) return err << error << "\n", 1;
    return 0;
}

int cmdInspect(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) return err << kUsage, 1;
    int maxColors = 256, maxW = 1024, maxH = 1024;
    if (auto it = o.values.find("--max-colors"); it != o.values.end()) {
        maxColors = digitsValue(it->second, 4);
        if (maxColors < 0) return err << "--max-colors takes a number\n", 1;
    }
    if (auto it = o.values.find("--max-size"); it != o.values.end()) {
        const auto x = it->second.find('x');
        maxW = x == std::string::npos ? -1 : digitsValue(it->second.substr(0, x), 5);
        maxH = x == std::string::npos ? -1 : digitsValue(it->second.substr(x + 1), 5);
        if (maxW < 0 || maxH < 0) return err << "--max-size takes WxH\n", 1;
    }
    IndexedImage image;
    const ImageLoadResult r = loadImageFile(image, o.positional[0], maxColors, maxW, maxH);
    out << "result " << int(r) << "\n";
    if (r != ImageLoadResult::Read) return int(r);
    out << "size " << image.width << " " << image.height << "\n";
    out << "colors " << image.colorCount << "\n";
    out << "palette";
    char hex[8];
    for (int i = 0; i < image.colorCount; ++i) {
        const PaletteColor& c = image.palette[std::size_t(i)];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", c.red, c.green, c.blue);
        out << " " << hex;
    }
    out << "\npixels\n";
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::snprintf(hex, sizeof hex, "%02x", image.pixel(x, y));
            out << (x ? " " : "") << hex;
        }
        out << "\n";
    }
    return 0;
}

int cmdDemo(const Options& o, std::ostream& err) {
    if (o.positional.size() != 1) return err << kUsage, 1;
    if (!buildDemoRom().writeFile(o.positional[0], o.has("--header")))
        return err << o.positional[0] << ": cannot write the file\n", 1;
    return 0;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DiskSteps plain;
    return run(args, out, err, plain);
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, DiskSteps& steps) {
    if (args.empty()) return err << kUsage, 1;
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") return out << kUsage, 0;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    std::optional<Options> o;
    if (command == "info" || command == "import") {
        o = parse(rest, {"--header"}, {}, err);
    } else if (command == "export") {
        o = parse(rest, {"--header", "--format"}, {}, err);
    } else if (command == "inspect") {
        o = parse(rest, {"--max-colors", "--max-size"}, {}, err);
    } else if (command == "patch") {
        o = parse(rest, {}, {}, err);
    } else if (command == "palette") {
        o = parse(rest, {"--header", "--format"}, {}, err);
    } else if (command == "picture") {
        o = parse(rest, {"--header"}, {"--full"}, err);
    } else if (command == "animation") {
        o = parse(rest, {"--header", "--scale", "--frames", "--backdrop"}, {"--list"}, err);
    } else if (command == "demo") {
        o = parse(rest, {}, {"--header"}, err);
    } else {
        err << "unknown command " << command << "\n" << kUsage;
        return 1;
    }
    if (!o) return 1;
    if (command == "info") return cmdInfo(*o, out, err);
    if (command == "export") return cmdExport(*o, err);
    if (command == "import") return cmdImport(*o, err, steps);
    if (command == "patch") return cmdPatch(*o, err);
    if (command == "palette") return cmdPalette(*o, err, steps);
    if (command == "inspect") return cmdInspect(*o, out, err);
    if (command == "picture") return cmdPicture(*o, err, steps);
    if (command == "animation") return cmdAnimation(*o, out, err);
    return cmdDemo(*o, err);
}

} // namespace morvi::cli

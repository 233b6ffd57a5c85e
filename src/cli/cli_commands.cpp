#include "cli/cli_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "app/folder_import.h"
#include "app/history.h"
#include "family/picture_source.h"
#include "family/palette_target.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "family/workspace.h"
#include "cli/cli_common.h"
#include "demo/demo_rom.h"
#include "imagefile/image_file.h"
#include "imagefile/palette_file.h"
#include "rom/patch.h"
#include "app/families.h"
#include "family/picture_files.h"
#include "rom/rom_file.h"

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

std::string usageText();

// The index of a file named as export names them (digits, then .png, .bmp or .pcx in any case,
// or .bin where the family has a raw form).
// The number a file of the folder stands for (as the user numbers the family's pictures), or -1
// for a file the folder does not hold.
int exportedIndex(const std::string& name, const FileFolder& folder, int firstNumber, bool rawToo, bool& raw) {
    const std::size_t stem = folder.fileName.empty() ? std::size_t(folder.digits) : folder.fileName.size();
    if (name.size() != stem + 4 || name[stem] != '.') return -1;
    std::string ext = name.substr(stem + 1);
    for (auto& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    raw = ext == "bin";
    if (ext != "png" && ext != "bmp" && ext != "pcx" && !(rawToo && raw)) return -1;
    if (!folder.fileName.empty()) return name.compare(0, stem, folder.fileName) == 0 ? folder.first + firstNumber : -1;
    return digitsValue(name.substr(0, stem), stem);
}

std::string number(int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    return buffer;
}

int cmdInfo(const Options& o, Streams& io) {
    if (o.positional.size() != 1) return io.err << usageText(), 1;
    auto choice = headerChoice(o, io.err);
    if (!choice) return 1;
    HeaderTest test = HeaderTest::NotRecognised;
    auto ws = openOrComplain(o.positional[0], *choice, io.err, &test);
    if (!ws) return 1;
    io.out << "header: " << headerWord(test) << "\n";
    io.out << "header used: " << (ws->rom.romHasHeader ? "yes" : "no") << "\n";
    for (Family f : families())
        for (const auto& [name, value] : f->info(*ws)) io.out << name << ": " << value << "\n";
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

int cmdExport(const Options& o, Streams& io) {
    std::ostream& err = io.err;
    if (o.positional.size() != 2) return err << usageText(), 1;
    auto choice = headerChoice(o, err);
    std::string ext;
    auto type = formatOf(o, err, ext);
    if (!choice || !type) return 1;
    const std::string& romPath = o.positional[0];
    auto ws = openOrComplain(romPath, *choice, err);
    if (!ws) return 1;
    readBackgrounds(ws->backgrounds, romPath, ws->rom);
    const fs::path dir = pathFromUtf8(o.positional[1]);
    std::vector<std::string> folders;
    for (Family f : families())
        for (const FileFolder& folder : f->fileFolders()) folders.push_back(folder.name);
    folders.push_back("backgrounds");
    std::error_code ec;
    for (const std::string& sub : folders) {
        fs::create_directories(dir / sub, ec);
        if (ec) return err << pathToUtf8(dir / sub) << ": cannot create the folder: " << ec.message() << "\n", 1;
    }
    auto fail = [&](const fs::path& p) {
        err << pathToUtf8(p) << ": cannot write the file\n";
        return 1;
    };
    // Families with a raw form export it under --format bin; the others as PNG.
    const bool raw = *type == ExportFileType::Raw;
    for (Family f : families()) {
        const bool rawHere = raw && f->hasRawForm();
        const PictureFileChoice file{raw && !rawHere ? ExportFileType::Png : *type, false};
        const std::string fileExt = raw && !rawHere ? "png" : ext;
        for (const FileFolder& folder : f->fileFolders())
            for (int i = folder.first; i <= folder.last; ++i) {
                const std::string stem = folder.fileName.empty() ? number(i + f->firstNumber(), folder.digits) : folder.fileName;
                const fs::path p = dir / folder.name / (stem + "." + fileExt);
                if (!f->exportPicture(*ws, i, pathToUtf8(p), file).empty()) return fail(p);
            }
    }
    for (int i = 0; i < kBackgroundCount; ++i) {
        fs::path p = dir / "backgrounds" / (number(i, 2) + ".png");
        if (!exportBackground(ws->backgrounds, i, pathToUtf8(p))) return fail(p);
    }
    return 0;
}

struct ImportFile {
    Family family;
    int index;
    fs::path path;
    IndexedImage image;
    bool raw = false; // a tile file with its palette beside it, read when it is applied
};

int cmdImport(const Options& o, Streams& io) {
    std::ostream& err = io.err;
    if (o.positional.size() != 2) return err << usageText(), 1;
    auto choice = headerChoice(o, err);
    if (!choice) return 1;
    const std::string& romPath = o.positional[0];
    const fs::path dir = pathFromUtf8(o.positional[1]);
    if (!fs::is_directory(dir)) return err << pathToUtf8(dir) << ": not a folder\n", 1;
    auto ws = openOrComplain(romPath, *choice, err);
    if (!ws) return 1;

    std::vector<ImportFile> files;
    std::map<std::pair<std::string, int>, fs::path> seen;
    // Every file is checked before anything is written.
    for (Family f : families()) {
        auto source = f->makeSource(*ws);
        for (const FileFolder& folder : f->fileFolders()) {
            const fs::path sub = dir / folder.name;
            if (!fs::is_directory(sub)) continue;
            std::vector<fs::path> names;
            for (const auto& e : fs::directory_iterator(sub)) names.push_back(e.path());
            std::sort(names.begin(), names.end());
            for (const auto& p : names) {
                const std::string name = p.filename().string();
                bool raw = false;
                const int numbered = exportedIndex(name, folder, f->firstNumber(), f->hasRawForm(), raw);
                if (numbered < 0) continue;
                const int index = numbered - f->firstNumber();
                if (index < folder.first || index > folder.last) {
                    err << pathToUtf8(p) << ": no " << folder.name << " entry " << numbered << "\n";
                    return 1;
                }
                auto key = std::make_pair(folder.name, index);
                if (seen.count(key)) {
                    err << pathToUtf8(p) << ": " << pathToUtf8(seen[key]) << " is the same picture\n";
                    return 1;
                }
                seen[key] = p;
                ImportFile file{f, index, p, {}, raw};
                if (!raw) {
                    source->show(index);
                    const PictureLimits limits = source->importLimits();
                    const ImageLoadResult r = loadForImport(pathToUtf8(p), limits, file.image);
                    if (r != ImageLoadResult::Read) {
                        err << pathToUtf8(p) << ": " << importErrorMessage(r, limits.width, limits.height) << "\n";
                        return 1;
                    }
                }
                files.push_back(std::move(file));
            }
        }
    }
    std::map<Family, Snapshot> before;
    for (Family f : families()) before[f] = takeSnapshot(*ws, f);
    ImportPalettes palettes(*ws);
    std::map<Family, std::unique_ptr<PictureSource>> sources;
    for (const auto& f : files) {
        const std::string path = pathToUtf8(f.path);
        if (f.raw) {
            FileNotifier said(err, path);
            if (!f.family->importRaw(*ws, f.index, path, said)) return 1;
        } else {
            auto& source = sources[f.family];
            if (!source) source = f.family->makeSource(*ws);
            source->show(f.index);
            const std::string note = source->importPicture(f.image);
            if (!note.empty()) err << path << ": " << note << "\n";
        }
        // The file that brings a raw pair's colours is its palette file (none: no colours).
        const std::string colours = f.raw ? findBesideFile(path, ".pal") : path;
        if (!colours.empty()) palettes.applied(*ws, PaletteTarget{f.family, f.index}, colours);
    }
    for (auto& [family, source] : sources) source->settle();
    const std::string clash = palettes.settle(*ws);
    if (!clash.empty()) return err << clash << "; nothing was saved\n", 1;
    // Only the families the files changed are written: the same pictures saved again would
    // repack the monster graphics into another layout for nothing.
    SaveRequest request;
    for (Family f : families())
        if (!(takeSnapshot(*ws, f) == before[f])) request.add(f);
    if (request.families.empty()) return err << "The files hold what the ROM holds; it was left as it was\n", 0;
    StreamNotifier notifier(err);
    // The file was read a moment ago: a difference now is another program writing it meanwhile.
    const SaveOutcome saved = saveRomFamilies(*ws, request, io.steps, notifier, [] { return false; });
    if (saved.cancelled) return err << romPath << ": the ROM was changed by another program during the import; nothing was saved\n", 1;
    if (!saved.ok && !saved.error.empty()) err << romPath << ": " << saved.error << "\n";
    return saved.ok ? 0 : 1;
}

int cmdPalette(const Options& o, Streams& io) {
    std::ostream& err = io.err;
    const std::string usage = usageText();
    const auto command = readTargetCommand(o, usage.c_str(), err);
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
    return saveFamilyOrComplain(*ws, target->family, romPath, io.steps, err);
}

int cmdPatch(const Options& o, Streams& io) {
    std::ostream& err = io.err;
    if (o.positional.size() != 3) return err << usageText(), 1;
    const auto format = patchFormatOf(o.positional[2]);
    if (!format) return err << o.positional[2] << ": a patch file ends in .bps or .ips\n", 1;
    const std::string error = writePatchFile(o.positional[0], o.positional[1], o.positional[2], *format);
    if (!error.empty()) return err << error << "\n", 1;
    return 0;
}

int cmdInspect(const Options& o, Streams& io) {
    std::ostream &out = io.out, &err = io.err;
    if (o.positional.size() != 1) return err << usageText(), 1;
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

int cmdDemo(const Options& o, Streams& io) {
    std::ostream& err = io.err;
    if (o.positional.size() != 1) return err << usageText(), 1;
    if (!buildDemoRom().writeFile(o.positional[0], o.has("--header")))
        return err << o.positional[0] << ": cannot write the file\n", 1;
    return 0;
}

int runPicture(const Options& o, Streams& io) { return cmdPicture(o, io.err, io.steps); }
int runAnimation(const Options& o, Streams& io) { return cmdAnimation(o, io.out, io.err); }

// The verbs: a new one is one row. Its usage lines follow "morvi-cli ".
struct Verb {
    const char* name;
    std::vector<const char*> usage;
    std::vector<std::string> takesValue;
    std::vector<std::string> bare;
    int (*run)(const Options& o, Streams& io);
};

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> table = {
        {"info", {"info ROM [--header yes|no]"}, {"--header"}, {}, cmdInfo},
        {"export", {"export ROM DIR [--format png|bmp|pcx|bin] [--header yes|no]"}, {"--header", "--format"}, {}, cmdExport},
        {"import", {"import ROM DIR [--header yes|no]"}, {"--header"}, {}, cmdImport},
        {"inspect", {"inspect IMAGE [--max-colors N] [--max-size WxH]"}, {"--max-colors", "--max-size"}, {}, cmdInspect},
        {"demo", {"demo OUT [--header]"}, {}, {"--header"}, cmdDemo},
        {"patch", {"patch ORIGINAL MODIFIED OUT.bps|OUT.ips"}, {}, {}, cmdPatch},
        {"palette",
         {"palette export ROM TARGET FILE [--format jasc|gpl|act|hex|snes] [--header yes|no]",
          "palette import ROM TARGET FILE [--header yes|no]"},
         {"--header", "--format"}, {}, cmdPalette},
        {"picture", {"picture export ROM TARGET FILE [--full] [--header yes|no]", "picture import ROM TARGET FILE [--header yes|no]"},
         {"--header"}, {"--full"}, runPicture},
        {"animation",
         {"animation --list",
          "animation ROM character:N|sprite:N NAME|SEQUENCE OUT.gif [--scale K] [--frames F] [--backdrop B] [--header yes|no]"},
         {"--header", "--scale", "--frames", "--backdrop"}, {"--list"}, runAnimation},
    };
    return table;
}

std::string usageText() {
    std::string text = "usage:\n";
    for (const Verb& v : verbs())
        for (const char* line : v.usage) text += std::string("  morvi-cli ") + line + "\n";
    return text + "    TARGET: " + targetNames() + "\n";
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DiskSteps plain;
    return run(args, out, err, plain);
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, DiskSteps& steps) {
    if (args.empty()) return err << usageText(), 1;
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") return out << usageText(), 0;
    const auto& table = verbs();
    const auto verb = std::find_if(table.begin(), table.end(), [&](const Verb& v) { return command == v.name; });
    if (verb == table.end()) return err << "unknown command " << command << "\n" << usageText(), 1;
    const std::optional<Options> o = parse(std::vector<std::string>(args.begin() + 1, args.end()), verb->takesValue, verb->bare, err);
    if (!o) return 1;
    Streams io{out, err, steps};
    return verb->run(*o, io);
}

} // namespace morvi::cli

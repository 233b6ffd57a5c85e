// morvi-cli picture export|import: one picture of a family to and from a file, the same
// operations the editor's import and export use.
#include <cctype>

#include "app/palette_target.h"
#include "app/picture_source.h"
#include "app/picture_transfer.h"
#include "cli/cli_common.h"

namespace morvi::cli {

namespace {

enum class PictureForm { Picture, Raw };

std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (auto& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

int cmdPicture(const Options& o, std::ostream& err, DiskSteps& steps) {
    const auto command = readTargetCommand(o, "usage: morvi-cli picture export|import ROM TARGET FILE [--full] [--header yes|no]\n", err);
    if (!command) return 1;
    const bool exporting = command->exporting;
    const std::string &romPath = command->romPath, &file = command->file;
    const PaletteTarget* target = &command->target;

    const std::string ext = lowerExtension(file);
    ExportFileType type = ExportFileType::Png;
    PictureForm form = PictureForm::Picture;
    if (ext == "png") type = ExportFileType::Png;
    else if (ext == "bmp") type = ExportFileType::Bmp;
    else if (ext == "pcx") type = ExportFileType::Pcx;
    else if (ext == "bin") form = PictureForm::Raw;
    else return err << file << ": the file's name ends in .png, .bmp or .pcx (a picture) or .bin (the raw tiles)\n", 1;
    if (form == PictureForm::Raw && target->family == Family::Monsters)
        return err << file << ": monsters have no raw form; use a .png, .bmp or .pcx picture\n", 1;
    const bool full = o.has("--full");
    if (full && (target->family != Family::Characters || form != PictureForm::Picture || !exporting))
        return err << "--full is for exporting a character's sheet as a picture\n", 1;

    auto ws = openOrComplain(romPath, command->header, err);
    if (!ws) return 1;
    StreamNotifier notifier(err);
    const int n = target->index;

    if (exporting) {
        bool written = false;
        switch (target->family) {
        case Family::Monsters: written = exportMonsterEntry(ws->monsters, n, file, type); break;
        case Family::Portraits:
            written = exportPortrait(ws->portraits, n, file, form == PictureForm::Raw ? ExportFileType::Raw : type, notifier);
            break;
        default:
            written = form == PictureForm::Raw ? exportCharacterTiles(ws->characters, n, file)
                                               : exportCharacterSheet(ws->characters, n, file, type, full);
        }
        if (!written) return err << file << ": cannot write the file\n", 1;
        return 0;
    }

    if (form == PictureForm::Raw && target->family == Family::Portraits) {
        if (!importPortraitRaw(ws->portraits, n, file, notifier)) return 1;
    } else if (form == PictureForm::Raw) {
        const TileFileRead read = importCharacterTiles(ws->characters, n, file);
        if (!read.ok) return err << file << ": " << read.error << "\n", 1;
        for (const std::string& note : read.notes) err << note << "\n";
    } else {
        auto source = makePictureSource(*ws, target->family);
        source->show(n);
        IndexedImage image;
        const PictureLimits limits = source->importLimits();
        const ImageLoadResult r = loadForImport(file, limits, image);
        if (r != ImageLoadResult::Read) return err << file << ": " << importErrorMessage(r, limits.width, limits.height) << "\n", 1;
        const std::string note = source->importPicture(image);
        if (!note.empty()) err << note << "\n";
        source->settle();
    }
    return saveFamilyOrComplain(*ws, target->family, romPath, steps, err);
}

} // namespace morvi::cli

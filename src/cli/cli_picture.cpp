// morvi-cli picture export|import: one picture of a family to and from a file, the same
// operations the editor's import and export use.
#include "app/families.h"
#include "cli/cli_common.h"
#include "family/picture_files.h"
#include "family/picture_source.h"

namespace morvi::cli {

int cmdPicture(const Options& o, std::ostream& err, DiskSteps& steps) {
    const auto command = readTargetCommand(o, "usage: morvi-cli picture export|import ROM TARGET FILE [--full] [--header yes|no]\n", err);
    if (!command) return 1;
    const bool exporting = command->exporting;
    const std::string &romPath = command->romPath, &file = command->file;
    const Family family = command->target.family;

    const std::string ext = lowerExtension(file);
    const PictureFormat* format = pictureFormatNamed(ext);
    const bool raw = ext == "bin";
    if (!format && !raw)
        return err << file << ": the file's name ends in .png, .bmp or .pcx (a picture) or .bin (the raw tiles)\n", 1;
    if (raw && !family->hasRawForm())
        return err << file << ": " << family->title() << " have no raw form; use a .png, .bmp or .pcx picture\n", 1;
    const bool full = o.has("--full");
    if (full && (!family->hasLargerPicture() || raw || !exporting))
        return err << "--full is for exporting a character's sheet as a picture\n", 1;

    auto ws = openOrComplain(romPath, command->header, err);
    if (!ws) return 1;
    const int n = command->target.index;

    if (exporting) {
        const PictureFileChoice choice{raw ? ExportFileType::Raw : format->type, full};
        if (!family->exportPicture(*ws, n, file, choice).empty()) return err << file << ": cannot write the file\n", 1;
        return 0;
    }

    if (raw) {
        FileNotifier notifier(err, file);
        if (!family->importRaw(*ws, n, file, notifier)) return 1;
    } else {
        auto source = family->makeSource(*ws);
        source->show(n);
        IndexedImage image;
        const PictureLimits limits = source->importLimits();
        const ImageLoadResult r = loadForImport(file, limits, image);
        if (r != ImageLoadResult::Read) return err << file << ": " << importErrorMessage(r, limits.width, limits.height) << "\n", 1;
        const std::string note = source->importPicture(image);
        if (!note.empty()) err << note << "\n";
        source->settle();
    }
    return saveFamilyOrComplain(*ws, family, romPath, steps, err);
}

} // namespace morvi::cli

#include "app/picture_transfer.h"

#include "rom/rom_file.h"

namespace morvi {

namespace {

bool writeByType(const IndexedImage& image, const std::string& path, ExportFileType type, int w, int h) {
    if (type != ExportFileType::Bmp && type != ExportFileType::Pcx && type != ExportFileType::Png)
        return false; // a type this picture has no writer for: nothing is written
    return writeReplacing(path, [&](const std::string& temp) {
        switch (type) {
        case ExportFileType::Bmp: return !saveBmp(image, temp, w, h);
        case ExportFileType::Pcx: return !savePcx(image, temp, w, h);
        default: return !savePng(image, temp, w, h);
        }
    });
}

} // namespace

std::string importErrorMessage(ImageLoadResult result, int maxWidth, int maxHeight) {
    switch (result) {
    case ImageLoadResult::TooManyColors: return "Image has more than 16 colors";
    case ImageLoadResult::TooLarge: return "Image is larger than " + std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
    case ImageLoadResult::CannotRead: return "Error opening file";
    case ImageLoadResult::NotValid: return "File does not appear to be a valid image file";
    default: return "";
    }
}

bool exportMonsterEntry(const MonsterGraphics& mg, int entry, const std::string& path, ExportFileType type) {
    const MonsterEntry& e = mg.entries[std::size_t(entry)];
    // Palette entries past the entry's colours hold nothing of the entry: written as black, so
    // the same entry always exports to the same bytes.
    IndexedImage copy = e.image;
    for (int i = e.colorCount; i < 256; ++i) copy.palette[std::size_t(i)] = PaletteColor{};
    const Extent x = usedExtent(mg, e);
    return writeByType(copy, path, type, x.width, x.height);
}

bool exportPortrait(PortraitSet& set, int index, const std::string& path, ExportFileType type, Notifier& notifier) {
    if (type == ExportFileType::Raw) return exportPortraitRaw(set, index, path, notifier);
    return writeByType(set.portraits[std::size_t(index)].image, path, type, kPortraitSide, kPortraitSide);
}

bool exportCharacterSheet(const CharacterSet& set, int index, const std::string& path, ExportFileType type) {
    IndexedImage sheet = buildSpriteSheet(set.characters[std::size_t(index)], -1);
    return writeByType(sheet, path, type, kSheetSide, kSheetSide);
}

bool exportBackground(const BackgroundSet& set, int index, const std::string& path) {
    const IndexedImage& image = set.backgrounds[std::size_t(index)].image;
    return !savePng8(image, path, image.width, image.height);
}

void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image) {
    MonsterEntry& e = mg.entries[std::size_t(entry)];
    setEntryFromImage(mg, e, image);
    deriveMold(mg, e);
    commitEntry(mg, e);
}

void importPortrait(PortraitSet& set, int index, const IndexedImage& image) {
    setPortraitFromImage(set, set.portraits[std::size_t(index)], image);
}

void importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image) {
    setCharacterFromSheet(set, set.characters[std::size_t(index)], image);
}

} // namespace morvi

#pragma once
// What the pages' import and export commands do with a picture file, shared by the editor and
// morvi-cli so that both write the same bytes and change the ROM the same way.
#include <string>

#include "app/workspace.h"
#include "imagefile/image_file.h"

namespace morvi {

constexpr int kImportColorLimit = 16;
constexpr int kMonsterImportSide = 128;
constexpr int kCharacterImportSide = 128;

// The text a page shows when an import file is refused.
std::string importErrorMessage(ImageLoadResult result, int maxWidth, int maxHeight);

// Exports return true when the file was written.
bool exportMonsterEntry(const MonsterGraphics& mg, int entry, const std::string& path, ExportFileType type);
bool exportPortrait(PortraitSet& set, int index, const std::string& path, ExportFileType type, Notifier& notifier);
bool exportCharacterSheet(const CharacterSet& set, int index, const std::string& path, ExportFileType type);
// The composed 256 x 152 background as an 8-bit palette PNG.
bool exportBackground(const BackgroundSet& set, int index, const std::string& path);

void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image);
void importPortrait(PortraitSet& set, int index, const IndexedImage& image);
void importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image);

} // namespace morvi

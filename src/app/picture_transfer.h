#pragma once
// What the pages' import and export commands do with a picture file, shared by the editor and
// morvi-cli so that both write the same bytes and change the ROM the same way.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
// The sheet of the 40 poses (128 x 128), or with `full` the 128 x 144 one with the riding and
// lying poses below them.
bool exportCharacterSheet(const CharacterSet& set, int index, const std::string& path, ExportFileType type, bool full = false);
// The community's sprite pair: "NAME.bin" (the character's tiles as the ROM holds them) and
// "NAME.pal" beside it. Both are written or neither.
bool isTileFilePath(const std::string& path);
bool exportCharacterTiles(const CharacterSet& set, int index, const std::string& tilePath);
// Reads the pair (the .pal matched by name in any letter case; without one the palette stays)
// and puts it into character `index`; a refused pair changes nothing and says why.
TileFileRead importCharacterTiles(CharacterSet& set, int index, const std::string& tilePath);
// What such a pair would show: the character's full sheet as the import would leave it.
TileFileRead previewCharacterTiles(const CharacterSet& set, int index, const std::string& tilePath, IndexedImage& sheet);
// The composed 256 x 152 background as an 8-bit palette PNG.
bool exportBackground(const BackgroundSet& set, int index, const std::string& path);

// Pictures on the clipboard travel as 32-bit 0xAARRGGBB pixels, rows top first.
// The top-left w x h of a picture with colour 0 transparent (pixels outside it transparent too).
std::vector<std::uint32_t> pictureToArgb(const IndexedImage& picture, int w, int h);
// A picture from such pixels: those less than half opaque take index 0 and the other colours
// follow in the order met; without any transparent pixel the first colour met is index 0, as in
// a picture file without transparency. TooManyColors (out unchanged) when it needs more than
// colorLimit indices; NotValid when the pixel count is not w x h.
ImageLoadResult pictureFromArgb(std::span<const std::uint32_t> argb, int w, int h, int colorLimit, IndexedImage& out);

void importMonsterEntry(MonsterGraphics& mg, int entry, const IndexedImage& image);
void importPortrait(PortraitSet& set, int index, const IndexedImage& image);
// "" or, when poses sharing a tile disagreed in the picture, the message that says which.
std::string importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image);
// Whether a picture of w x h fits an import: up to maxWidth x maxHeight, or exactly the extra
// size some families also take (the full character sheet).
bool fitsImport(int w, int h, int maxWidth, int maxHeight, int exactWidth, int exactHeight);

} // namespace morvi

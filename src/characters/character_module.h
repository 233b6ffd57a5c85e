#pragma once
// The character sprite sheets as a family of the program: the module the registry lists, the
// picture source the editor edits a character through, and the sheets' and sprite pairs' files.
#include <span>
#include <string>

#include "characters/characters.h"
#include "family/picture_source.h"
#include "family/workspace.h"

namespace morvi {

constexpr int kCharacterImportSide = 128;

Family characterFamily();
CharacterSet& charactersOf(Workspace& ws);
const CharacterSet& charactersOf(const Workspace& ws);

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
// "" or, when poses sharing a tile disagreed in the picture, the message that says which.
std::string importCharacterSheet(CharacterSet& set, int index, const IndexedImage& image);

// A character: the canvas shows one sprite; clear, flip, import and copy act on all of them,
// through the tiles they share.
class CharacterSource : public PictureSource {
public:
    using PictureSource::PictureSource;
    Family family() const override { return characterFamily(); }
    const IndexedImage& picture() const override;
    int sprite() const { return m_sprite; }
    void showSprite(int sprite) { m_sprite = sprite; }
    bool writePixels(std::span<const PixelWrite> writes) override;
    bool clear() override;
    bool flip(bool vertical) override;
    PictureLimits importLimits() const override;
    std::string importPicture(const IndexedImage& image) override;
    IndexedImage clipboardPicture() const override;
    void restored() override;
    CharacterSprites& character() const { return charactersOf(m_ws).characters[std::size_t(m_index)]; }

private:
    int m_sprite = 0;
};

namespace demo {
// The demo ROM's 22 character sheets with shared tiles and their palettes, drawn in code.
void addDemoCharacters(RomImage& rom);
} // namespace demo

} // namespace morvi

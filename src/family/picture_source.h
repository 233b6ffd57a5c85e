#pragma once
// One family's pictures as the editor edits them: the page says which picture shows, and the
// editor reads and writes it only through here. Each family's module supplies one small source
// that calls the family's own operations; nothing else in the editor tells the families apart.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "family/palette_target.h"
#include "family/workspace.h"
#include "imagefile/image_file.h"
#include "image/raster.h"

namespace morvi {

// How large a picture an import may bring, and whether the chooser tells a monster's size and
// depth ("128x128", "16 colors") rather than the file's own.
struct PictureLimits {
    int width = 0;
    int height = 0;
    bool monsterTexts = false;
    // A larger size taken exactly as well (the full character sheet), or 0 x 0.
    int exactWidth = 0;
    int exactHeight = 0;
    // The picture's colours (8 for a 3-bit monster): an indexed file whose every pixel's index
    // is below this keeps its indices and palette order.
    int colors = 16;
};
// Reads a picture file for an import: the colour limit, and the size limits above. keptOrder
// (when given) says whether the file's indices and palette order were kept, or its colours
// numbered in order of first use.
ImageLoadResult loadForImport(const std::string& path, const PictureLimits& limits, IndexedImage& out,
                              bool* keptOrder = nullptr);

// Runs op and tells whether what `state` reads differs after it.
template <class State, class Op> bool changes(State state, Op op) {
    const auto before = state();
    op();
    return before != state();
}

class PictureSource {
public:
    explicit PictureSource(Workspace& ws) : m_ws(ws) {}
    virtual ~PictureSource() = default;
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    virtual Family family() const = 0;
    // Which picture shows: a monster entry, a portrait or a character.
    int index() const { return m_index; }
    // Shows another picture (what the last one left unsettled is settled first).
    void show(int index);
    // The picture the canvas edits; its size is the canvas picture's size.
    virtual const IndexedImage& picture() const = 0;
    Workspace& workspace() const { return m_ws; }

    // --- its palette, through the palette target ---
    PaletteTarget paletteTarget() const { return {family(), m_index}; }
    int colorCount() const { return targetColorCount(m_ws, paletteTarget()); }
    // The colours a file maps onto and the canvas shows; the table's colours, as the strip shows.
    std::vector<PaletteColor> palette() const { return targetPalette(m_ws, paletteTarget()); }
    std::vector<PaletteColor> tableColors() const { return targetTableColors(m_ws, paletteTarget()); }
    bool colorEditable(int k) const { return targetColorEditable(m_ws, paletteTarget(), k); }
    bool setColor(int k, PaletteColor color);
    bool makeTransparent(int k);

    // --- the pixels ---
    // Writes pixels of the picture all at once; true when any changed.
    virtual bool writePixels(std::span<const PixelWrite> writes) = 0;
    // The chunks a write of pixels can change: a step of the history keeps only these.
    std::vector<ChunkId> writeScope() const { return family()->pictureChunkIds(m_ws, m_index); }
    // Why these writes cannot be made (a colour the family's pictures cannot show), or "".
    virtual std::string refusePixels(std::span<const PixelWrite> writes) const {
        (void)writes;
        return "";
    }
    // Clear and flip of everything the picture list's entry holds; true when it changed.
    virtual bool clear() = 0;
    virtual bool flip(bool vertical) = 0;
    virtual PictureLimits importLimits() const = 0;
    // Puts a picture that passed the limits into the family; "" or what the user should know
    // of how it was taken.
    virtual std::string importPicture(const IndexedImage& image) = 0;
    // What Copy takes when nothing is selected (colour 0 transparent), sized as it is copied.
    virtual IndexedImage clipboardPicture() const = 0;

    // --- the family's own rules around edits ---
    // Any edit of the family's data was made while this picture showed.
    virtual void edited() {}
    // Before another picture, a save or an undo: an edit of the picture reaches what shares it.
    virtual void settle() {}
    // After undo or redo put data back: what is derived from it is made again.
    virtual void restored() {}
    // A save wrote the family: what the source kept unsettled is in the ROM now.
    virtual void saved() {}

protected:
    Workspace& m_ws;
    int m_index = 0;
};

// The source for a family.
inline std::unique_ptr<PictureSource> makePictureSource(Workspace& ws, Family family) { return family->makeSource(ws); }

} // namespace morvi

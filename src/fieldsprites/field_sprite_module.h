#pragma once
// The field sprite sheets 22 to 164 and the vehicles as a family of the program: the module the
// registry lists ("sprite"), and the picture source the editor edits one frame of a sheet
// through. The 32 field sprite palettes are the character family's palette table (one table in
// the ROM, one owner here); a sheet is shown in any of them.
#include <span>
#include <string>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "fieldsprites/field_sprites.h"

namespace morvi {

// Pictures of the family: sheet 22 + p for p below 143, then the vehicles.
constexpr int kFieldSheetPictures = kVehicleSheet - kFirstFieldSheet + 1;
constexpr int kVehiclePicture = kFieldSheetPictures - 1;
inline int fieldSheetOfPicture(int picture) { return picture + kFirstFieldSheet; }

Family fieldSpriteFamily();
FieldSpriteSet& fieldSpritesOf(Workspace& ws);
const FieldSpriteSet& fieldSpritesOf(const Workspace& ws);
// Why the sheets could not be read from the open ROM ("" when they were): the other families
// open without them, and the page says this instead of showing sheets.
const std::string& fieldSpritesRefusal(const Workspace& ws);
// The sheets with the palette table's colours as they stand now (the table belongs to the
// character family): what drawing a sheet in its colours reads.
const FieldSpriteSet& fieldSpritesInColour(Workspace& ws);
// Shows sheet `picture` in field palette `palette` (0 to 31); false for a number out of range.
// A view of the sheet, not an edit: nothing of the ROM changes.
bool showFieldSheetInPalette(Workspace& ws, int picture, int palette);

// One frame of a sheet on the canvas; clear, flip, import and copy act on the whole sheet, through
// the tiles its frames share.
class FieldSpriteSource : public PictureSource {
public:
    using PictureSource::PictureSource;
    Family family() const override { return fieldSpriteFamily(); }
    const IndexedImage& picture() const override;
    int frame() const { return m_frame; }
    // The sheet's frame `frame` (kept within the sheet's frames).
    void showFrame(int frame) { m_frame = frame; }
    int frameCount() const;
    const FieldSheet& sheet() const { return fieldSpritesOf(m_ws).sheet(fieldSheetOfPicture(m_index)); }
    bool writePixels(std::span<const PixelWrite> writes) override;
    std::string refusePixels(std::span<const PixelWrite> writes) const override;
    bool clear() override;
    bool flip(bool vertical) override;
    PictureLimits importLimits() const override;
    std::string importPicture(const IndexedImage& image) override;
    IndexedImage clipboardPicture() const override;

private:
    int m_frame = 0;
    mutable IndexedImage m_shown;
};

} // namespace morvi

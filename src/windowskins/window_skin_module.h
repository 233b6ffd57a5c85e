#pragma once
// The menu window skins as a family of the program: the module the registry lists and the
// picture source the editor edits a skin's window through.
#include <span>
#include <string>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "windowskins/window_skins.h"

namespace morvi {

Family windowSkinFamily();
WindowSkinSet& windowSkinsOf(Workspace& ws);
const WindowSkinSet& windowSkinsOf(const Workspace& ws);

class WindowSkinSource : public PictureSource {
public:
    using PictureSource::PictureSource;
    Family family() const override { return windowSkinFamily(); }
    const IndexedImage& picture() const override { return windowSkinsOf(m_ws).skins[std::size_t(m_index)].window; }
    bool writePixels(std::span<const PixelWrite> writes) override {
        return setWindowPixels(windowSkinsOf(m_ws), m_index, writes) > 0;
    }
    std::string refusePixels(std::span<const PixelWrite> writes) const override { return windowWritesRefusal(writes); }
    bool clear() override;
    bool flip(bool vertical) override;
    PictureLimits importLimits() const override { return {kWindowPreviewSide, kWindowPreviewSide, false}; }
    std::string importPicture(const IndexedImage& image) override { return setWindowFromPicture(windowSkinsOf(m_ws), m_index, image); }
    IndexedImage clipboardPicture() const override { return picture(); }
};

namespace demo {
// The demo ROM's 8 window skins and their palettes, drawn in code.
void addDemoWindowSkins(RomImage& rom);
} // namespace demo

} // namespace morvi

#pragma once
// The portraits as a family of the program: the module the registry lists, the picture source
// the editor edits a portrait through, and the portrait's picture files.
#include <span>
#include <string>

#include "family/picture_source.h"
#include "family/workspace.h"
#include "portraits/portraits.h"

namespace morvi {

Family portraitFamily();
PortraitSet& portraitsOf(Workspace& ws);
const PortraitSet& portraitsOf(const Workspace& ws);

// As a picture, or (ExportFileType::Raw) as the 800-byte tile file with its .pal.
bool exportPortrait(PortraitSet& set, int index, const std::string& path, ExportFileType type, Notifier& notifier);
void importPortrait(PortraitSet& set, int index, const IndexedImage& image);

class PortraitSource : public PictureSource {
public:
    using PictureSource::PictureSource;
    Family family() const override { return portraitFamily(); }
    const IndexedImage& picture() const override;
    bool writePixels(std::span<const PixelWrite> writes) override;
    bool clear() override;
    bool flip(bool vertical) override;
    PictureLimits importLimits() const override;
    std::string importPicture(const IndexedImage& image) override;
    IndexedImage clipboardPicture() const override;
};

namespace demo {
// The demo ROM's 19 portraits and their palettes, drawn in code.
void addDemoPortraits(RomImage& rom);
} // namespace demo

} // namespace morvi

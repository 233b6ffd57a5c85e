// The portraits as a family: 19 pictures of 40 x 40 on palettes they may share.
#include "portraits/portrait_module.h"

#include <algorithm>

#include "family/chunk_codec.h"
#include "family/palette_target.h"
#include "rom/rom_buffer.h"

namespace morvi {

namespace {

struct PortraitData final : FamilyData {
    PortraitSet set;
};

constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kItemChunks = 0x10000; // one a portrait
constexpr ChunkId kRangeMask = kChunkRangeMask;


std::vector<std::uint8_t> portraitChunk(const PortraitRecord& p) {
    ChunkOut o;
    o.image(p.image);
    o.raw(p.raw);
    o.u8(p.paletteNumber);
    o.u8(p.storedNumber);
    return std::move(o.bytes);
}

std::optional<std::vector<std::uint8_t>> portraitSetChunk(const PortraitSet& set, ChunkId id) {
    if (id == kPaletteChunk) return paletteChunk(set.palettes);
    const ChunkId i = id & ~kRangeMask;
    if ((id & kRangeMask) == kItemChunks && i < set.portraits.size()) return portraitChunk(set.portraits[i]);
    return std::nullopt;
}

void restorePortraitChunk(PortraitSet& set, const Chunk& c) {
    if (!c.second) return;
    ChunkIn in(*c.second);
    const ChunkId i = c.first & ~kRangeMask;
    if (c.first == kPaletteChunk) {
        in.colors(set.palettes.data(), set.palettes.size());
    } else if ((c.first & kRangeMask) == kItemChunks && i < set.portraits.size()) {
        PortraitRecord& p = set.portraits[i];
        in.image(p.image);
        in.raw(p.raw);
        p.paletteNumber = in.u8();
        p.storedNumber = in.u8();
    }
}


class PortraitModule final : public FamilyModule {
public:
    std::string_view cliName() const override { return "portrait"; }
    std::string_view title() const override { return "portraits"; }
    int pictureCount() const override { return kPortraitCount; }
    std::vector<FamilyTab> tabs() const override { return {{"Portraits", 0}}; }
    std::string pictureName(const Workspace&, int picture) const override { return kPortraitNames[std::size_t(picture)]; }

    std::unique_ptr<FamilyData> makeData() const override { return std::make_unique<PortraitData>(); }
    bool canLoad(const RomBytes& rom) const override { return canLoadPortraits(rom); }
    bool load(Workspace& ws, const RomBytes& rom) const override { return loadPortraits(portraitsOf(ws), rom); }
    bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const override {
        return savePortraits(portraitsOf(ws), buffer, notifier);
    }
    WrittenCheck checkWritten(Workspace&, const RomBytes& result) const override { return {canLoadPortraits(result)}; }
    CopyWrite writeCopy(const Workspace& ws, int, RomBuffer& buffer, Notifier& notifier) const override {
        PortraitSet portraits = portraitsOf(ws);
        if (!savePortraits(portraits, buffer, notifier)) return CopyWrite::Refused;
        return canLoadPortraits(buffer.bytes()) ? CopyWrite::Written : CopyWrite::WouldNotLoad;
    }
    void addDemo(RomImage& rom) const override { demo::addDemoPortraits(rom); }
    std::vector<std::pair<std::string, std::string>> info(const Workspace&) const override {
        return {{"portraits", std::to_string(kPortraitCount)}};
    }

    std::vector<ChunkId> chunkIds(const Workspace& ws) const override {
        std::vector<ChunkId> ids{kPaletteChunk};
        for (std::size_t i = 0; i < portraitsOf(ws).portraits.size(); ++i) ids.push_back(kItemChunks + ChunkId(i));
        return ids;
    }
    std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const override {
        return portraitSetChunk(portraitsOf(ws), id);
    }
    void restoreChunk(Workspace& ws, const Chunk& c) const override { restorePortraitChunk(portraitsOf(ws), c); }
    std::vector<ChunkId> pictureChunkIds(const Workspace&, int picture) const override {
        return {kItemChunks + ChunkId(std::max(0, picture))};
    }

    int colorCount(const Workspace&, int) const override { return 16; }
    PaletteColor* storedColor(Workspace& ws, int picture, int k) const override {
        PortraitSet& set = portraitsOf(ws);
        const std::size_t at = std::size_t(set.portraits[std::size_t(picture)].paletteNumber) * 16 + std::size_t(k);
        return k >= 0 && k < 16 && at < set.palettes.size() ? &set.palettes[at] : nullptr;
    }
    void paletteChanged(Workspace& ws, int) const override {
        PortraitSet& set = portraitsOf(ws);
        for (auto& r : set.portraits) reloadPortraitPalette(set, r);
    }
    void swapWithTransparent(Workspace& ws, int picture, int k) const override {
        PortraitSet& set = portraitsOf(ws);
        swapPortraitColor(set, set.portraits[std::size_t(picture)], k);
    }
    void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const override {
        PortraitSet& set = portraitsOf(ws);
        const auto r = renumbering(order);
        const auto number = set.portraits[std::size_t(picture)].paletteNumber;
        for (auto& p : set.portraits)
            if (p.paletteNumber == number)
                for (auto& v : p.image.pixels) v = r[v];
    }
    std::uint32_t colorsUsed(const Workspace& ws, int picture) const override {
        return pixelColors(portraitsOf(ws).portraits[std::size_t(picture)].image);
    }

    std::unique_ptr<PictureSource> makeSource(Workspace& ws) const override { return std::make_unique<PortraitSource>(ws); }

    std::vector<FileFolder> fileFolders() const override { return {{"portraits", 2, 0, kPortraitCount - 1}}; }
    bool hasRawForm() const override { return true; }
    std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const override {
        CollectingNotifier said;
        return exportPortrait(portraitsOf(ws), picture, path, choice.type, said) ? "" : "cannot write the file";
    }
    bool importRaw(Workspace& ws, int picture, const std::string& path, Notifier& notifier) const override {
        return importPortraitRaw(portraitsOf(ws), picture, path, notifier);
    }
};

const PortraitModule kModule;

} // namespace

Family portraitFamily() { return &kModule; }
PortraitSet& portraitsOf(Workspace& ws) { return familyData<PortraitData>(ws, &kModule).set; }
const PortraitSet& portraitsOf(const Workspace& ws) { return familyData<PortraitData>(ws, &kModule).set; }

bool exportPortrait(PortraitSet& set, int index, const std::string& path, ExportFileType type, Notifier& notifier) {
    if (type == ExportFileType::Raw) return exportPortraitRaw(set, index, path, notifier);
    return writePictureFile(set.portraits[std::size_t(index)].image, path, type, kPortraitSide, kPortraitSide);
}

void importPortrait(PortraitSet& set, int index, const IndexedImage& image) {
    setPortraitFromImage(set, set.portraits[std::size_t(index)], image);
}


const IndexedImage& PortraitSource::picture() const { return portraitsOf(m_ws).portraits[std::size_t(m_index)].image; }

bool PortraitSource::writePixels(std::span<const PixelWrite> writes) {
    return setPortraitPixels(portraitsOf(m_ws).portraits[std::size_t(m_index)], writes) > 0;
}

bool PortraitSource::clear() {
    auto& record = portraitsOf(m_ws).portraits[std::size_t(m_index)];
    return changes([&] { return record.image.pixels; }, [&] { clearPortrait(record); });
}

bool PortraitSource::flip(bool vertical) {
    auto& record = portraitsOf(m_ws).portraits[std::size_t(m_index)];
    return changes([&] { return record.image.pixels; }, [&] { flipPortrait(record, vertical ? 1 : 0); });
}

PictureLimits PortraitSource::importLimits() const { return {kPortraitSide, kPortraitSide, false}; }

std::string PortraitSource::importPicture(const IndexedImage& image) {
    importPortrait(portraitsOf(m_ws), m_index, image);
    return "";
}

IndexedImage PortraitSource::clipboardPicture() const { return picture(); }

} // namespace morvi

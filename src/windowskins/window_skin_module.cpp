// The menu window skins as a family: 8 pictures of a fixed size, written in place.
#include "windowskins/window_skin_module.h"

#include <algorithm>

#include "family/chunk_codec.h"
#include "family/palette_target.h"
#include "imagefile/image_file.h"

namespace morvi {

namespace {

struct WindowSkinData final : FamilyData {
    WindowSkinSet set;
};

constexpr ChunkId kPaletteChunk = 1;
constexpr ChunkId kSkinChunks = 0x10000; // one a skin: its tiles

class WindowSkinModule final : public FamilyModule {
public:
    std::string_view cliName() const override { return "window"; }
    std::string_view title() const override { return "window skins"; }
    int pictureCount() const override { return kWindowSkinCount; }
    int firstNumber() const override { return 1; }
    std::vector<FamilyTab> tabs() const override { return {{"Windows", 0}}; }
    std::string pictureName(const Workspace&, int picture) const override { return "Window " + std::to_string(picture + 1); }

    std::unique_ptr<FamilyData> makeData() const override { return std::make_unique<WindowSkinData>(); }
    bool canLoad(const RomBytes& rom) const override { return canLoadWindowSkins(rom); }
    bool load(Workspace& ws, const RomBytes& rom) const override { return loadWindowSkins(windowSkinsOf(ws), rom); }
    bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const override {
        return saveWindowSkins(windowSkinsOf(ws), buffer, notifier);
    }
    WrittenCheck checkWritten(Workspace&, const RomBytes& result) const override { return {canLoadWindowSkins(result)}; }
    CopyWrite writeCopy(const Workspace& ws, int, RomBuffer& buffer, Notifier& notifier) const override {
        if (!saveWindowSkins(windowSkinsOf(ws), buffer, notifier)) return CopyWrite::Refused;
        return canLoadWindowSkins(buffer.bytes()) ? CopyWrite::Written : CopyWrite::WouldNotLoad;
    }
    void addDemo(RomImage& rom) const override { demo::addDemoWindowSkins(rom); }
    std::vector<std::pair<std::string, std::string>> info(const Workspace&) const override {
        return {{"window skins", std::to_string(kWindowSkinCount)}};
    }

    std::vector<ChunkId> chunkIds(const Workspace&) const override {
        std::vector<ChunkId> ids{kPaletteChunk};
        for (int s = 0; s < kWindowSkinCount; ++s) ids.push_back(kSkinChunks + ChunkId(s));
        return ids;
    }
    std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const override {
        const WindowSkinSet& set = windowSkinsOf(ws);
        if (id == kPaletteChunk) return paletteChunk(set.palettes);
        const ChunkId s = id - kSkinChunks;
        if (id >= kSkinChunks && s < ChunkId(kWindowSkinCount))
            return std::vector<std::uint8_t>(set.skins[s].tiles.begin(), set.skins[s].tiles.end());
        return std::nullopt;
    }
    void restoreChunk(Workspace& ws, const Chunk& c) const override {
        if (!c.second) return;
        WindowSkinSet& set = windowSkinsOf(ws);
        if (c.first == kPaletteChunk) {
            ChunkIn in(*c.second);
            in.colors(set.palettes.data(), set.palettes.size());
            rebuildWindows(set);
        } else if (const ChunkId s = c.first - kSkinChunks; c.first >= kSkinChunks && s < ChunkId(kWindowSkinCount)) {
            std::copy_n(c.second->begin(), std::min(c.second->size(), set.skins[s].tiles.size()), set.skins[s].tiles.begin());
            rebuildWindow(set, int(s), set.skins[s]);
        }
    }
    std::vector<ChunkId> pictureChunkIds(const Workspace&, int picture) const override {
        return {kSkinChunks + ChunkId(std::clamp(picture, 0, kWindowSkinCount - 1))};
    }

    int colorCount(const Workspace&, int) const override { return 16; }
    PaletteColor* storedColor(Workspace& ws, int picture, int k) const override {
        if (k < 0 || k >= 16 || picture < 0 || picture >= kWindowSkinCount) return nullptr;
        return &windowSkinsOf(ws).palettes[std::size_t(picture * 16 + k)];
    }
    // The game copies colours 1 to 7 only: 8 to 15 are shown as unused and not edited.
    bool colorEditable(const Workspace&, int, int k) const override { return k < kWindowShownColors; }
    void paletteChanged(Workspace& ws, int) const override { rebuildWindows(windowSkinsOf(ws)); }
    void swapWithTransparent(Workspace& ws, int picture, int k) const override { swapWindowColor(windowSkinsOf(ws), picture, k); }
    void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const override {
        WindowSkin& skin = windowSkinsOf(ws).skins[std::size_t(picture)];
        const auto r = renumbering(order);
        for (auto& v : skin.tiles) v = r[v];
    }
    std::uint32_t colorsUsed(const Workspace& ws, int picture) const override {
        return pixelColors(windowSkinsOf(ws).skins[std::size_t(picture)].window);
    }

    std::unique_ptr<PictureSource> makeSource(Workspace& ws) const override { return std::make_unique<WindowSkinSource>(ws); }

    std::vector<FileFolder> fileFolders() const override { return {{"windows", 1, 0, kWindowSkinCount - 1}}; }
    std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const override {
        if (choice.type == ExportFileType::Raw) return "window skins have no raw form";
        const IndexedImage& window = windowSkinsOf(ws).skins[std::size_t(picture)].window;
        return writePictureFile(window, path, choice.type, window.width, window.height) ? "" : "cannot write the file";
    }
};

const WindowSkinModule kModule;

} // namespace

Family windowSkinFamily() { return &kModule; }
WindowSkinSet& windowSkinsOf(Workspace& ws) { return familyData<WindowSkinData>(ws, &kModule).set; }
const WindowSkinSet& windowSkinsOf(const Workspace& ws) { return familyData<WindowSkinData>(ws, &kModule).set; }

bool WindowSkinSource::clear() {
    WindowSkinSet& set = windowSkinsOf(m_ws);
    return changes([&] { return set.skins[std::size_t(m_index)].tiles; }, [&] { clearWindowSkin(set, m_index); });
}

bool WindowSkinSource::flip(bool vertical) {
    WindowSkinSet& set = windowSkinsOf(m_ws);
    return changes([&] { return set.skins[std::size_t(m_index)].tiles; }, [&] { flipWindowSkin(set, m_index, vertical); });
}

} // namespace morvi

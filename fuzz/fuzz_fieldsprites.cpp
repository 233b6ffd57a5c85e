// The demo ROM with its field sprite tables damaged by the input (the pose table and the sheet
// pointer table), then read by the field sprite reader. The input is a selector byte, a sheet
// byte and then patches: a 2-byte position inside the tables and the byte to put there. The
// selector picks the header layout and whether the file is cut short. What the check foretells
// must be what the load does; a loaded set must give back a sheet's bytes as the file holds
// them, and painting every frame of the chosen sheet and saving must change no byte outside it.
#include <algorithm>

#include "demo/demo_rom.h"
#include "fieldsprites/field_sprites.h"

namespace {

constexpr std::uint32_t kTablesStart = morvi::kFieldPoseTableOffset;
constexpr std::uint32_t kTablesEnd = morvi::kFieldSheetBanksOffset + 2 * morvi::kFieldSheetCount;
// What a save may write: the sheets and the vehicles.
constexpr std::ptrdiff_t kGraphicsStart = morvi::kSpriteGraphicsOffset;
constexpr std::ptrdiff_t kGraphicsEnd = morvi::kVehicleGraphicsOffset + morvi::kVehicleGraphicsSize;

struct Patch {
    std::size_t at;
    std::uint8_t old;
};

void paintEveryFrame(morvi::FieldSpriteSet& set, int index) {
    for (int f = 0; f < int(set.sheet(index).frames.size()); ++f) {
        const morvi::IndexedImage before = morvi::renderFieldFrame(set, index, f);
        std::vector<morvi::PixelWrite> writes;
        for (int y = 0; y < before.height; ++y)
            for (int x = 0; x < before.width; ++x) writes.push_back({x, y, std::uint8_t((x + y + f) & 15)});
        morvi::setFieldFramePixels(set, index, f, writes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const morvi::RomImage demo = morvi::buildDemoRom();
    static std::vector<std::uint8_t> plain = demo.fileBytes(false);
    static std::vector<std::uint8_t> headered = demo.fileBytes(true);
    if (size < 2) return 0;
    const std::uint8_t selector = data[0];
    const bool header = selector & 1;
    std::vector<std::uint8_t>& file = header ? headered : plain;
    const std::size_t base = header ? morvi::kCopierHeaderSize : 0;
    std::vector<Patch> patches;
    for (std::size_t i = 2; i + 2 < size; i += 3) {
        const std::size_t at = base + kTablesStart + ((std::size_t(data[i]) << 8 | data[i + 1]) % (kTablesEnd - kTablesStart));
        patches.push_back({at, file[at]});
        file[at] = data[i + 2];
    }
    // Sometimes the file ends early, anywhere in the ROM.
    std::size_t length = file.size();
    if (selector & 2) length = std::size_t(selector >> 4) * (file.size() / 16) + (selector & 0x0C) * 0x1000;
    length = std::min(length, file.size());
    const morvi::RomBytes rom(std::span<const std::uint8_t>(file.data(), length), header);

    static morvi::FieldSpriteSet set; // large: made once, refilled by each load
    const bool foretold = morvi::canLoadFieldSprites(rom);
    const std::string error = morvi::loadFieldSprites(set, rom);
    if (error.empty() != foretold) __builtin_trap();
    if (error.empty()) {
        // The chosen sheet and its neighbours give back the bytes the file holds there.
        const int index = morvi::kFirstFieldSheet + data[1] % (morvi::kFieldSheetCount + 1 - morvi::kFirstFieldSheet);
        for (int i = std::max(morvi::kFirstFieldSheet, index - 1); i <= std::min(morvi::kVehicleSheet, index + 1); ++i) {
            const morvi::FieldSheet& sheet = set.sheet(i);
            const auto bytes = morvi::fieldSheetBytes(set, i);
            const auto held = rom.at(sheet.offset, sheet.size);
            if (held.size() != sheet.size || !std::equal(bytes.begin(), bytes.end(), held.begin(), held.end())) __builtin_trap();
        }
        paintEveryFrame(set, index);
        // The save writes into the file itself: every write it makes must lie in the painted
        // sheet; the sheets' region is put back from the demo afterwards.
        std::vector<std::uint8_t> spare;
        std::vector<std::uint8_t>& target = length == file.size() ? file : (spare = {file.begin(), file.begin() + std::ptrdiff_t(length)});
        morvi::RomBuffer buffer(target, header);
        morvi::CollectingNotifier quiet;
        if (!morvi::saveFieldSprites(set, buffer, quiet)) __builtin_trap();
        const std::size_t from = base + set.sheet(index).offset, to = from + set.sheet(index).size;
        for (const auto& [start, end] : buffer.written())
            if (start < from || end > to) __builtin_trap();
        if (&target == &file)
            std::copy(demo.bytes.begin() + kGraphicsStart, demo.bytes.begin() + kGraphicsEnd, file.begin() + std::ptrdiff_t(base + kGraphicsStart));
    }
    for (auto it = patches.rbegin(); it != patches.rend(); ++it) file[it->at] = it->old;
    return 0;
}

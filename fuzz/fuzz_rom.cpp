// A valid ROM (the demo, thinned below, held in memory) damaged by the input, then read by
// every family reader straight from memory. The input is a selector byte and then patches: a
// table to aim at, a 2-byte position inside it and the byte to put there. The selector picks
// the header layout, whether the file is cut short, which readers run, and whether a family
// that loaded is also saved (into a scratch copy of the demo). Readers must refuse in their
// checks or load, never read out of bounds; a save of what loaded must not touch memory it
// does not own.

#include "app/rom_save.h"
#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "fuzz/fuzz_file.h"
#include "app/families.h"
#include "monsters/monster_graphics.h"

namespace {

// Where damage does the most harm: the tables every reader follows.
constexpr std::uint32_t kTargets[] = {
    0x127000, 0x127500, 0x12A820, 0x12A900, 0x12AC00, 0x127820, 0xFC050, 0x26F6E1, // monsters
    0x297000, 0x29A000, 0x2A0000,                                                  // monster graphics
    0x2D1D00, 0x2D5860, 0x36F00,                                                   // portraits
    0xCE3A, 0xD0F2, 0xD23C, 0x2CE2B, 0x268000, 0x150000,                           // characters
};

struct Patch {
    std::size_t at;
    std::uint8_t old;
};

constexpr int kVariedEntries = 12;

// The demo with its first 12 monsters as they are (both sizes and depths, varied molds) and
// the other entries drawing the demo's smallest picture: every reader still meets every table,
// at a small part of the decoding work per input.
morvi::RomImage fuzzBase() {
    morvi::RomImage demo = morvi::buildDemoRom();
    morvi::MonsterGraphics mg;
    if (!morvi::loadMonsterGraphics(mg, morvi::RomBytes(demo.bytes, false))) return demo;
    int smallest = 0;
    for (int e = 1; e < morvi::kMonsterEntryCount; ++e)
        if (mg.records[mg.entries[std::size_t(e)].recordIndex].size < mg.records[mg.entries[std::size_t(smallest)].recordIndex].size)
            smallest = e;
    const std::uint32_t from = morvi::kMonsterInfoOffset + morvi::kInfoRecordBytes * std::uint32_t(smallest);
    for (int e = kVariedEntries; e < morvi::kMonsterEntryCount; ++e)
        for (int b = 0; b < morvi::kInfoRecordBytes; ++b)
            demo.bytes[morvi::kMonsterInfoOffset + morvi::kInfoRecordBytes * std::size_t(e) + std::size_t(b)] =
                demo.bytes[from + std::size_t(b)];
    return demo;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both layouts of the demo, patched in place and put back after each input.
    static const morvi::RomImage demo = fuzzBase();
    static std::vector<std::uint8_t> plain = demo.fileBytes(false);
    static std::vector<std::uint8_t> headered = demo.fileBytes(true);
    static const morvi::fuzz::ScratchFile scratchFile(".smc");
    static const bool written = morvi::fuzz::writeScratch(scratchFile.path(), plain.data(), plain.size());
    (void)written;
    const std::string& scratch = scratchFile.path();
    if (size == 0) return 0;
    const std::uint8_t selector = data[0];
    const bool header = selector & 1;
    std::vector<std::uint8_t>& file = header ? headered : plain;
    const std::size_t base = header ? morvi::kCopierHeaderSize : 0;

    std::vector<Patch> patches;
    for (std::size_t i = 1; i + 3 < size; i += 4) {
        const std::uint32_t target = kTargets[data[i] % (sizeof kTargets / sizeof kTargets[0])];
        const std::size_t at = (base + target + ((std::size_t(data[i + 1]) << 8) | data[i + 2])) % file.size();
        patches.push_back({at, file[at]});
        file[at] = data[i + 3];
    }
    // Sometimes the file ends early, anywhere in the ROM.
    std::size_t length = file.size();
    if (selector & 2) length = std::size_t(selector >> 4) * (file.size() / 16);

    // Which readers run: every family together (the editor's open, all or nothing), or one.
    const morvi::RomBytes rom(std::span<const std::uint8_t>(file.data(), length), header);
    static const auto ws = morvi::Workspace::create(); // large: made once, refilled by each load
    ws->rom.romHasHeader = false; // the scratch copy has none
    ws->rom.romPath = scratch;
    // A reader refuses in its checks or not at all (the editor's all-or-nothing open counts on
    // it): what each reader does must be what its check foretold. One input in 8 that loads a
    // single family also saves it, into a scratch copy of the demo.
    const auto list = morvi::families();
    const int which = (selector >> 2) & 7; // 0: every family, else one of them
    const bool save = (selector & 0xE0) == 0xE0;
    morvi::CollectingNotifier quiet;
    bool loaded = false, foretold = false;
    const morvi::Family one = which == 0 ? nullptr : list[std::size_t(which - 1) % list.size()];
    if (!one) {
        foretold = true;
        for (morvi::Family f : list) foretold = foretold && f->canLoad(rom);
        loaded = morvi::loadRomFamilies(*ws, rom);
    } else {
        foretold = one->canLoad(rom);
        loaded = one->load(*ws, rom);
    }
    if (loaded && save && one) {
        // The editor's save of that one family (read, write, check, new file, rename).
        morvi::SaveRequest request;
        request.add(one);
        morvi::DiskSteps steps;
        morvi::saveRomFamilies(*ws, request, steps, quiet, [] { return true; });
    }
    if (loaded != foretold) __builtin_trap();
    for (auto it = patches.rbegin(); it != patches.rend(); ++it) file[it->at] = it->old;
    return 0;
}

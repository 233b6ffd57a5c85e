// A valid ROM (the demo) damaged by the input: pairs of a 3-byte position and a byte to put
// there, aimed at the tables the readers follow; the last input byte may cut the file short.
// Opening must refuse or load, never read or write out of bounds; a save of what loaded must
// not fail on a file it could read.
#include <memory>

#include "app/rom_session.h"
#include "cli/demo_rom.h"
#include "fuzz/fuzz_file.h"

namespace {
// Where damage does the most harm: the tables every reader follows.
constexpr std::uint32_t kTargets[] = {0x127000, 0x12A820, 0x127820, 0xCE3A, 0xD0F2, 0xD23C, 0x2CE2B, 0x36F00, 0x270000, 0x271650, 0x271848};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const morvi::RomImage demo = morvi::buildDemoRom();
    static const std::string path = morvi::fuzz::scratchPath(".smc");
    std::vector<std::uint8_t> rom = demo.bytes;
    for (std::size_t i = 0; i + 3 < size; i += 4) {
        const std::uint32_t target = kTargets[data[i] % (sizeof kTargets / sizeof kTargets[0])];
        const std::uint32_t at = (target + ((data[i + 1] << 8) | data[i + 2])) % rom.size();
        rom[at] = data[i + 3];
    }
    if (size % 4 == 1) rom.resize(std::size_t(data[size - 1]) * 0x3000);
    if (!morvi::fuzz::writeScratch(path, rom.data(), rom.size())) return 0;
    auto ws = morvi::Workspace::create();
    auto outcome = morvi::openRom(*ws, path, morvi::HeaderChoice::Absent);
    morvi::readBackgrounds(ws->backgrounds, path, ws->rom);
    if (outcome.ok) {
        morvi::CollectingNotifier quiet;
        morvi::saveMonstersToRom(ws->monsters, 0, path, ws->rom, quiet);
        morvi::savePortraits(ws->portraits, path, ws->rom, quiet);
        morvi::saveCharacterSprites(ws->characters, path, ws->rom, quiet);
    }
    return 0;
}

#pragma once
// The demo cartridge: a complete ROM image with the game's layout whose every table holds our
// own placeholder art, so the editor can be tried (and tested end to end) without a game ROM.
#include "rom/rom_image.h"

namespace morvi {

constexpr std::uint32_t kDemoRomSize = 0x300000;

// Deterministic: the same bytes on every run and every machine.
RomImage buildDemoRom();

} // namespace morvi

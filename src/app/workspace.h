#pragma once
// Everything one editing session holds: the ROM state, the data families read from the ROM,
// the backgrounds with their backdrops, and the settings. The editor makes one and hands it to
// its pages; tests and the command-line tool make their own. Large: keep it on the heap.
#include <cstdint>
#include <memory>
#include <vector>

#include "app/settings.h"
#include "rom/file_io.h"
#include "rom/notifier.h"
#include "rom/rom_state.h"
#include "rom/task_threads.h"
#include "backgrounds/battle_backgrounds.h"
#include "characters/characters.h"
#include "monsters/monster_graphics.h"
#include "portraits/portraits.h"

namespace morvi {

struct Workspace {
    RomState rom;
    MonsterGraphics monsters;
    PortraitSet portraits;
    CharacterSet characters;
    BackgroundSet backgrounds;
    Settings settings;
    // The ROM file as it was when last opened or saved: a save compares the disk with it to
    // find changes another program made.
    std::vector<std::uint8_t> romOnDisk;
    // The room the next save reads the file into: the buffer of the file as saved before, kept
    // so that a save does not map 3 MiB of fresh memory each time.
    std::vector<std::uint8_t> saveRoom;
    // Two threads for the work a save does beside reading and writing the file (declared
    // before the tasks that run on them, which must end first).
    TaskThreads helpers{2};
    // The ROM file a save replaced, closed (and its space freed) on a helper after the save.
    RawFile replacedRom;
    TaskThreads::Task releasing;
    CollectingNotifier collected;
    Notifier* notifier = &collected;  // where the core's messages go

    Workspace() = default;
    Workspace(const Workspace&) = delete; // the notifier points into the workspace itself
    Workspace& operator=(const Workspace&) = delete;
    static std::unique_ptr<Workspace> create() { return std::make_unique<Workspace>(); }
};

} // namespace morvi

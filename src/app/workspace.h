#pragma once
// Everything one editing session holds: the ROM state, the data families read from the ROM and
// the backdrops. The editor makes one and hands it to its pages; tests make as many as they like.
#include "app/notifier.h"
#include "app/rom_state.h"

namespace morvi {

struct Workspace {
    RomState rom;
    CollectingNotifier collected;
    Notifier* notifier = &collected;  // where the core's messages go
};

} // namespace morvi

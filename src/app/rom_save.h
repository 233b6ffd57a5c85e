#pragma once
// Saving the changed families as one transaction. The file is read as it is on disk now, every
// changed family's writer puts its bytes into that copy in memory, the families written are read
// back from it (they must load as an open would read them), and only then is it written out
// whole beside the ROM, flushed and renamed over it. When any part fails nothing reaches the file.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/workspace.h"
#include "rom/file_io.h"

namespace morvi {

inline constexpr const char* kMsgChangedOnDisk =
    "The ROM was changed by another program since it was opened. Save anyway and overwrite those changes?";

struct SaveRequest {
    bool monsters = false;
    bool portraits = false;
    bool characters = false;
    int currentEntry = -1; // the monster entry shown, committed before the save
};

struct SaveOutcome {
    bool ok = false;
    bool cancelled = false; // the user chose not to overwrite another program's changes
    bool inPlace = false;   // written in place: no file could be made beside the ROM
    // What failed and why, for the user; empty on success, when cancelled, and when a family
    // writer refused (it told the notifier why).
    std::string error;
};

// Saves the requested families into the ROM at ws.rom.romPath. overwrite is asked when the
// file on disk differs from ws.romOnDisk in bytes this save writes; false saves nothing. On
// success ws.romOnDisk holds the file as written.
SaveOutcome saveRomFamilies(Workspace& ws, const SaveRequest& request, DiskSteps& steps, Notifier& notifier,
                            const std::function<bool()>& overwrite);

// Writes the ROM as a save of these families would write it now, through the same writers and
// checks, to another file (made or replaced whole), and changes nothing else: not the ROM at
// ws.rom.romPath, not ws.romOnDisk (the outside-edit check keeps its baseline), not the families
// in memory (the writers work on copies of them). For trying the work in an emulator.
SaveOutcome saveRomCopy(const Workspace& ws, const SaveRequest& request, const std::string& target, Notifier& notifier);

} // namespace morvi

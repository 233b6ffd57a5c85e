#pragma once
// Saving the changed families as one transaction. The file is read as it is on disk now, every
// changed family's writer puts its bytes into that copy in memory, the families written are read
// back from it (they must load as an open would read them), and only then is it written out
// whole beside the ROM, flushed and renamed over it. When any part fails nothing reaches the file.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "family/workspace.h"
#include "rom/file_io.h"

namespace morvi {

inline constexpr const char* kMsgChangedOnDisk =
    "The ROM was changed by another program since it was opened. Save anyway and overwrite those changes?";

struct SaveRequest {
    std::set<Family> families; // the families to write, in the registry's order
    // The picture a family's page shows (settled into the family before the save), if any.
    std::map<Family, int> shown;
    void add(Family family) { families.insert(family); }
    bool has(Family family) const { return families.count(family) != 0; }
    int shownPicture(Family family) const {
        const auto it = shown.find(family);
        return it == shown.end() ? -1 : it->second;
    }
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

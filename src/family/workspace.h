#pragma once
// Everything one editing session holds: the ROM state, each family's model read from the ROM
// (one per module of the registry, reached through its module), the backgrounds with their
// backdrops, and the settings. The editor makes one and hands it to its pages; tests and the
// command-line tool make their own. Large: keep it on the heap.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "family/family_module.h"
#include "family/settings.h"
#include "rom/file_io.h"
#include "rom/notifier.h"
#include "rom/rom_state.h"
#include "rom/task_threads.h"
#include "backgrounds/battle_backgrounds.h"

namespace morvi {

struct Workspace {
    RomState rom;
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
    // A workspace holding a model for every family of the registry.
    static std::unique_ptr<Workspace> create();

    // The model of a family; its module knows the type (`monstersOf(ws)` and the like).
    FamilyData& data(Family family) { return *findData(family); }
    const FamilyData& data(Family family) const { return *findData(family); }
    void addFamily(Family family) { m_families.emplace_back(family, family->makeData()); }

private:
    FamilyData* findData(Family family) const {
        for (const auto& [f, d] : m_families)
            if (f == family) return d.get();
        return nullptr;
    }
    std::vector<std::pair<Family, std::unique_ptr<FamilyData>>> m_families;
};

// The model of a family as its own type.
template <class T> T& familyData(Workspace& ws, Family family) { return static_cast<T&>(ws.data(family)); }
template <class T> const T& familyData(const Workspace& ws, Family family) { return static_cast<const T&>(ws.data(family)); }

} // namespace morvi

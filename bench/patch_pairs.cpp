#include "patch_pairs.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "family/workspace.h"
#include "monsters/monster_graphics.h"
#include "monsters/monster_module.h"
#include "rom/rom_buffer.h"

namespace morvi::bench {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes demoRom() { return buildDemoRom().bytes; }

// Loads the families from `original`, lets `edit` change the monsters, and saves them into a copy.
template <typename Edit> Bytes savedMonsters(const Bytes& original, Edit&& edit) {
    auto ws = Workspace::create();
    ws->rom.romHasHeader = false;
    if (!loadRomFamilies(*ws, RomBytes(original, false))) throw std::runtime_error("the demo ROM did not load");
    MonsterGraphics& monsters = monstersOf(*ws);
    const int current = edit(monsters);
    Bytes changed = original;
    RomBuffer buffer(changed, false);
    CollectingNotifier quiet;
    if (!saveMonstersToRom(monsters, current, buffer, quiet)) throw std::runtime_error("the monster save failed");
    return changed;
}

int firstEntry(const MonsterGraphics& mg, bool large, int colors) {
    for (int i = 0; i < kMonsterEntryCount; ++i) {
        const MonsterEntry& e = mg.entries[std::size_t(i)];
        if (bool(e.large) == large && e.colorCount == colors) return i;
    }
    throw std::runtime_error("the demo ROM lacks the monster the pair edits");
}

} // namespace

const std::vector<std::string>& patchPairNames() {
    static const std::vector<std::string> names = {"one_monster", "repack", "palettes", "picture_moved", "reordered"};
    return names;
}

PatchPair makePatchPair(const std::string& name) {
    PatchPair pair{name, demoRom(), {}};
    const Bytes& original = pair.original;
    if (name == "one_monster") {
        // A large monster repainted with a pattern of its own colours.
        pair.modified = savedMonsters(original, [](MonsterGraphics& mg) {
            const int i = firstEntry(mg, true, 16);
            MonsterEntry& entry = mg.entries[std::size_t(i)];
            std::vector<PixelWrite> writes;
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x)
                    if (entryPixel(entry, x, y)) writes.push_back({x, y, std::uint8_t(1 + (x / 5 + y / 3) % 15)});
            setEntryPixels(mg, entry, writes);
            return i;
        });
    } else if (name == "repack") {
        // The first 8-colour monster becomes 16-colour: every picture stored behind it moves.
        pair.modified = savedMonsters(original, [](MonsterGraphics& mg) {
            const int i = firstEntry(mg, false, 8);
            setEntryDepth(mg, mg.entries[std::size_t(i)], 16);
            return i;
        });
    } else if (name == "palettes") {
        // One colour of every fifth palette made redder: small changes all over the table.
        pair.modified = savedMonsters(original, [](MonsterGraphics& mg) {
            for (int k = 3; k < kMonsterPaletteColors; k += 40) {
                PaletteColor& c = mg.palettes[std::size_t(k)];
                c.red = std::uint8_t(std::min(248, c.red + 64));
            }
            return 0;
        });
    } else if (name == "picture_moved") {
        // 8 KiB of monster graphics moved three bytes on, by a tool that edits the bytes.
        pair.modified = original;
        const std::size_t from = kMonsterGraphicsOffset + 0x4000, size = 0x2000;
        std::copy(original.begin() + std::ptrdiff_t(from), original.begin() + std::ptrdiff_t(from + size),
                  pair.modified.begin() + std::ptrdiff_t(from + 3));
    } else if (name == "reordered") {
        // The whole monster graphics region cut into pieces of whole tiles and put back in
        // another order, as a repacker that sorts the pictures differently would.
        pair.modified = original;
        const std::size_t start = kMonsterGraphicsOffset, end = start + kGraphicsRegionRead;
        std::mt19937 rng(41);
        std::vector<std::pair<std::size_t, std::size_t>> pieces;
        for (std::size_t at = start; at < end;) {
            const std::size_t size = std::min<std::size_t>(32 * (2 + rng() % 60), end - at);
            pieces.emplace_back(at, size);
            at += size;
        }
        std::shuffle(pieces.begin(), pieces.end(), rng);
        std::size_t to = start;
        for (auto [at, size] : pieces) {
            std::copy_n(original.begin() + std::ptrdiff_t(at), size, pair.modified.begin() + std::ptrdiff_t(to));
            to += size;
        }
    } else {
        throw std::runtime_error("no patch pair is called " + name);
    }
    if (pair.modified == pair.original) throw std::runtime_error("the pair " + name + " changed nothing");
    return pair;
}

} // namespace morvi::bench

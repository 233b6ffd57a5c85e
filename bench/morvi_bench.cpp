// What users wait for: opening a ROM, the backgrounds, a repaint per mouse move, a painted pixel
// and a save, each next to the floor of reading the file at all. Run on the demo ROM.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "rom/rom_file.h"
#include "app/families.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "fieldsprites/field_sprite_module.h"
#include "patch_bench.h"
#include "rom/rom_buffer.h"
#include "family/workspace.h"
#include "backgrounds/battle_backgrounds.h"
#include "demo/demo_rom.h"
#include "image/canvas.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"

namespace {

using namespace morvi;

// The demo ROM (headerless) in the temporary folder, made once.
const std::string& demoPath() {
    static const std::string path = [] {
        auto p = (std::filesystem::temp_directory_path() / "morvi-bench-demo.smc").string();
        buildDemoRom().writeFile(p, false);
        return p;
    }();
    return path;
}

const std::string& scratchCopy() {
    static const std::string path = [] {
        auto p = (std::filesystem::temp_directory_path() / "morvi-bench-copy.smc").string();
        std::filesystem::copy_file(demoPath(), p, std::filesystem::copy_options::overwrite_existing);
        return p;
    }();
    return path;
}

RomState headerless() {
    RomState s;
    s.romHasHeader = false;
    return s;
}

void read_file(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        readWholeFile(demoPath(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void open_rom(benchmark::State& state) {
    auto ws = Workspace::create();
    ws->rom = headerless();
    // Every family of the registry, as an open reads them: the file once, then each family.
    for (auto _ : state)
        if (!loadRomFamilies(*ws, demoPath(), false) || fieldSpritesOf(*ws).sheet(164).tiles.empty())
            state.SkipWithError("the demo ROM did not load");
}

void read_backgrounds(benchmark::State& state) {
    auto set = std::make_unique<BackgroundSet>();
    for (auto _ : state) {
        readBackgrounds(*set, demoPath(), headerless());
        buildBackgroundPreviews(*set);
        buildBackdrop(*set, 10);
    }
}

// A large 16-colour monster of the demo, for the drawing benchmarks.
int largeSixteen(const MonsterGraphics& mg) {
    for (int i = 0; i < kMonsterEntryCount; ++i)
        if (mg.entries[std::size_t(i)].large && mg.entries[std::size_t(i)].colorCount == 16) return i;
    return 0;
}

void repaint_canvas(benchmark::State& state) {
    auto ws = Workspace::create();
    ws->rom = headerless();
    loadMonsterGraphics(monstersOf(*ws), demoPath(), ws->rom);
    loadBackgrounds(ws->backgrounds, demoPath(), ws->rom, 10);
    const IndexedImage& image = monstersOf(*ws).entries[std::size_t(largeSixteen(monstersOf(*ws)))].image;
    Surface canvas(kCanvasSide, kCanvasSide);
    for (auto _ : state) {
        drawMagnified(image, 4, canvas, 16, 16, &ws->backgrounds.largeBackdrop, kCanvasSide, kCanvasSide);
        drawCanvasGrid(canvas, GridMode::Pixel, 2, 4, 128, 128, 16, 16, GridClip::SquareExtent);
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
}

void paint_pixel(benchmark::State& state) {
    auto ws = Workspace::create();
    ws->rom = headerless();
    loadMonsterGraphics(monstersOf(*ws), demoPath(), ws->rom);
    MonsterEntry& entry = monstersOf(*ws).entries[std::size_t(largeSixteen(monstersOf(*ws)))];
    int n = 0;
    for (auto _ : state) {
        setEntryPixel(monstersOf(*ws), entry, 40 + n % 40, 40 + (n / 40) % 40, std::uint8_t(1 + n % 15));
        commitEntry(monstersOf(*ws), entry);
        ++n;
    }
}

// The monster save itself: prune, repack, write into the file in memory and read back from it
// (the disk's part is replace_file's).
void save_monsters(benchmark::State& state) {
    std::vector<std::uint8_t> file;
    readWholeFile(demoPath(), file);
    auto ws = Workspace::create();
    ws->rom = headerless();
    loadMonsterGraphics(monstersOf(*ws), RomBytes(file, false));
    CollectingNotifier quiet;
    for (auto _ : state) {
        RomBuffer buffer(file, false);
        if (!saveMonstersToRom(monstersOf(*ws), 0, buffer, quiet)) state.SkipWithError("save failed");
    }
}

// The editor's save of all three families: read the disk, write into the copy, check it,
// write the new file beside the ROM, flush it to the disk and rename it over the ROM.
void save_all(benchmark::State& state) {
    auto ws = Workspace::create();
    if (!openRom(*ws, scratchCopy(), HeaderChoice::Absent).ok) state.SkipWithError("open failed");
    CollectingNotifier quiet;
    DiskSteps plain;
    SaveRequest all;
    for (morvi::Family f : morvi::families()) all.add(f);
    for (auto _ : state)
        if (!saveRomFamilies(*ws, all, plain, quiet, [] { return true; }).ok) state.SkipWithError("save failed");
}

// What the flush costs: the same 3 MiB put in place with the flush (replace_file) and written
// plainly without it (write_file).
void replace_file(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    readWholeFile(scratchCopy(), bytes);
    for (auto _ : state)
        if (!replaceFileContents(scratchCopy(), bytes, bytes).ok) state.SkipWithError("replace failed");
}

void write_file(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    readWholeFile(scratchCopy(), bytes);
    for (auto _ : state)
        if (!writeWholeFile(scratchCopy(), bytes)) state.SkipWithError("write failed");
}

} // namespace

BENCHMARK(read_file)->Unit(benchmark::kMillisecond);
BENCHMARK(open_rom)->Unit(benchmark::kMillisecond);
BENCHMARK(read_backgrounds)->Unit(benchmark::kMillisecond);
BENCHMARK(repaint_canvas)->Unit(benchmark::kMillisecond);
BENCHMARK(paint_pixel)->Unit(benchmark::kMillisecond);
BENCHMARK(save_monsters)->Unit(benchmark::kMillisecond);
BENCHMARK(save_all)->Unit(benchmark::kMillisecond);
BENCHMARK(replace_file)->Unit(benchmark::kMillisecond);
BENCHMARK(write_file)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    morvi::bench::registerPatchBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

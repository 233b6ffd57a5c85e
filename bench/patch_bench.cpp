#include "patch_bench.h"

#include <benchmark/benchmark.h>

#include <exception>

#include "patch_pairs.h"
#include "rom/patch.h"

namespace morvi::bench {

void registerPatchBenchmarks() {
    for (const std::string& name : patchPairNames()) {
        for (const bool bps : {true, false}) {
            benchmark::RegisterBenchmark((std::string(bps ? "bps_" : "ips_") + name).c_str(), [name, bps](benchmark::State& state) {
                PatchPair pair;
                try {
                    pair = makePatchPair(name);
                } catch (const std::exception& e) {
                    state.SkipWithError(e.what());
                    return;
                }
                std::size_t size = 0;
                std::string error;
                for (auto _ : state) {
                    if (bps) {
                        size = makeBpsPatch(pair.original, pair.modified).size();
                    } else if (const auto ips = makeIpsPatch(pair.original, pair.modified, error)) {
                        size = ips->size();
                    } else {
                        state.SkipWithError(error.c_str());
                        break;
                    }
                }
                state.counters["patch_bytes"] = double(size);
            })->Unit(benchmark::kMillisecond);
        }
    }
}

} // namespace morvi::bench

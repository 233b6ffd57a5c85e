#pragma once
// The patch benchmarks: bps_<pair> and ips_<pair> for each of the patch pairs, with the size
// of the patch made as the counter patch_bytes beside the time.
namespace morvi::bench {
void registerPatchBenchmarks();
}

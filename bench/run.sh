#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs each several times and prints its median time
# and its ratio to reading the ROM file.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install "${MORVI_BUILD_PACKAGES[@]}"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMORVI_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target morvi_bench editor_bench
report() {
csv="$(mktemp)"
"$@" --benchmark_repetitions="${REPETITIONS:-7}" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv > "$csv" 2>/dev/null
awk -F, '
  /_median"?,/ {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
    t = $3 + 0; unit = $5; gsub(/"/, "", unit)
    if (unit == "ns") t = t / 1e6; else if (unit == "us") t = t / 1e3; else if (unit == "s") t = t * 1e3
    names[++n] = name; ms[name] = t
  }
  END {
    base = ms["read_file"]
    printf "%-18s %12s %10s\n", "benchmark", "median", "x read"
    for (i = 1; i <= n; ++i)
      printf "%-18s %9.3f ms %10.2f\n", names[i], ms[names[i]], (base > 0 ? ms[names[i]] / base : 0)
  }' "$csv"
rm -f "$csv"
}
echo "core:"
report ./build-bench/bench/morvi_bench
echo "editor (offscreen, real widgets):"
QT_QPA_PLATFORM=offscreen report ./build-bench/bench/editor_bench --benchmark_filter='-history'
QT_QPA_PLATFORM=offscreen ./build-bench/bench/editor_bench --benchmark_filter=history 2>/dev/null | grep history

#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs each several times and prints its median time,
# its ratio to reading the ROM file and its budget. Exits non-zero when a benchmark reports an
# error (one that measured nothing says so and fails) or a median is over its budget.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install "${MORVI_BUILD_PACKAGES[@]}" python3
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMORVI_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target morvi_bench editor_bench
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
# JSON rather than CSV: the CSV reporter stops the program when a later benchmark brings a
# counter the first one did not have.
run() {
  local name="$1"; shift
  "$@" --benchmark_repetitions="${REPETITIONS:-7}" --benchmark_report_aggregates_only=true \
      --benchmark_format=json > "$out/$name.json" 2> "$out/$name.err" || { cat "$out/$name.err"; echo "$name stopped"; exit 1; }
}
run core ./build-bench/bench/morvi_bench
QT_QPA_PLATFORM=offscreen run editor ./build-bench/bench/editor_bench --benchmark_filter='-history'
QT_QPA_PLATFORM=offscreen ./build-bench/bench/editor_bench --benchmark_filter=history --benchmark_format=json \
    > "$out/history.json" 2> "$out/history.err" || { cat "$out/history.err"; echo "history stopped"; exit 1; }
python3 bench/report.py bench/budgets.txt "$out/core.json" "$out/editor.json" "$out/history.json"

#!/usr/bin/env bash
# Sets up, builds and starts morvi, the editor, on the demo ROM (out/demo.smc, made when missing).
# Extra arguments go to the editor instead of the demo ROM: ./run.sh path/to/game.smc
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
morvi_install "${MORVI_BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DMORVI_TESTS=OFF -DMORVI_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target morvi morvi-cli
mkdir -p out
[ -f out/demo.smc ] || ./build-release/src/morvi-cli demo out/demo.smc
if [ "$#" -gt 0 ]; then
  exec ./build-release/src/ui/morvi "$@"
fi
exec ./build-release/src/ui/morvi out/demo.smc

#!/usr/bin/env bash
# Draws every page of the editor on the demo ROM into docs/ (offscreen: no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install "${MORVI_BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DMORVI_TESTS=OFF -DMORVI_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target morvi morvi-cli
mkdir -p out docs
[ -f out/demo.smc ] || ./build-release/src/morvi-cli demo out/demo.smc
QT_QPA_PLATFORM=offscreen ./build-release/src/ui/morvi --screenshots docs out/demo.smc
# The demo's Terra as the community's full sheet.
./build-release/src/morvi-cli picture export out/demo.smc character:0 docs/full-sheet.png --full
# ... and walking down, as an animated GIF.
./build-release/src/morvi-cli animation out/demo.smc character:0 walk-down docs/walk-down.gif --scale 4
ls docs/*.png

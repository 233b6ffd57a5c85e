#!/usr/bin/env bash
# Sets up, builds and runs morvi's main job: builds the demo ROM and exports every picture in it.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
morvi_install "${MORVI_BUILD_PACKAGES[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DMORVI_TESTS=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target morvi-cli
mkdir -p out
./build-release/src/morvi-cli demo out/demo.smc
./build-release/src/morvi-cli info out/demo.smc
rm -rf out/demo-export
./build-release/src/morvi-cli export out/demo.smc out/demo-export
echo "demo ROM: out/demo.smc; its pictures: out/demo-export/"

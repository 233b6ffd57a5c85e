#!/usr/bin/env bash
# Sets up, builds and runs every test: the CTest suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short smoke run of each fuzz harness (with clang), then the
# Windows check (the core, morvi-cli, the editor and every test program cross-compiled and run
# under Wine, and morvi.exe used in a real X server).
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
# ImageMagick reads the animated GIFs back in their test, as another program would.
morvi_install "${MORVI_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev imagemagick
jobs="$(nproc)"

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMORVI_SANITIZE=ON >/dev/null
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs")

# Installing puts both programs, the desktop entry and the icon in place; the installed
# command-line tool runs.
prefix="$(mktemp -d)"
cmake --install build-test --prefix "$prefix" >/dev/null
for f in bin/morvi bin/morvi-cli share/applications/morvi.desktop share/icons/hicolor/128x128/apps/morvi.png; do
  [ -f "$prefix/$f" ] || { echo "install is missing $f"; exit 1; }
done
"$prefix/bin/morvi-cli" --help >/dev/null
echo "install: morvi, morvi-cli, desktop entry and icon in place; the installed morvi-cli runs"
rm -rf "$prefix"

if [ -d fuzz ] && [ -f fuzz/CMakeLists.txt ] && command -v clang++ >/dev/null; then
  CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVI_FUZZ=ON \
      -DMORVI_TESTS=OFF -DMORVI_BENCH=OFF -DMORVI_EDITOR=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs"
  ./fuzz/smoke.sh build-fuzz/fuzz
fi

# Run in Emulator once with a real emulator from Debian (sound off), under Xvfb.
morvi_install mednafen xvfb xauth
xvfb-run -a env MORVI_REAL_EMULATOR=/usr/games/mednafen QT_QPA_PLATFORM=offscreen HOME="$(mktemp -d)" \
    LSAN_OPTIONS="suppressions=$(pwd)/src/ui/tests/lsan.supp:print_suppressions=0" \
    ./build-test/src/ui/ui_tests --gtest_filter='RunInEmulator.ARealEmulator*'

# Windows: the core, morvi-cli and the editor cross-compiled (the editor against a static Qt built
# once into ~/.cache), every test program under Wine, and morvi.exe driven in a real X server.
# Run with no locale at all, as a fresh container starts: the check must set its own.
env -u LANG -u LC_ALL -u LC_CTYPE -u LANGUAGE ./scripts/windows_check.sh --editor

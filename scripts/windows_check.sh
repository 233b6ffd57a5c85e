#!/usr/bin/env bash
# The Windows check: cross-compiles the core, morvi-cli and the core's test programs for 64-bit
# Windows with Debian's MinGW-w64, and runs every test program and a round trip of morvi-cli's
# commands on non-ASCII file names under Wine. With --editor it builds the editor too, against a
# static Qt of its own (scripts/windows_qt.sh), runs the editor's tests under Wine offscreen, and
# drives morvi.exe in a real X server (scripts/windows_editor_run.sh). libpng, giflib and
# libdivsufsort are built from Debian's own
# source packages (fetched with an apt configuration of this script's own; the machine's sources
# are not touched),
# zlib comes from libz-mingw-w64-dev and GoogleTest from libgtest-dev's sources. What it builds of
# those is kept in ~/.cache/morvi-windows between runs.
set -euo pipefail
# Wine turns file names into the locale's encoding: without a UTF-8 locale (a fresh container sets
# none) names such as "Jörg/ロム" cannot be made. C.UTF-8 is on every Debian system, whatever
# the caller has or lacks.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
cd "$(dirname "$0")/.."
editor=0 build_only=0
for arg in "$@"; do
  case "$arg" in
    --editor) editor=1 ;;
    --build-only) build_only=1 ;;  # scripts/windows_zip.sh: build, run nothing
    *) echo "usage: $0 [--editor] [--build-only]" >&2; exit 2 ;;
  esac
done
. ./scripts_common.sh
morvi_install cmake make g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 dpkg-dev libgtest-dev fonts-dejavu-core
here="$(pwd)"
cache="${MORVI_WINDOWS_CACHE:-$HOME/.cache/morvi-windows}"
prefix="$cache/prefix"
toolchain="$here/scripts/mingw-toolchain.cmake"
mingw=/usr/x86_64-w64-mingw32
export WINEDEBUG=-all WINEPREFIX="$cache/wine"
wine=$(command -v wine64 || command -v wine)
mkdir -p "$cache"

# An apt of this script's own, for Debian's source packages.
apt="$cache/apt"
apt_source() {
  if [ ! -f "$apt/sources.list" ]; then
    rm -rf "$apt" && mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/src"
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src http://deb.debian.org/debian $codename main" > "$apt/sources.list"
    apt-get "${opts[@]}" update -qq
  fi
  (cd "$apt/src" && apt-get "${opts[@]}" source -qq "$1" >/dev/null 2>&1)
}
opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
if [ ! -f "$prefix/lib/libpng16.a" ]; then
  echo "windows: building libpng from Debian's source package"
  apt_source libpng1.6
  src=$(find "$apt/src" -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
  cmake -S "$src" -B "$cache/build-png" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$mingw/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw/include" >/dev/null
  cmake --build "$cache/build-png" -j"$(nproc)" >/dev/null
  cmake --install "$cache/build-png" >/dev/null
fi
if [ ! -f "$prefix/lib/libgif.a" ]; then
  # giflib's library is a handful of C files with no configuration: compiled here directly.
  echo "windows: building giflib from Debian's source package"
  apt_source giflib
  src=$(find "$apt/src" -maxdepth 1 -type d -name 'giflib-*' | head -n 1)
  rm -rf "$cache/build-gif" && mkdir -p "$cache/build-gif" "$prefix/lib" "$prefix/include"
  for c in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    x86_64-w64-mingw32-gcc-posix -O2 -c "$src/$c.c" -I"$src" -o "$cache/build-gif/$c.o"
  done
  x86_64-w64-mingw32-ar rcs "$prefix/lib/libgif.a" "$cache/build-gif"/*.o
  cp "$src/gif_lib.h" "$prefix/include/"
fi
if [ ! -f "$prefix/lib/libdivsufsort.a" ]; then
  echo "windows: building libdivsufsort from Debian's source package"
  apt_source libdivsufsort
  src=$(find "$apt/src" -maxdepth 1 -type d -name 'libdivsufsort-*' | head -n 1)
  cmake -S "$src" -B "$cache/build-divsufsort" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DIVSUFSORT64=OFF \
        -DUSE_OPENMP=OFF >/dev/null
  cmake --build "$cache/build-divsufsort" -j"$(nproc)" >/dev/null
  cmake --install "$cache/build-divsufsort" >/dev/null
fi
if [ ! -f "$prefix/lib/libgtest.a" ]; then
  echo "windows: building GoogleTest from libgtest-dev's sources"
  cmake -S /usr/src/googletest -B "$cache/build-gtest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$cache/build-gtest" -j"$(nproc)" >/dev/null
  cmake --install "$cache/build-gtest" >/dev/null
fi

editor_args=(-DMORVI_EDITOR=OFF)
if [ "$editor" = 1 ]; then
  qt=$(./scripts/windows_qt.sh | tail -n 1)
  editor_args=(-DMORVI_EDITOR=ON -DQt6_DIR="$qt/lib/cmake/Qt6" -DMORVI_EXTRA_FIND_ROOTS="$qt"
               -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  find_root="$qt;$prefix;$mingw"
  # A build configured against another Qt keeps that Qt's package folders in its cache: start
  # that configuration afresh (the compiled objects stay, and ccache has the rest).
  if [ -f build-windows/CMakeCache.txt ] && ! grep -q "^Qt6_DIR:PATH=$qt/" build-windows/CMakeCache.txt; then
    rm -rf build-windows/CMakeCache.txt build-windows/CMakeFiles
  fi
  echo "windows: building the core, morvi-cli, the editor and every test program"
else
  find_root="$prefix;$mingw"
  echo "windows: building the core, morvi-cli and the core's tests"
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$find_root" "${launcher[@]}" \
      -DPNG_LIBRARY="$prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$prefix/include" \
      -DGIF_LIBRARY="$prefix/lib/libgif.a" -DGIF_INCLUDE_DIR="$prefix/include" \
      -DDIVSUFSORT_LIBRARY="$prefix/lib/libdivsufsort.a" -DDIVSUFSORT_INCLUDE_DIR="$prefix/include" \
      -DZLIB_LIBRARY="$mingw/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw/include" \
      -DGTest_DIR="$prefix/lib/cmake/GTest" -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DMORVI_PATH_PREFIX="Z:" \
      "${editor_args[@]}" -DMORVI_BENCH=OFF -DMORVI_TESTS=ON >/dev/null
cmake --build build-windows -j"$(nproc)"
[ "$build_only" = 1 ] && exit 0

# A new Wine prefix sets itself up in the background on its first use; a test program started
# meanwhile can fail to start the programs it runs (cmd.exe answers 9009). Set it up first.
"$wine" wineboot --init >/dev/null 2>&1 || true
wineserver -w || true

echo "windows: every test program under Wine"
# The editor's tests run offscreen (their CTest entry says so); nothing here needs a display.
# On Windows the offscreen platform reads its fonts from a folder: DejaVu, as on Linux.
export QT_QPA_FONTDIR="Z:/usr/share/fonts/truetype/dejavu"
(cd build-windows && ctest --output-on-failure)

echo "windows: morvi-cli on non-ASCII file names under Wine"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli() { "$wine" build-windows/src/morvi-cli.exe "$@"; }
name="dém○"
cli demo "Z:$work/$name.smc"
cli export "Z:$work/$name.smc" "Z:$work/out ○"
cli palette export "Z:$work/$name.smc" portrait:0 "Z:$work/pal ○.gpl"
cli palette import "Z:$work/$name.smc" portrait:1 "Z:$work/pal ○.gpl"
cp "$work/$name.smc" "$work/orig ○.smc"
cli import "Z:$work/$name.smc" "Z:$work/out ○"
cli info "Z:$work/$name.smc" >/dev/null
png=$(find "$work/out ○" -name '*.png' -print -quit)
cp "$png" "$work/pictüre ○.png"
inspected=$(cli inspect "Z:$work/pictüre ○.png" | tr -d '\r')
[ "${inspected%%$'\n'*}" = "result 0" ] || { echo "windows: morvi-cli inspect did not read the picture"; exit 1; }
cli patch "Z:$work/orig ○.smc" "Z:$work/$name.smc" "Z:$work/p ○.bps"
cli picture export "Z:$work/$name.smc" character:3 "Z:$work/spr ○.bin"
cli picture import "Z:$work/$name.smc" character:4 "Z:$work/spr ○.bin"
cli animation "Z:$work/$name.smc" character:3 walk-down "Z:$work/wälk ○.gif" --scale 2
for f in "$name.smc" "pal ○.gpl" "p ○.bps" "spr ○.bin" "spr ○.pal" "wälk ○.gif"; do
  [ -s "$work/$f" ] || { echo "windows: morvi-cli did not write $f"; exit 1; }
done
[ -n "$(ls "$work/out ○")" ] || { echo "windows: morvi-cli exported nothing"; exit 1; }
echo "windows: morvi-cli round trip on non-ASCII names: demo, export, palette export and import, import, info, inspect, patch, picture export and import, animation"

if [ "$editor" = 1 ]; then
  ./scripts/windows_editor_run.sh build-windows/src/ui/morvi.exe
fi

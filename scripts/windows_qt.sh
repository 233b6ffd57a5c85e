#!/usr/bin/env bash
# Builds the static Qt 6 that the Windows editor links: Debian's own qt6-base source (fetched with
# an apt configuration of windows_check.sh's kind; the machine's sources are not touched),
# cross-compiled with MinGW-w64 against the host tools of qt6-base-dev, with only what morvi uses:
# Core, Gui, Widgets and Test, the Windows, offscreen and minimal platform plugins, and the
# bundled zlib, libpng, FreeType, HarfBuzz and PCRE2. It is installed once into
# ~/.cache/morvi-windows/qt-<version>-<hash of the options> and reused until the version or the
# options change. Prints the install prefix on its last line.
#
# The build is long (about half an hour on two cores) and runs at the lowest priority, so that
# it only takes what other work on the machine leaves idle; its log is kept beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install cmake ninja-build g++-mingw-w64-x86-64-posix dpkg-dev qt6-base-dev >&2
here="$(pwd)"
cache="${MORVI_WINDOWS_CACHE:-$HOME/.cache/morvi-windows}"
toolchain="$here/scripts/mingw-toolchain.cmake"
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
version="${host_version%%+*}"
mkdir -p "$cache"

# Everything morvi does not use is left out; what is left is what the editor and its tests link.
# DirectWrite goes with Direct2D: Qt 6.4's Gui builds its DirectWrite font database only with
# Direct2D, while the Windows platform plugin names it whenever directwrite3 is on (a link error).
options=(
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_desktop=OFF
  -DFEATURE_opengl_dynamic=OFF -DFEATURE_opengles2=OFF -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
  -DFEATURE_direct2d=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF -DFEATURE_textodfwriter=OFF
  -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_style_windowsvista=ON
)
key=$(printf '%s\n' "$version" "${options[@]}" "$(cat "$toolchain")" | sha256sum | cut -c1-12)
prefix="$cache/qt-$version-$key"
if [ -f "$prefix/.complete" ]; then
  echo "windows: static Qt $version already built in $prefix" >&2
  echo "$prefix"
  exit 0
fi

apt="$cache/apt"
opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
src=$(find "$apt/src" -maxdepth 1 -type d -name "qt6-base-$version*" 2>/dev/null | head -n 1 || true)
if [ -z "$src" ]; then
  echo "windows: fetching Debian's qt6-base source ($version)" >&2
  if [ ! -f "$apt/sources.list" ]; then
    rm -rf "$apt" && mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/src"
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src http://deb.debian.org/debian $codename main" > "$apt/sources.list"
  fi
  mkdir -p "$apt/src"
  apt-get "${opts[@]}" update -qq
  (cd "$apt/src" && apt-get "${opts[@]}" source -qq "qt6-base=$host_version" >/dev/null 2>&1)
  src=$(find "$apt/src" -maxdepth 1 -type d -name "qt6-base-$version*" | head -n 1)
  [ -n "$src" ] || { echo "windows: could not fetch qt6-base's source" >&2; exit 1; }
fi

build="$cache/build-qt-$key"
# One build at a time: a second run waits for the first and then finds its Qt.
exec 9>"$build.lock"
if ! flock -n 9; then
  echo "windows: another run is building this Qt; waiting for it" >&2
  flock 9
fi
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi
log="$cache/build-qt-$key.log"
echo "windows: building a static Qt $version for MinGW-w64 (log: $log)" >&2
start=$(date +%s)
{
  [ -f "$build/build.ninja" ] ||
    nice -n 19 cmake -G Ninja -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}"
  nice -n 19 cmake --build "$build" -j"$(nproc)"
  cmake --install "$build"
} >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "windows: the Qt build failed (log: $log)" >&2; exit 1; }
touch "$prefix/.complete"
rm -rf "$build" "$build.lock"
echo "windows: static Qt built in $(( ($(date +%s) - start) / 60 )) minutes" >&2
echo "$prefix"

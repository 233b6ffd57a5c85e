#!/usr/bin/env bash
# Builds out/morvi-windows-x64.zip: morvi.exe and morvi-cli.exe for 64-bit Windows (statically
# linked: no DLLs beside them), the README, and the licence texts of everything linked into them.
# Builds the static Qt first when ~/.cache has none (about half an hour on two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install zip binutils-mingw-w64-x86-64
./scripts/windows_check.sh --editor --build-only
cache="${MORVI_WINDOWS_CACHE:-$HOME/.cache/morvi-windows}"
apt="$cache/apt/src"
qtsrc=$(find "$apt" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
pngsrc=$(find "$apt" -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
gifsrc=$(find "$apt" -maxdepth 1 -type d -name 'giflib-*' | head -n 1)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/morvi-windows-x64"
mkdir -p "$dir/licences"
cp build-windows/src/ui/morvi.exe build-windows/src/morvi-cli.exe "$dir/"
x86_64-w64-mingw32-strip "$dir/morvi.exe" "$dir/morvi-cli.exe"
# Only the system's own DLLs may be named: nothing of Qt, GCC's runtime or MinGW's to ship.
for exe in "$dir"/*.exe; do
  extra=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
          grep -viE '^(kernel32|shcore|user32|gdi32|shell32|ole32|oleaut32|advapi32|comdlg32|ws2_32|winmm|imm32|uxtheme|dwmapi|version|netapi32|userenv|shlwapi|uuid|winspool|setupapi|wtsapi32|dwrite|d3d11|d3d9|dxgi|authz|rpcrt4|msvcrt|bcrypt|mpr|comctl32|crypt32|secur32|api-ms-win-[a-z0-9-]*)\.dll$' || true)
  [ -z "$extra" ] || { echo "zip: $(basename "$exe") needs DLLs that are not Windows' own: $extra" >&2; exit 1; }
done
cp README.md "$dir/README.md"
cp "$qtsrc/LICENSES/LGPL-3.0-only.txt" "$dir/licences/Qt-LGPL-3.0.txt"
cp "$qtsrc/LICENSES/GPL-3.0-only.txt" "$dir/licences/Qt-GPL-3.0.txt"
cp "$qtsrc/src/3rdparty/freetype/LICENSE.txt" "$dir/licences/FreeType.txt"
cp "$qtsrc/src/3rdparty/freetype/docs/FTL.TXT" "$dir/licences/FreeType-FTL.txt"
cp "$qtsrc/src/3rdparty/harfbuzz-ng/COPYING" "$dir/licences/HarfBuzz.txt"
cp "$qtsrc/src/3rdparty/pcre2/LICENCE" "$dir/licences/PCRE2.txt"
cp "$qtsrc/src/3rdparty/libpng/LICENSE" "$dir/licences/libpng-in-Qt.txt"
cp "$qtsrc/src/3rdparty/zlib/LICENSE" "$dir/licences/zlib-in-Qt.txt"
cp "$pngsrc/LICENSE" "$dir/licences/libpng.txt"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$dir/licences/zlib.txt"
cp "$gifsrc/COPYING" "$dir/licences/giflib.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$dir/licences/MinGW-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$dir/licences/GCC-runtime.txt"
cat > "$dir/licences/README.txt" <<'EOF'
morvi.exe links Qt 6 (Core, Gui, Widgets; LGPL 3, text in Qt-LGPL-3.0.txt, which builds on
Qt-GPL-3.0.txt) statically, with Qt's bundled FreeType, HarfBuzz, PCRE2, libpng and zlib; both
programs link libpng, zlib and giflib, and the runtime of GCC (under the GCC Runtime Library
Exception) and of MinGW-w64. Qt's source, and the way this build was made from it, are in
morvi's repository (scripts/windows_qt.sh); to relink morvi.exe against a Qt of your own, build
morvi from its source as its README says.
EOF
mkdir -p out
rm -f out/morvi-windows-x64.zip
(cd "$stage" && zip -qr9 - morvi-windows-x64) > out/morvi-windows-x64.zip
ls -l out/morvi-windows-x64.zip
unzip -l out/morvi-windows-x64.zip

#!/usr/bin/env bash
# A short run of every fuzz harness (a few seconds each), seeded with the third-party samples.
set -euo pipefail
bin="${1:?folder of the fuzz programs}"
seconds="${FUZZ_SECONDS:-4}"
here="$(cd "$(dirname "$0")/.." && pwd)"
data="$here/../shared/testdata"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
seed() { mkdir -p "$work/$1"; shift; for f in "$@"; do [ -f "$f" ] && cp "$f" "$work/${f##*/}.seed" 2>/dev/null; done; true; }
run() {
  local name="$1"; shift
  mkdir -p "$work/$name"
  for f in "$@"; do [ -f "$f" ] && cp "$f" "$work/$name/" ; done
  echo "fuzz $name: ${seconds}s"
  "$bin/fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=0 "$work/$name" \
      > "$work/$name.log" 2>&1 || { tail -n 40 "$work/$name.log"; echo "fuzz $name found a fault"; exit 1; }
}
shopt -s nullglob
run bmp "$data"/bmpsuite/g/*.bmp
run pcx "$data"/pcx/*.pcx
run png "$data"/pngsuite/*.png
run image_dispatch
run block
run backgrounds
run rom
"$bin/fuzz_rom_balance"
"$here/fuzz/palette_seeds.sh" "$work/palette"
run palette
# Sprite pairs of both sizes, with and without a palette file, as seeds.
mkdir -p "$work/tiles"
{ printf '\003\040'; head -c $((32 + 5792)) /dev/zero; } > "$work/tiles/long-with-palette"
{ printf '\025\377'; head -c 5472 /dev/zero; } > "$work/tiles/short-alone"
run tiles
run fieldsprites
echo "fuzz smoke runs: no findings"

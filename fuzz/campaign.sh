#!/usr/bin/env bash
# A fuzzing campaign: every harness for MINUTES minutes (two at a time on this 2-core machine),
# with a corpus kept in fuzz/corpus/ between campaigns. Prints each harness's inputs per second,
# coverage and findings, and exits non-zero when any harness found a fault (its crash files are
# left in fuzz/findings/).
#   fuzz/campaign.sh 10            # ten minutes each
#   JOBS=1 fuzz/campaign.sh 2      # one harness at a time
set -uo pipefail
minutes="${1:?minutes per harness}"
here="$(cd "$(dirname "$0")/.." && pwd)"
bin="$here/build-fuzz/fuzz"
if [ ! -x "$bin/fuzz_rom" ]; then
  CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVI_FUZZ=ON \
      -DMORVI_TESTS=OFF -DMORVI_BENCH=OFF -DMORVI_EDITOR=OFF >/dev/null || exit 1
  cmake --build "$here/build-fuzz" -j"$(nproc)" >/dev/null || exit 1
fi
data="$here/../shared/testdata"
logs="$(mktemp -d)"
mkdir -p "$here/fuzz/findings"
harnesses=(rom backgrounds block bmp pcx png image_dispatch palette tiles fieldsprites)
seed() {
  local name="$1" dir="$here/fuzz/corpus/$1"
  mkdir -p "$dir"
  case "$name" in
    bmp) cp -n "$data"/bmpsuite/g/*.bmp "$dir/" 2>/dev/null ;;
    pcx) cp -n "$data"/pcx/*.pcx "$dir/" 2>/dev/null ;;
    png) cp -n "$data"/pngsuite/*.png "$dir/" 2>/dev/null ;;
    palette) "$here/fuzz/palette_seeds.sh" "$dir" ;;
  esac
  true
}
runOne() {
  local name="$1"
  seed "$name"
  "$bin/fuzz_$name" -max_total_time=$((minutes * 60)) -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$here/fuzz/findings/$name-" "$here/fuzz/corpus/$name" > "$logs/$name.log" 2>&1
  echo $? > "$logs/$name.rc"
}
jobs="${JOBS:-2}"
for name in "${harnesses[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  echo "fuzzing $name for $minutes min"
  runOne "$name" &
done
wait
status=0
printf '%-16s %10s %8s %8s %s\n' harness "inputs/s" cov corpus findings
for name in "${harnesses[@]}"; do
  log="$logs/$name.log"
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  secs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | awk '{print $5}')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  corpus=$(ls "$here/fuzz/corpus/$name" | wc -l)
  found="none"
  if [ "$(cat "$logs/$name.rc")" != 0 ]; then found="FAULT (see $log, fuzz/findings/)"; status=1; cp "$log" "$here/fuzz/findings/$name.log"; fi
  rate=$(( ${runs:-0} / ( ${secs:-1} > 0 ? ${secs:-1} : 1 ) ))
  printf '%-16s %10s %8s %8s %s\n' "$name" "$rate" "${cov:-?}" "$corpus" "$found"
done
exit $status

#!/usr/bin/env bash
# Writes the palette harness's seeds into the folder given: one small file of each format, and
# the text headers over binary bodies that must be refused rather than read as another format.
set -euo pipefail
dir="${1:?folder for the seeds}"
mkdir -p "$dir"
printf 'JASC-PAL\r\n0100\r\n2\r\n0 0 0\r\n255 128 7\r\n' > "$dir/jasc.pal"
printf 'GIMP Palette\nName: seed\nColumns: 2\n# c\n  0   0   0\tBlack\n255 128 7 Orange\n' > "$dir/gimp.gpl"
printf 'ff8007\n#000000\n' > "$dir/lospec.hex"
printf '\x00\x00\xff\x7f\x1f\x00\xe0\x03' > "$dir/snes.bin"
printf 'RIFF\x18\x00\x00\x00PAL data\x0c\x00\x00\x00\x00\x03\x02\x00\x0a\x14\x1e\x00\x28\x32\x3c\x00' > "$dir/riff.pal"
head -c 768 /dev/zero | tr '\0' '\100' > "$dir/act.act"
printf 'GIMP Palette\n\x00\x01\x02 nonsense \xff\n' > "$dir/gimp-garbage.gpl"
printf 'JASC-PAL\r\n0100\r\n\x01\x02\r\n\xfe\xff' > "$dir/jasc-garbage.pal"
{ printf 'GIMP Palette\n'; head -c 755 /dev/zero | tr '\0' '\201'; } > "$dir/gimp-act-body.gpl"

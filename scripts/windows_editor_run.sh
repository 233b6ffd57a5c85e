#!/usr/bin/env bash
# morvi.exe under Wine in a real X server (Xvfb, with openbox as the window manager), driven
# with xdotool as a user would: it opens the demo ROM under a non-ASCII name given on the
# command line, shows its window, each of its six tabs in turn, paints one pixel, saves
# (Ctrl+S, then Enter on "ROM saved") and quits from File > Exit. The ROM must have changed on
# disk, the program must end by itself with status 0, and its settings must be in the registry
# under HKEY_CURRENT_USER\Software\Quarnsby\morvi. Screenshots of each step are left in
# SHOTS (default build-windows/wine-shots) to look at.
#
#   scripts/windows_editor_run.sh MORVI.EXE [SHOTS]
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts_common.sh
morvi_install xvfb openbox xdotool imagemagick wine64
exe="$(realpath "$1")"
shots="$(realpath -m "${2:-build-windows/wine-shots}")"
# morvi-cli.exe beside it (the zip), or where the build puts it.
cli="$(dirname "$exe")/morvi-cli.exe"
[ -f "$cli" ] || cli="$(dirname "$exe")/../morvi-cli.exe"
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-${MORVI_WINDOWS_CACHE:-$HOME/.cache/morvi-windows}/wine}"
wine=$(command -v wine64 || command -v wine)
rm -rf "$shots" && mkdir -p "$shots"
# A Wine server left from an earlier program of this prefix can keep a new window from appearing.
wineserver -w 2>/dev/null || true
work=$(mktemp -d)
pids=()
finish() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "windows editor: $*" >&2; exit 1; }

# A display of our own: the first free number from 70.
display=70
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.2; done
openbox >/dev/null 2>&1 &
pids+=($!)
shot() { import -window root "$shots/$1.png"; }

rom="$work/dém○ rom.smc"
"$wine" "$cli" demo "Z:$rom" >/dev/null
cp "$rom" "$work/before.smc"
"$wine" reg delete 'HKCU\Software\Quarnsby\morvi' /f >/dev/null 2>&1 || true

"$wine" "$exe" "Z:$rom" >"$work/morvi.log" 2>&1 &
morvi=$!
pids+=("$morvi")
# Searched again until it shows: a search can fail outright on a window that goes while it looks
# (Wine makes and drops windows of its own as it starts).
window=""
for _ in $(seq 240); do
  window=$(xdotool search --onlyvisible --name 'Morvi V' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  kill -0 "$morvi" 2>/dev/null || fail "morvi.exe ended before its window appeared: $(tail -n 5 "$work/morvi.log")"
  sleep 0.5
done
[ -n "$window" ] || fail "no window appeared within two minutes"
sleep 3  # the ROM opens once the window is up
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT of the client area
echo "windows editor: window $WIDTH x $HEIGHT at $X,$Y, title: $(xdotool getwindowname "$window")"
shot 1-opened
# Mouse wheel over the tab bar (under the menu bar, at the window's left) steps through the pages.
# Under Wine with openbox the geometry's Y lies a little above the tab bar (seen in the shots).
tabs_y=$((Y + ${MORVI_WINE_TABS_Y:-15}))
xdotool mousemove "$((X + 30))" "$tabs_y" click 1
sleep 1
shot 2-page1
tabs=6  # monsters, espers, portraits, characters, field sprites, windows
for page in $(seq 2 "$tabs"); do
  xdotool mousemove "$((X + 30))" "$tabs_y" click 5
  sleep 1
  shot "2-page$page"
done
for page in $(seq 2 "$tabs"); do
  cmp -s "$shots/2-page$((page - 1)).png" "$shots/2-page$page.png" && fail "tab $page looks like the one before it"
done
# Back to the monsters for the edit below.
for _ in $(seq 2 "$tabs"); do xdotool mousemove "$((X + 30))" "$tabs_y" click 4; done
sleep 1

# One pixel painted in the middle of the canvas, then Ctrl+S and Enter on "ROM saved".
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2))" click 1
sleep 1
xdotool key ctrl+s
sleep 2
shot 3-saved
xdotool key Return
sleep 1
cmp -s "$rom" "$work/before.smc" && fail "the ROM did not change on disk after painting and saving"

# File > Exit: the menu bar's File (just above the tab bar), then Exit's mnemonic.
xdotool mousemove "$((X + 15))" "$((tabs_y - 23))" click 1
sleep 1
shot 4-file-menu
xdotool key x
for _ in $(seq 60); do kill -0 "$morvi" 2>/dev/null || break; sleep 0.5; done
kill -0 "$morvi" 2>/dev/null && { shot 5-still-running; fail "morvi.exe did not end after File > Exit"; }
wait "$morvi" || fail "morvi.exe ended with status $?"
settings=$("$wine" reg query 'HKCU\Software\Quarnsby\morvi\Settings' 2>/dev/null | tr -d '\r') ||
  fail "no settings under HKEY_CURRENT_USER\\Software\\Quarnsby\\morvi\\Settings"
grep -qi 'width' <<<"$settings" || fail "the window's size is not among the settings: $settings"
echo "windows editor: morvi.exe opened \"$(basename "$rom")\", showed its $tabs tabs, saved an edit and quit from File > Exit; settings in the registry (screenshots: $shots)"

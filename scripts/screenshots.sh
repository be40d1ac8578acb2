#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Wine's virtual desktop (task bar
# and notification area included): the main window with a disk selected, and an event box.
# Usage: scripts/screenshots.sh [OUT_DIR]   (default docs/screenshots)
set -euo pipefail
export QVL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"
out=$(realpath -m "${1:-$QVL_ROOT/docs/screenshots}")
mkdir -p "$out"
bash "$QVL_ROOT/scripts/build.sh"
export QVLDEV_INSTANCE=screenshots QVLDEV_SCENARIO=
unset DISPLAY
trap qvl_stop EXIT
qvl_xvfb_start
qvl_wine_start
cd "$QVL_BUILD/bin"
wine qvlsim.exe reset >/dev/null 2>&1

wine explorer /desktop=Quorvel,1024x768 qvlswap.exe >/dev/null 2>&1 &
desk=
for _ in $(seq 100); do
  desk=$(xdotool search --name 'Quorvel - Wine desktop' 2>/dev/null | head -1) || true
  [ -n "$desk" ] && break
  sleep 0.2
done
[ -n "$desk" ] || { echo "screenshots: no virtual desktop" >&2; exit 1; }
sleep 3

# The main window is centred: 599 x 422 at (212, 173). Into the tree, then down to the disk in
# the drive rack (the 16th node of the demo system).
xdotool mousemove --window "$desk" 270 300 click 1
sleep 0.3
xdotool key Home
for _ in $(seq 15); do xdotool key Down; sleep 0.05; done
sleep 1
import -window root "$out/main-window.png"

# A disk fails: the next poll shows the error box and the alarm beeps until OK.
wine qvlsim.exe fail 0x101 >/dev/null 2>&1
sleep 4.5
import -window root "$out/event-box.png"
xdotool key Return
sleep 0.5
echo "screenshots: $out/main-window.png $out/event-box.png"

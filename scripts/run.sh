#!/usr/bin/env bash
# Builds everything and starts the console under Wine on the simulated demo RAID system.
# With a display ($DISPLAY) the console runs there until you choose Exit. Without one it runs
# on a virtual display inside a Windows-like desktop (task bar and notification area), saves a
# screenshot and ends.   Usage: scripts/run.sh [RAID] [--screenshot FILE]
set -euo pipefail
export QVL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"
shot="$QVL_BUILD/qvlswap-screenshot.png"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) shot=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
bash "$QVL_ROOT/scripts/build.sh"
trap qvl_stop EXIT
headless=0
if [ -z "${DISPLAY:-}" ]; then qvl_xvfb_start; headless=1; fi
qvl_wine_start
cd "$QVL_BUILD/bin"
wine qvlsim.exe reset >/dev/null 2>&1

if [ "$headless" -eq 0 ]; then
  echo "run: starting the console on $DISPLAY (the demo system; drive it with build/bin/qvlsim.exe)"
  wine qvlswap.exe "${args[@]}"
  exit 0
fi

wine explorer /desktop=Quorvel,1024x768 qvlswap.exe "${args[@]}" >/dev/null 2>&1 &
for _ in $(seq 150); do
  xdotool search --name '^Quorvel Hot-Swap Utility$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 2
import -window root "$shot"
echo "run: the console started on a virtual display; screenshot saved to $shot"

#!/usr/bin/env bash
# Builds everything and shows the simulated RAID system that the console will manage.
set -euo pipefail
export QVL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"
bash "$QVL_ROOT/scripts/build.sh"
trap qvl_stop EXIT
[ -n "${DISPLAY:-}" ] || qvl_xvfb_start
qvl_wine_start
cd "$QVL_BUILD/bin"
wine qvlsim.exe show

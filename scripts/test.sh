#!/usr/bin/env bash
# Builds everything and runs every test under Wine on a virtual display. Extra arguments go to
# ctest (for example -R client).
set -euo pipefail
export QVL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"
bash "$QVL_ROOT/scripts/build.sh"
trap qvl_stop EXIT
qvl_xvfb_start
qvl_wine_start
ctest --test-dir "$QVL_BUILD" --output-on-failure --timeout 300 "$@"

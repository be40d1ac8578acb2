#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/ (binaries in
# build/bin/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QVL_BUILD:-$root/build}"
bash "$root/scripts/setup.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
fi
cmake --build "$build" -j"$(nproc)" >"$log" 2>&1 || { grep -E 'error|Error' "$log" >&2 || cat "$log" >&2; exit 1; }

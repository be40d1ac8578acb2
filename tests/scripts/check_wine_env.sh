#!/usr/bin/env bash
# scripts/wine-env.sh makes a prefix only where it may: a prefix it did not make is refused and
# left as it was; its own (marked, or the build's) is made again when unfinished. Wine's programs
# are stand-ins here that only note their calls, so nothing real is started or touched.
# Usage: check_wine_env.sh PROJECT_ROOT
set -u
root=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # LABEL COMMAND...
  local label=$1; shift
  if "$@"; then echo "ok   $label"; passed=$((passed + 1)); else echo "FAIL $label"; failed=$((failed + 1)); fi
}

mkdir -p "$work/fakebin"
for tool in wine wineboot wineserver; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$work" >"$work/fakebin/$tool"
  chmod +x "$work/fakebin/$tool"
done

# start PREFIX_OR_EMPTY: qvl_wine_start with WINEPREFIX set (or not), in its own shell.
start() {
  rm -f "$work/calls" "$work/err"
  (
    export PATH="$work/fakebin:$PATH" QVL_ROOT="$root" QVL_BUILD="$work/build"
    if [ -n "$1" ]; then export WINEPREFIX="$1"; else unset WINEPREFIX; fi
    . "$root/scripts/wine-env.sh"
    qvl_wine_start
  ) 2>"$work/err" >/dev/null
}
a_prefix() { # DIR: looks like a used Wine prefix
  mkdir -p "$1/drive_c/users"
  echo 'WINE REGISTRY Version 2' >"$1/system.reg"
  echo 'a developer file' >"$1/drive_c/users/keep.txt"
}

# A developer's own prefix, unmarked: refused, untouched, no Wine program run in it.
a_prefix "$work/home/.wine"
refused() { ! start "$@"; }
check "foreign prefix: refused" refused "$work/home/.wine"
check "foreign prefix: its files are kept" test -f "$work/home/.wine/drive_c/users/keep.txt" -a -f "$work/home/.wine/system.reg"
check "foreign prefix: no marker is added" test ! -e "$work/home/.wine/.qvl-made" -a ! -e "$work/home/.wine/.qvl-ready"
check "foreign prefix: no Wine program was run" test ! -s "$work/calls"
check "foreign prefix: the message names it and the way out" \
  grep -qF "$work/home/.wine is a Wine prefix these scripts did not make" "$work/err"

# A new folder: made, marked and finished.
check "new prefix: made" start "$work/new"
check "new prefix: marked as made by the scripts and ready" test -f "$work/new/.qvl-made" -a -f "$work/new/.qvl-ready"
check "new prefix: wineboot made it" grep -q '^wineboot -i' "$work/calls"

# A marked prefix whose making stopped half-way: made again from nothing.
a_prefix "$work/half" && touch "$work/half/.qvl-made"
check "unfinished marked prefix: made again" start "$work/half"
check "unfinished marked prefix: what was in it is gone" test ! -e "$work/half/drive_c/users/keep.txt"
check "unfinished marked prefix: ready" test -f "$work/half/.qvl-ready"

# The build's own prefix from before the marker existed: still the project's to remake.
a_prefix "$work/build/wineprefix"
check "build prefix, unmarked: made again" start ""
check "build prefix, unmarked: ready" test -f "$work/build/wineprefix/.qvl-ready" -a ! -e "$work/build/wineprefix/drive_c/users/keep.txt"

# A ready prefix is used as it is, even a foreign one that a developer marked ready by hand.
touch "$work/home/.wine/.qvl-ready"
check "ready prefix: used" start "$work/home/.wine"
check "ready prefix: kept" test -f "$work/home/.wine/drive_c/users/keep.txt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

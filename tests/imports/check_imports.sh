#!/usr/bin/env bash
# Every function the shipped binaries import by name must be exported, by that name, by Windows
# 98 SE and by Windows NT 4.0 SP6a (common controls 5.80): the lists beside this script hold
# those names per system DLL. Wine loads anything, so only this check sees a newer import.
# A probe that imports GetTickCount64 must fail the check, so that the check is seen to bite.
# Usage: check_imports.sh BIN_DIR PROBE
set -u
bin=$1 probe=$2
lists=$(dirname "$0")

# "dll function" for each import by name of a binary; "dll #ordinal" for one by ordinal.
imports() {
  i686-w64-mingw32-objdump -p "$1" | awk '
    /^\tDLL Name:/ { dll = tolower($3); next }
    dll && /^\t[0-9a-f]+\t/ { print dll, ($NF == "<none>" ? "#" $(NF-1) : $NF) }
    /^$/ { }'
}

# Prints one line per import outside the lists; our own DLLs are checked by the interface test.
outside() {
  local binary=$1 dll name list
  imports "$binary" | while read -r dll name; do
    case $dll in qvldev.dll|qvlclient.dll) continue ;; esac
    list="$lists/${dll%.dll}.txt"
    if [ ! -f "$list" ]; then echo "$(basename "$binary"): $dll!$name (no list for $dll)"
    elif ! grep -qxF -- "$name" "$list"; then echo "$(basename "$binary"): $dll!$name"; fi
  done
}

fail=0
for f in qvlswap.exe qvlclient.dll qvldev.dll qvlsim.exe qvlctl.exe; do
  if [ ! -f "$bin/$f" ]; then echo "FAIL $f: missing"; fail=1; continue; fi
  bad=$(outside "$bin/$f")
  if [ -n "$bad" ]; then echo "FAIL import outside Windows 98 SE / NT 4.0 SP6a: $bad"; fail=1
  else echo "ok   $f: $(imports "$bin/$f" | wc -l) imports"; fi
done

bad=$(outside "$probe")
case $bad in
  *kernel32.dll!GetTickCount64*) echo "ok   probe refused: $bad" ;;
  *) echo "FAIL the probe's GetTickCount64 import was not caught (got '$bad')"; fail=1 ;;
esac
exit $fail

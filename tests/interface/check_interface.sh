#!/usr/bin/env bash
# The binary interfaces of the built programs and libraries, read back with objdump: exactly
# the exported names, exactly the imported names, and nothing but system DLLs besides ours.
# Usage: check_interface.sh BIN_DIR
set -u
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
objdump=i686-w64-mingw32-objdump
passed=0 failed=0
system_dlls='^(kernel32|user32|gdi32|advapi32|comctl32|shell32|msvcrt|ws2_32|ole32|oleaut32|comdlg32|shlwapi|version|msimg32)\.dll$'

exports() { # FILE: exported names
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on {on=0}' | sort
}
imports_from() { # FILE DLL: names imported from DLL
  "$objdump" -p "$1" | awk -v dll="$2" '
    /DLL Name:/ {cur=tolower($3); next}
    cur==tolower(dll) && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[^ \t]+$/ {print $3}' | sort
}
dlls() { "$objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | sort -u; }

same() { # LABEL EXPECTED_FILE ACTUAL_TEXT
  if diff <(cat "$2") <(echo "$3") >/dev/null; then
    echo "ok   $1 ($(wc -l <"$2") names)"; passed=$((passed + 1))
  else
    echo "FAIL $1:"; diff <(cat "$2") <(echo "$3") | sed 's/^/     /'; failed=$((failed + 1))
  fi
}
only_system_and() { # LABEL FILE OUR_DLLS_REGEX
  local bad
  bad=$(dlls "$2" | grep -Ev "$system_dlls" | grep -Ev "$3")
  if [ -z "$bad" ]; then echo "ok   $1 imports only system DLLs and ours"; passed=$((passed + 1))
  else echo "FAIL $1 also imports: $bad"; failed=$((failed + 1)); fi
}

# A binary that is not there fails its checks instead of skipping them.
for file in qvlclient.dll qvldev.dll qvlswap.exe; do
  if [ ! -f "$bin/$file" ]; then echo "FAIL $file is missing from $bin"; failed=$((failed + 1)); fi
done

same "qvlclient.dll exports" "$here/qvlclient.exports" "$(exports "$bin/qvlclient.dll")"
same "qvlclient.dll imports from qvldev.dll" "$here/qvlclient-from-qvldev.imports" \
  "$(imports_from "$bin/qvlclient.dll" qvldev.dll)"
only_system_and "qvlclient.dll" "$bin/qvlclient.dll" '^qvldev\.dll$'

# The simulated driver offers the 19 operations (and control exports of its own).
drv=$(exports "$bin/qvldev.dll" | grep '^qvl_')
same "qvldev.dll driver operations" "$here/qvlclient-from-qvldev.imports" "$drv"

version_strings() { # FILE: "Key=Value" lines of the version resource
  exiftool -s -FileVersion -ProductVersion -FileDescription -OriginalFileName -InternalName \
    -ProductName "$1" | sed -E 's/^([A-Za-z]+) *: (.*)$/\1=\2/'
}
same "qvlclient.dll version strings" "$here/qvlclient.version" "$(version_strings "$bin/qvlclient.dll")"

if [ -f "$bin/qvlswap.exe" ]; then
  same "qvlswap.exe imports from qvlclient.dll" "$here/qvlswap-from-qvlclient.imports" \
    "$(imports_from "$bin/qvlswap.exe" qvlclient.dll)"
  only_system_and "qvlswap.exe" "$bin/qvlswap.exe" '^qvlclient\.dll$'
  same "qvlswap.exe version" "$here/qvlswap.version" "$(exiftool -s -FileVersionNumber -ProductVersionNumber \
    -ProductVersion -ProductName -CompanyName -LegalCopyright "$bin/qvlswap.exe" | sed -E 's/^([A-Za-z]+) *: (.*)$/\1=\2/')"
  icons=$(wrestool -l --type=3 "$bin/qvlswap.exe" 2>/dev/null | wc -l)
  sizes=$(wrestool -x --raw --type=3 "$bin/qvlswap.exe" 2>/dev/null | od -An -tu4 -N12 | awk '{print $2"x"$3/2}')
  if [ "$icons" -eq 1 ] && [ "$sizes" = "32x32" ]; then echo "ok   qvlswap.exe has one 32 x 32 program icon"; passed=$((passed + 1))
  else echo "FAIL qvlswap.exe icons: $icons group(s), first image $sizes"; failed=$((failed + 1)); fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

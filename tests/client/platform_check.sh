#!/usr/bin/env bash
# The client library loads on the 95/98/Me and NT families and refuses any other platform
# (Win32s reports platform 0), both when loaded at run time and when a program imports it.
# Usage: platform_check.sh BIN_DIR
set -u
bin=$1
cd "$bin"
fail=0
as_version() { # NAME VERSION: a copy of the probe that Wine runs as VERSION
  cp platform_probe.exe "probe_$1.exe"
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\probe_$1.exe" /v Version /d "$2" /f >/dev/null 2>&1
}
check() { # NAME EXPECTED_OUTPUT
  local out
  out=$(wine "probe_$1.exe" 2>/dev/null | tr -d '\r')
  if [ "$out" = "$2" ]; then echo "ok   $1: $out"; else echo "FAIL $1: got '$out', want '$2'"; fail=1; fi
}
# 1114 is ERROR_DLL_INIT_FAILED: the library was found and refused, not missing (126).
as_version win31 win31; check win31 "refused 1114"
as_version win98 win98; check win98 "loaded platform=1"
as_version winxp winxp; check winxp "loaded platform=2"

# A program that imports the library at load time does not start at all under Win32s: the
# loader ends it with STATUS_DLL_INIT_FAILED (0xC0000142), of which the shell sees the low
# byte, 66; a missing library would end it with STATUS_DLL_NOT_FOUND (0xC0000135, 53).
cp client_frame_test.exe importer_win31.exe
wine reg add 'HKCU\Software\Wine\AppDefaults\importer_win31.exe' /v Version /d win31 /f >/dev/null 2>&1
out=$(wine importer_win31.exe --gtest_list_tests 2>/dev/null)
status=$?
if [ $status -eq 66 ] && [ -z "$out" ]; then echo "ok   importer refused at load (exit $status)"
else echo "FAIL importer under Win32s: exit $status, want 66 (DLL init failed)"; fail=1; fi
rm -f probe_*.exe importer_win31.exe
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail

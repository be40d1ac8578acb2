#!/usr/bin/env bash
# Restarting the machine, shown in a throw-away copy of the Wine prefix with its own
# wineserver, so that the test session's own Wine session is never restarted.
# Usage: reboot_check.sh BIN_DIR
set -u
bin=$1
: "${WINEPREFIX:?}"
scratch=$(mktemp -d)
trap 'WINEPREFIX="$scratch/prefix" wineserver -k >/dev/null 2>&1; rm -rf "$scratch"' EXIT
cp -a "$WINEPREFIX" "$scratch/prefix"
cp "$bin"/reboot_probe.exe "$bin"/qvlclient.dll "$bin"/qvldev.dll "$scratch/"

start=$(date +%s)
out=$(cd "$scratch" && WINEPREFIX="$scratch/prefix" QVLDEV_INSTANCE=reboot timeout 60 wine reboot_probe.exe 2>/dev/null | tr -d '\r')
took=$(( $(date +%s) - start ))
echo "probe said: ${out//$'\n'/ | } (after ${took}s)"

fail=0
[ "$(echo "$out" | head -1)" = "result 0" ] || { echo "FAIL: the restart request was not accepted"; fail=1; }
echo "$out" | grep -qx "query end session" || { echo "FAIL: the session did not ask the programs to end"; fail=1; }
echo "$out" | grep -qx "end session yes" || { echo "FAIL: the session was not ended"; fail=1; }
# The harness's own session is untouched.
alive=$(wine cmd /c echo alive 2>/dev/null | tr -d '\r')
[ "$alive" = "alive" ] || { echo "FAIL: the test session's Wine is gone"; fail=1; }
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail

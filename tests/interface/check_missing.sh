#!/usr/bin/env bash
# The interface check itself: run on a folder that lacks qvlswap.exe, it must fail and say so.
# Usage: check_missing.sh BIN_DIR
set -u
bin=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$bin/qvlclient.dll" "$bin/qvldev.dll" "$scratch/"
out=$(bash "$(dirname "$0")/check_interface.sh" "$scratch" 2>&1)
status=$?
if [ $status -ne 0 ] && echo "$out" | grep -q "FAIL qvlswap.exe is missing"; then
  echo "ok   a missing qvlswap.exe fails the check (exit $status)"; exit 0
fi
echo "FAIL the check passed or failed for another reason (exit $status):"; echo "$out" | sed 's/^/     /'
exit 1

#!/usr/bin/env bash
# The event log on a disk that fills: appends made under a file-size limit (ulimit -f, with
# SIGXFSZ ignored, as a full disk answers a write) leave only whole lines, every save that
# returned 0 is in the log and every other one failed; qvlctl events --save says which event
# it could not write and exits 2.
# Usage: log_full_check.sh BIN_DIR
set -u
bin=$1
: "${WINEPREFIX:?}"
export QVLDEV_INSTANCE=client_log_full QVLDEV_SCENARIO=
log="$WINEPREFIX/drive_c/windows/qvl.log"
trap 'rm -f "$log"' EXIT
# The wineserver must run before the limit: it would inherit it otherwise.
wineserver -p >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1

passed=0 failed=0
check() { # LABEL CONDITION...
  local label=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $label"; failed=$((failed + 1)); fi
}
limited() { (ulimit -f 1; trap '' XFSZ; cd "$bin" && exec wine "$@") </dev/null; }
line() { printf '0\tI\t01/02/26 03:04:05\t%s\r\n' "$1"; }
whole_lines() { # every line of the log ends with CR LF and has its four fields
  [ "$(tail -c 2 "$log" | od -An -tx1 | tr -d ' \n')" = "0d0a" ] &&
    [ "$(tr -cd '\r' <"$log" | wc -c)" -eq "$(wc -l <"$log")" ] &&
    [ "$(tr -d '\r' <"$log" | awk -F'\t' 'NF != 4' | wc -l)" -eq 0 ]
}

# Each case: the bytes the log starts with, then what the appender must report: the saves that
# fit (1 KiB in all), then none.
for start in 900 974 1024; do
  line "$(printf '%0*d' $((start - 24)) 0)" >"$log"
  size0=$(stat -c %s "$log")
  out=$(limited ./log_appender.exe TAG 5 2>/dev/null); code=$?
  saved=$((5 - code))
  expect=$(( (1024 - size0) / 29 )); [ $expect -gt 5 ] && expect=5
  check "start $start: $saved saves reported done, $expect fit" [ "$saved" -eq "$expect" ]
  check "start $start: the log holds only whole lines" whole_lines
  check "start $start: exactly the saves reported done are in the log" \
    [ "$(tr -d '\r' <"$log" | cut -f4 | grep -c '^TAG ')" -eq "$saved" ]
  check "start $start: the failed ones are named" [ "$(echo "$out" | grep -c '^failed ')" -eq "$code" ]
  check "start $start: nothing past the limit" [ "$(stat -c %s "$log")" -le 1024 ]
done

# qvlctl events --save with no room: the event is printed, named on stderr, exit 2.
line "$(printf '%01000d' 0)" >"$log"
(cd "$bin" && wine ./qvlsim.exe reset && wine ./qvlsim.exe event 1 0x101 && wine ./qvlsim.exe event 1 0x102) >/dev/null 2>&1
err=$(limited ./qvlctl.exe events --save 2>&1 >/dev/null); code=$?
out=$( (cd "$bin" && wine ./qvlsim.exe events) 2>/dev/null | tr -d '\r')
check "qvlctl events --save exits 2 when the log is full (got $code)" [ "$code" -eq 2 ]
check "qvlctl names the event it could not write" \
  grep -q 'the event "Disk at Controller1-Channel1-Device1 failed." could not be written' <<<"$err"
check "the next event stays with the driver (pending: $out)" [ "$out" = 1 ]
(cd "$bin" && wine ./qvlsim.exe reset) >/dev/null 2>&1

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]

#!/usr/bin/env bash
# qvlctl watch against the simulated system while qvlsim fails, plugs and pulls disks: each
# change is printed once, as one JSON object per line, and --exec gets it in QVL_* variables.
# It takes no driver events: the failure's event is still queued afterwards.
# Usage: check_watch.sh BIN_DIR
set -u
. "$(dirname "$0")/../support/checks.sh"
bin=$1
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f ctl_watch_exec.txt' EXIT
# wait_for TEXT: until the watch output holds TEXT (at most 60 s)
wait_for() { for _ in $(seq 600); do grep -qF -- "$1" "$work/out" && return 0; sleep 0.1; done; bad "no line with $1"; }

sim reset
rm -f ctl_watch_exec.txt
# Plenty of cycles at 1 s; the run is ended below once every change was seen.
wine qvlctl.exe watch --interval 1 --cycles 120 --json \
  --exec 'echo %QVL_CHANGE%;%QVL_SEVERITY%;%QVL_LOCATION%;%QVL_ID%;%QVL_TEXT%>>ctl_watch_exec.txt' \
  </dev/null >"$work/out" 2>"$work/err" &
watcher=$!
for _ in $(seq 600); do grep -q 'watching' "$work/err" && break; sleep 0.1; done # the baseline is taken
sim fail 0x101;                                        wait_for '"disk-failed"'
id=$(wine qvlsim.exe plug controller=1 channel=3 position=1 model=QVD-NEW </dev/null 2>/dev/null | tr -d '\r\n ')
sim rescan;                                            wait_for '"disk-appeared"'
sim pull 0x115;                                        wait_for '"disk-disappeared"'
sleep 3 # a few quiet polls: nothing may repeat
kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null

count() { jq -c "select(.change == \"$1\" and .location == \"$2\")" "$work/out" | wc -l; }
[ "$(jq -e -s 'all(.version == 1)' "$work/out")" = true ] && ok "every line is a JSON object of schema version 1" \
  || bad "lines are not JSON: $(head -3 "$work/out")"
for row in disk-failed:Controller1-Channel1-Device1 disk-appeared:Controller2-Channel4-Device2 \
           disk-disappeared:Controller2-Channel3-Device2; do
  n=$(count "${row%%:*}" "${row#*:}")
  [ "$n" = 1 ] && ok "${row%%:*} at ${row#*:} printed once" || bad "${row%%:*} at ${row#*:} printed $n times"
done
jq -e -s 'any(.change == "array-status" and .location == "System" and .severity == "critical")' "$work/out" >/dev/null \
  && ok "the failed disk's array changes status, critical" || bad "no array-status line for System: $(cat "$work/out")"
grep -qx 'disk-failed;critical;Controller1-Channel1-Device1;0x101;Disk at Controller1-Channel1-Device1 failed.' \
  <(tr -d '\r' <ctl_watch_exec.txt) && ok "--exec gets QVL_CHANGE, QVL_SEVERITY, QVL_LOCATION, QVL_ID, QVL_TEXT" \
  || bad "--exec lines: $(cat ctl_watch_exec.txt 2>/dev/null)"
[ "$(tr -d '\r' <ctl_watch_exec.txt | wc -l)" = "$(wc -l <"$work/out")" ] && ok "--exec runs once per change" \
  || bad "--exec ran $(wc -l <ctl_watch_exec.txt) times for $(wc -l <"$work/out") changes"
[ "$(wine qvlsim.exe events </dev/null 2>/dev/null | tr -d '\r')" -ge 1 ] && ok "the failure's driver event is left for the console" \
  || bad "watch took the driver event"
[ -n "$id" ] || bad "plug printed no id"
sim reset
summary

#!/usr/bin/env bash
# Every --json output of qvlctl (list, arrays, show, log, and the lines of events and watch),
# on the demo system and on one with hostile names, validated against the shipped schema
# help/qvlctl.schema.json by python3-jsonschema (draft 2020-12).
# Usage: check_schema.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
. "$src/tests/monitoring/common.sh"
cd "$bin"
out=$work/out
mkdir -p "$out"
docs=() # DEFINITION=FILE for the validator
# json DEFINITION NAME ARGS...: qvlctl ARGS into $out/NAME, which must then be validated as DEFINITION
json() {
  local def=$1 name=$2; shift 2
  wine qvlctl.exe "$@" </dev/null >"$out/$name" 2>"$work/err" ||
    bad "qvlctl $* exits $? ($(tr -d '\r' <"$work/err"))"
  docs+=("$def=$out/$name")
}
# watching NAME: starts qvlctl watch --json into $out/NAME once its first reading is taken
watching() {
  watch_out=$out/$1
  start watch wine qvlctl.exe watch --interval 1 --cycles 600 --json
  watch_pid=${daemons[-1]}
  wait_until 240 grep -q watching "$work/watch.log" || bad "watch did not start: $(cat "$work/watch.log")"
}
# changed CHANGE...: waits until the watch has printed each CHANGE
changed() {
  local c
  for c in "$@"; do
    wait_until 240 bash -c 'grep -F "\"change\":\"$1\"" "$2" >/dev/null' _ "$c" "$work/watch.log" ||
      bad "watch printed no $c"
  done
}
stop_watch() {
  kill "$watch_pid" 2>/dev/null; wait "$watch_pid" 2>/dev/null
  grep '^{' "$work/watch.log" >"$watch_out"
  docs+=("change=$watch_out")
}

sim reset
json list demo-list.json list --json
json arrays demo-arrays.json arrays --json
for what in 0x115 Controller1-Channel2 Controller2 system; do
  json show "demo-show-$what.json" show "$what" --json
done

# Watch lines of every kind; the driver's events the failure and the raw events queue.
watching demo-watch.jsonl
sim fail 0x101
changed disk-failed array-status
id=$(wine qvlsim.exe plug controller=1 channel=3 position=1 model=QVD-NEW </dev/null 2>/dev/null | tr -d '\r\n ')
sim rescan
changed disk-appeared
sim pull 0x115
changed disk-disappeared
sim inject get_controller_count -1
changed driver-unreachable
sim inject clear
changed driver-reachable
mirror_scenario "$work/progress.scn" 0x6 @P@ 0x205
sed 's/@P@/1000/' "$work/progress.scn" >"$work/p1.scn"
sed 's/@P@/2000/' "$work/progress.scn" >"$work/p2.scn"
load_scenario "$work/p1.scn"
changed array-disappeared array-appeared
load_scenario "$work/p2.scn"
changed array-progress
stop_watch
json arrays rebuild-arrays.json arrays --json

sim reset
sim fail 0x101
sim event 17 0x201
sim event 2 0x999
json event demo-events.jsonl events --json --save
json log demo-log.json log --json
wine qvlctl.exe log --clear </dev/null >/dev/null 2>&1
json log empty-log.json log --json

# Names with quotes, backslashes, line feeds, "|" and Latin-1 letters, in every output.
cat >"$work/hostile.scn" <<'SCN'
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=2 product="QV \"2000\" \\ RAID|x\x0Ay" manufacturer="Qu\xF6rvel \xA9\x01"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x121 controller=0 channel=0 position=0 capacity=78165360 model="QVD \"4080\"\\|\x0A\xE9\x09"
disk id=0x122 controller=0 channel=1 position=0 capacity=78165360 model="Dr\xE9ve\x0D"
array id=0x221 name="A\"b\\c\x0Ad|e\xFC" level=1 status=0x2 members=0x121,0x122
SCN
watching hostile-watch.jsonl
load_scenario "$work/hostile.scn"
changed array-appeared disk-appeared
sim fail 0x122
changed disk-failed
stop_watch
json list hostile-list.json list --json
json arrays hostile-arrays.json arrays --json
json show hostile-show.json show 0x121 --json
json event hostile-events.jsonl events --json --save
json log hostile-log.json log --json
wine qvlctl.exe log --clear </dev/null >/dev/null 2>&1
check "the hostile names are in the outputs (as JSON escapes)" grep -qF 'A\"b\\c\nd|e\u00fc' "$out/hostile-arrays.json"
sim reset
[ -n "$id" ] || bad "qvlsim plug printed no identifier"

# Debian's Python, where python3-jsonschema is.
/usr/bin/python3 "$src/tests/monitoring/validate_json.py" "$src/help/qvlctl.schema.json" "${docs[@]}" >"$work/validate" 2>&1
status=$?
cat "$work/validate"
passed=$((passed + $(grep -c '^ok ' "$work/validate")))
failed=$((failed + $(grep -c '^FAIL ' "$work/validate")))
check "the validator ran to its end" test "$status" -eq "$( grep -q '^FAIL ' "$work/validate" && echo 1 || echo 0)"
finish

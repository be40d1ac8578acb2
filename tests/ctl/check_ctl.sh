#!/usr/bin/env bash
# qvlctl against the simulated system: every command on the demo system and on hostile ones
# (failed disk, degraded array, rebuild under way, a driver call failing), its JSON read with jq
# and Python, its metrics with the Prometheus client's parser, check lines and exit codes as
# monitoring plugins have them.
# Usage: check_ctl.sh BIN_DIR
set -u
. "$(dirname "$0")/../support/checks.sh"
bin=$1
cd "$bin"
PY=/usr/bin/python3 # Debian's, where python3-prometheus-client is
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# q ARGS...: runs qvlctl (the copy in $dir when set); stdout in $work/out, $err, exit code $rc.
# Input from $input (default none).
q() {
  (cd "${dir:-.}" && wine qvlctl.exe "$@") <"${input:-/dev/null}" >"$work/out" 2>"$work/err"
  rc=$?
  err=$(tr -d '\r' <"$work/err")
}
# alone FILES...: a folder $work/alone holding only these files of BIN_DIR.
alone() { rm -rf "$work/alone" && mkdir "$work/alone" && cp "$@" "$work/alone/"; }
# expect LABEL CODE [CHECK...]: the last run exited CODE and CHECK (a command) succeeds.
expect() {
  local label=$1 code=$2; shift 2
  if [ "$rc" != "$code" ]; then bad "$label: exit $rc, want $code (stderr: $err)"; return; fi
  if [ $# -gt 0 ] && ! "$@"; then bad "$label: $(head -c 400 "$work/out") $err"; return; fi
  ok "$label"
}
out_is() { [ "$(cat "$work/out")" = "$1" ]; }
out_has() { grep -qF -- "$1" "$work/out"; }
out_empty() { [ ! -s "$work/out" ]; }
err_has() { grep -qE -- "$1" <<<"$err"; }
jqt() { jq -e "$1" "$work/out" >/dev/null 2>&1; }
# check_line STATE TEXT: one line "QVL STATE - TEXT..." with perfdata after " | "
check_line() {
  [ "$(wc -l <"$work/out")" = 1 ] && grep -qE "^QVL $1 - $2.*( \| ([a-z_]+=[0-9]+;[0-9]*;[0-9]*;[0-9]*;[0-9]* ?)+)?$" "$work/out" &&
    { [ "$1" = UNKNOWN ] || grep -q ' | ' "$work/out"; }
}
# pyjson PYTHON-EXPRESSION: the output parsed by Python's json as `d`.
pyjson() { J_EXPR="$1" $PY -c 'import json, os, sys; d = json.load(open(sys.argv[1], encoding="ascii")); sys.exit(0 if eval(os.environ["J_EXPR"]) else 1)' "$work/out"; }
# metrics PYTHON-EXPRESSION: parses the output; `m` maps (name, frozenset of labels) to value.
metrics() {
  M_EXPR="$1" $PY - "$work/out" <<'PYEOF'
import os, sys
from prometheus_client.parser import text_string_to_metric_families
text = open(sys.argv[1], encoding="utf-8").read()
assert "\r" not in text
m, families = {}, set()
for f in text_string_to_metric_families(text):
    assert f.type == "gauge" and f.documentation, f.name
    families.add(f.name)
    for s in f.samples:
        m[(s.name, frozenset(s.labels.items()))] = s.value
def v(name, **labels):
    hits = [val for (n, l), val in m.items() if n == name and set(labels.items()) <= l]
    assert len(hits) == 1, (name, labels, hits)
    return hits[0]
sys.exit(0 if eval(os.environ["M_EXPR"]) else 1)
PYEOF
}

sim reset

# --- the command line itself ------------------------------------------------------------------
q --help;                 expect "--help lists every command" 0 bash -c "for c in list arrays show rescan unplug watch events log check metrics; do grep -q \"^  \$c\" '$work/out' || exit 1; done"
q watch --help;           expect "watch --help lists its options" 0 bash -c "grep -q -- --interval '$work/out' && grep -q -- --exec '$work/out' && grep -q -- --cycles '$work/out'"
q frobnicate;             expect "an unknown command: exit 2, a message, nothing on stdout" 2 err_has "unknown command 'frobnicate'"
q list --yes;             expect "an option of another command: exit 2" 2 out_empty
q watch --interval 0;     expect "--interval 0: exit 2" 2 out_empty
q show;                   expect "show without WHAT: exit 2" 2 out_empty
q check --bogus;          expect "check with a bad option: UNKNOWN, exit 3" 3 check_line UNKNOWN ""

# --- the demo system --------------------------------------------------------------------------
q list --json
expect "list --json: 2 controllers, 9 devices, schema version 1" 0 \
  jqt '.version == 1 and (.controllers | length) == 2 and ([.controllers[].channels[].devices[]] | length) == 9'
expect "list --json: 0x115 with location, model, capacity and status texts" 0 \
  jqt '[.controllers[].channels[].devices[] | select(.id == "0x115")][0] | .location == "Controller2-Channel3-Device2" and (.model | length) > 0 and (.capacity | endswith(" GB")) and .status == "Available" and .array == null and .capacity_bytes > 0'
expect "list --json: the members of System name their array" 0 \
  jqt '[.controllers[].channels[].devices[] | select(.array == "System")] | length == 2'
q list;  expect "list: one line per device, with its location" 0 bash -c "[ \$(grep -c 'Controller[0-9]-Channel[0-9]-Device[0-9]' '$work/out') = 9 ]"
q arrays --json
expect "arrays --json: System, Data and Data's two mirrors, all optimal" 0 \
  jqt '(.arrays | length) == 4 and ([.arrays[] | select(.failed or .degraded)] | length) == 0 and ([.arrays[].name] | index("System") != null) and ([.arrays[] | select(.name == "Data")][0].level == "RAID 1/0")'
expect "arrays --json: members by location" 0 jqt '[.arrays[] | select(.name == "System")][0].members | all(test("^Controller[0-9]+-Channel[0-9]+-Device[0-9]+$"))'
q show 0x115 --json
expect "show 0x115: the panel's rows in its order" 0 \
  jqt '.kind == "device" and ([.properties[].label] | .[0:3]) == ["Model","Type","Location"] and ([.properties[] | select(.label == "Status")][0].value == "Available")'
q show controller2-channel3-device2 --json; expect "show by location, any case: the same device" 0 jqt '.id == "0x115"'
q show Controller1 --json; expect "show Controller1: the controller rows" 0 jqt '.kind == "controller" and .properties[0] == {"label":"Name","value":"Controller 1"}'
q show 0x999; expect "show of an unknown item: exit 2, nothing on stdout" 2 out_empty
q check; expect "check: OK line and perfdata" 0 check_line OK "2 controllers, 9 devices, 4 arrays optimal"
q metrics
expect "metrics: parses; 9 devices, 4 arrays, up" 0 metrics \
  'v("qvl_up") == 1 and sum(1 for (n, l) in m if n == "qvl_device_info") == 9 and sum(1 for (n, l) in m if n == "qvl_array_info") == 4 and v("qvl_device_capacity_bytes", location="Controller2-Channel3-Device2") > 0 and v("qvl_array_degraded", array="System") == 0'
rm -f metrics.prom
q metrics --output metrics.prom
expect "metrics --output: the file holds the exposition, stdout nothing" 0 bash -c "[ ! -s '$work/out' ] && grep -q '^qvl_up 1$' metrics.prom && [ ! -e metrics.prom.tmp ]"
rm -f metrics.prom

# --- unplug and rescan ------------------------------------------------------------------------
input=$work/no; echo n >"$input"
q unplug 0x115; expect "unplug, answered no: asks naming the location, not done (1)" 1 err_has "^Unplug the '.+' device at Controller2-Channel3-Device2 \(0x115\)\? \[y/N\] Not unplugged\.$"
input=/dev/null
q unplug 0x115; expect "unplug, no answer: not done (1)" 1 out_empty
q unplug 0x101 --yes; expect "unplug of an array member: refused (1)" 1 err_has "can't be unplugged"
q unplug Controller1 --yes; expect "unplug of a controller: not a disk (1)" 1 err_has "is not a disk"
sim busy 0x115 on
q unplug 0x115 --yes; expect "unplug of a busy disk: the console's refusal text (1)" 1 err_has "^Device '.+' can't be removed from the system\. It is possible in use\.$"
sim busy 0x115 off
input=$work/yes; echo yes >"$input"
q unplug 0x115; expect "unplug, answered yes: the console's success text (0)" 0 bash -c "grep -qE \"^The '.+' device can now be safely removed from the system. \$\" '$work/out'"
input=/dev/null
q list --json; expect "after unplug: 0x115 is gone" 0 jqt '[.controllers[].channels[].devices[] | select(.id == "0x115")] | length == 0'
sim plug controller=1 channel=3 position=1 model=QVD-NEW
q rescan; expect "rescan: the plugged disk appears" 0 out_has "Disk appeared at Controller2-Channel4-Device2"

# --- hostile systems --------------------------------------------------------------------------
sim reset
sim fail 0x101
q check; expect "failed disk: CRITICAL, the disk first" 2 check_line CRITICAL "disk Controller1-Channel1-Device1 failed"
q metrics; expect "failed disk: qvl_device_failed 1" 0 metrics 'v("qvl_device_failed", location="Controller1-Channel1-Device1") == 1'
q arrays --json; expect "failed disk: its array is degraded" 0 jqt '[.arrays[] | select(.name == "System")][0].degraded'
q events --json --save
expect "events: the failure's text, one JSON object per line" 0 bash -c "[ \$(wc -l <'$work/out') = 1 ] && jq -e '.version == 1 and .type == \"E\" and .text == \"Disk at Controller1-Channel1-Device1 failed.\" and .location == \"Controller1-Channel1-Device1\"' '$work/out' >/dev/null"
q events; expect "events: taken once" 0 out_empty
q log --json; expect "log: the saved event read back" 0 jqt '.version == 1 and ([.entries[] | select(.text == "Disk at Controller1-Channel1-Device1 failed.")] | length) >= 1'
q log --clear; expect "log --clear" 0 out_is "Event log cleared."
q log --json; expect "log after clearing: empty" 0 jqt '.entries == []'

cat >"$work/rebuild.scn" <<'SCN'
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=2 product="QV \"2000\" \\ RAID" manufacturer="Quorvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="QVD-4080"
disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 model="Dr\xE9ve \"x\\y\""
array id=0x201 name="Mirror" level=1 status=0x6 progress=4512 members=0x101,0x102
SCN
sim load "$(winepath -w "$work/rebuild.scn")"
q check; expect "rebuild under way: WARNING, degraded, with its progress" 1 check_line WARNING "array 'Mirror' degraded, rebuilding 45.12%"
q arrays --json; expect "rebuild: task and progress in JSON" 0 jqt '.arrays[0].task == "rebuilding" and .arrays[0].progress == 0.4512'
q metrics
expect "rebuild: progress ratio; quotes, backslash and a Latin-1 byte survive in labels" 0 metrics \
  'v("qvl_array_task_progress_ratio", array="Mirror", task="rebuilding") == 0.4512 and v("qvl_device_failed", model="Dr\u00e9ve \"x\\y\"") == 0 and any(dict(l).get("product") == "QV \"2000\" \\ RAID" for (n, l) in m if n == "qvl_controller_info")'
q list --json
expect "JSON: quotes, backslashes and a Latin-1 byte (as \\u00e9) parse back" 0 pyjson \
  'd["controllers"][0]["product"] == "QV \"2000\" \\ RAID" and "Dr\u00e9ve \"x\\y\"" in [x["model"] for c in d["controllers"][0]["channels"] for x in c["devices"]]'
cat >"$work/degraded.scn" <<'SCN'
capabilities max_controllers=4 features=0x00
controller chip=3 irq=11 channels=2 product="QV-2000" manufacturer="Quorvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="QVD-4080"
disk id=0x102 controller=0 channel=0 position=1 capacity=78165360 model="QVD-4080"
disk id=0x103 controller=0 channel=1 position=0 capacity=78165360 model="QVD-FREE"
array id=0x201 name="Mirror" level=1 status=0x2 members=0x101,0x102
SCN
sim load "$(winepath -w "$work/degraded.scn")"
q check; expect "degraded array: CRITICAL" 2 check_line CRITICAL "array 'Mirror' degraded"
q unplug 0x103 --yes; expect "driver without hot swap: the console's text (1)" 1 err_has "^The device driver doesn't support how-swap\. Please update the driver\.$"

# --- a driver call failing --------------------------------------------------------------------
sim reset
sim inject get_controller_count -1
q check;   expect "controller count fails: UNKNOWN" 3 check_line UNKNOWN "driver cannot be reached"
q list --json; expect "controller count fails: list exits 2, nothing on stdout" 2 out_empty
q metrics; expect "controller count fails: metrics exits 2, stdout says qvl_up 0" 2 bash -c "grep -qx 'qvl_up 0' '$work/out'"
rm -f metrics.prom
q metrics --output metrics.prom; expect "controller count fails: the collector's file says qvl_up 0" 2 bash -c "grep -qx 'qvl_up 0' metrics.prom"
rm -f metrics.prom
sim inject clear
# Without the libraries qvlctl still starts, and says why.
for files in "qvlctl.exe" "qvlctl.exe qvlclient.dll"; do
  alone $files
  dir=$work/alone q check
  expect "only $files: check UNKNOWN, exit 3" 3 check_line UNKNOWN "driver cannot be reached: qvlclient.dll or the driver's qvldev.dll cannot be loaded"
done
# A library without an operation qvlctl calls is refused; one without another operation is used.
for row in get_bay_info:3 test_mail:0; do
  op=${row%%:*} want=${row#*:}
  alone qvlctl.exe qvldev.dll
  # The name keeps its length and its place in the sorted name table.
  perl -0777 -pe "s/cs_qvl_${op}\\0/cs_qvl_${op%?}X\\0/g" qvlclient.dll >"$work/alone/qvlclient.dll"
  cmp -s qvlclient.dll "$work/alone/qvlclient.dll" && bad "cs_qvl_$op not found in qvlclient.dll"
  dir=$work/alone q check
  if [ "$want" = 3 ]; then expect "a library without cs_qvl_$op: check UNKNOWN, exit 3" 3 check_line UNKNOWN "driver cannot be reached: qvlclient.dll lacks an operation"
  else expect "a library without cs_qvl_$op: check OK" 0 check_line OK ""; fi
done
# The console drops what it cannot read; check must not call that OK.
for row in get_driver_capabilities:0 get_logical_devices:0 get_controller_info:3 get_channel_info:3 get_device_info:3; do
  op=${row%%:*} want=${row#*:}
  sim reset
  sim inject "$op" -1
  q list --json
  expect "$op fails: list still answers with whole JSON" 0 jqt '.version == 1'
  q check
  if [ "$want" = 0 ]; then expect "$op fails: check OK (defaults; arrays found through the disks)" 0 check_line OK ""
  else expect "$op fails: check UNKNOWN, naming what cannot be read" 3 check_line UNKNOWN "driver cannot be reached: .* cannot be read"; fi
done
sim reset
sim inject query_remove 1
q unplug 0x115 --yes; expect "query_remove refuses: the console's text, exit 1" 1 err_has "^Device '.+' can't be removed from the system"
sim inject clear; sim inject remove_devices 2
q unplug 0x115 --yes; expect "remove_devices refuses beyond the list: the general text" 1 err_has "^One device can't be removed from the system\. It is possible in use\.$"
sim inject clear; sim inject rescan_devices -1
q rescan; expect "rescan_devices fails: ignored as the console does" 0 out_has "Rescan Devices:"
sim inject clear; sim event 2 0x115; sim inject get_event -1
q events; expect "get_event fails: no event, exit 0" 0 out_empty
sim inject clear
sim reset

# With the console running (its single-instance mutex exists), events warns on stderr.
wine qvlswap.exe RAID </dev/null >/dev/null 2>&1 &
console=$!
for _ in $(seq 300); do q events; grep -q 'qvlswap.exe is running' <<<"$err" && break; sleep 0.1; done
expect "events while the console runs: a warning on stderr" 0 err_has 'qvlswap.exe is running'
kill "$console" 2>/dev/null; wait "$console" 2>/dev/null
for _ in $(seq 50); do q events; [ -z "$err" ] && break; sleep 0.1; done
expect "events without the console: no warning" 0 test -z "$err"

summary

#!/usr/bin/env bash
# Builds everything, then measures the console under Wine on this machine and prints a table of
# medians: start-up and memory beside a minimal window program, reload with tree rebuild on the
# largest system, event conversion and the event log. Not a test: nothing here passes or fails
# on a figure.   Usage: scripts/bench.sh   (QVL_BUILD picks the build folder, as for build.sh)
set -euo pipefail
export QVL_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"

START_RUNS=${QVL_BENCH_START_RUNS:-11}     # process starts of each program
RELOAD_BATCHES=${QVL_BENCH_RELOAD_BATCHES:-7}
RELOAD_CYCLES=${QVL_BENCH_RELOAD_CYCLES:-5}  # a cycle with the tree takes about 0.3 s here
EVENT_BATCHES=${QVL_BENCH_EVENT_BATCHES:-9}  # of 1000 events each
LOG_RUNS=${QVL_BENCH_LOG_RUNS:-5}            # full enumerations of the 10,000-line log

bash "$QVL_ROOT/scripts/build.sh"
trap qvl_stop EXIT
if [ -z "${DISPLAY:-}" ]; then qvl_xvfb_start; fi
qvl_wine_start
# A simulated system of our own, apart from the default one a user or run.sh works with.
export QVLDEV_INSTANCE=bench
unset QVLDEV_SCENARIO
cd "$QVL_BUILD/bin"

echo "bench: start-up, $START_RUNS starts of each program (after one unmeasured start)" >&2
wine qvlsim.exe reset >/dev/null
start=$(wine bench_start.exe "$START_RUNS" 'qvlswap.exe' 'bench_floor.exe' | tr -d '\r')

echo "bench: reload, $RELOAD_BATCHES batches of $RELOAD_CYCLES cycles" >&2
reload=$(wine bench_reload.exe "$(winepath -w "$QVL_ROOT/bench/largest.scn")" "$RELOAD_BATCHES" "$RELOAD_CYCLES" \
  | tr -d '\r')

echo "bench: events, $EVENT_BATCHES batches of 1000 events; $LOG_RUNS enumerations of a 10,000-line log" >&2
events=$(wine bench_events.exe "$EVENT_BATCHES" "$LOG_RUNS" | tr -d '\r')
wine qvlsim.exe reset >/dev/null

field() { awk -v k="$1" -v n="$2" '$1 == k { print $(n + 1) }' <<<"$3"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1fx", a / b; else print "-" }'; }
row() { printf '%-44s %14s %14s %9s\n' "$1" "$2" "$3" "$4"; }

echo
echo "Quorvel Hot-Swap Utility benchmarks ($(nproc) cores, $(wine --version), medians)"
row figure value floor ratio
row "start-up to populated window (ms) [1]" "$(field startup_ms 1 "$start")" "$(field startup_ms 2 "$start")" \
  "$(ratio "$(field startup_ms 1 "$start")" "$(field startup_ms 2 "$start")")"
row "private bytes after start-up (KiB) [2]" "$(field private_kb 1 "$start")" "$(field private_kb 2 "$start")" \
  "$(ratio "$(field private_kb 1 "$start")" "$(field private_kb 2 "$start")")"
row "  the same less the floor (goal: 3,072 KiB)" \
  "$(awk -v a="$(field private_kb 1 "$start")" -v b="$(field private_kb 2 "$start")" 'BEGIN { print a - b }')" "" ""
row "peak pagefile usage after start-up (KiB) [2]" "$(field peak_kb 1 "$start")" "$(field peak_kb 2 "$start")" \
  "$(ratio "$(field peak_kb 1 "$start")" "$(field peak_kb 2 "$start")")"
row "working set after start-up (KiB) [2]" "$(field working_kb 1 "$start")" "$(field working_kb 2 "$start")" \
  "$(ratio "$(field working_kb 1 "$start")" "$(field working_kb 2 "$start")")"
row "DLLs loaded after start-up" "$(field modules 1 "$start")" "$(field modules 2 "$start")" ""
row "Reload + tree rebuild, per cycle (ms) [3]" "$(field reload_ms 1 "$reload")" "$(field reload_ms 2 "$reload")" \
  "$(ratio "$(field reload_ms 1 "$reload")" "$(field reload_ms 2 "$reload")")"
row "Reload + tree + repaint, per cycle (ms) [3]" "$(field reload_ms 3 "$reload")" "$(field reload_ms 2 "$reload")" \
  "$(ratio "$(field reload_ms 3 "$reload")" "$(field reload_ms 2 "$reload")")"
row "Reload + tree + the repaint it leaves (ms) [3]" "$(field reload_ms 6 "$reload")" "$(field reload_ms 2 "$reload")" \
  "$(ratio "$(field reload_ms 6 "$reload")" "$(field reload_ms 2 "$reload")")"
row "  page refresh alone (ms)" "$(field reload_ms 4 "$reload")" "" ""
row "  info panel system view alone (ms)" "$(field reload_ms 5 "$reload")" "" ""
row "  repaint of the unchanged window (ms)" "$(field repaint_ms 1 "$reload")" "" ""
row "    the tree alone (ms)" "$(field repaint_ms 2 "$reload")" "" ""
row "    the information panel alone (ms)" "$(field repaint_ms 3 "$reload")" "" ""
row "cs_qvl_get_log_event, per event (us) [4]" "$(field take_us 1 "$events")" "$(field take_us 2 "$events")" \
  "$(ratio "$(field take_us 1 "$events")" "$(field take_us 2 "$events")")"
row "cs_qvl_enum_event, 10,000 lines (ms) [5]" "$(field enum_ms 1 "$events")" "$(field enum_ms 2 "$events")" \
  "$(ratio "$(field enum_ms 1 "$events")" "$(field enum_ms 2 "$events")")"
row "  the same, per line (us)" "$(field enum_line_us 1 "$events")" "" ""
row "cs_qvl_enum_event, line 0 (ms) [6]" "$(field enum_ends_ms 1 "$events")" "" ""
row "cs_qvl_enum_event, line 9999 (ms) [6]" "$(field enum_ends_ms 2 "$events")" "$(field enum_ms 2 "$events")" \
  "$(ratio "$(field enum_ends_ms 2 "$events")" "$(field enum_ms 2 "$events")")"
echo
echo "Start-up timeline of the console (median ms after CreateProcess; +DLL: first seen there) [7]"
awk '$1 == "timeline" { printf "  %9s  %s", $2, $3; for (i = 4; i <= NF; ++i) printf " %s", $i; print "" }' <<<"$start"
echo "  DLLs the console loads beyond the window-only program:" \
  "$(awk '$1 == "extra_dll" { printf " %s", $2 }' <<<"$start")"
cat <<NOTES

[1] CreateProcess until the visible main window holds a filled device tree (demo system);
    floor: a program that only shows a window. $START_RUNS starts each, alternating.
[2] GetProcessMemoryInfo of the child once started and idle (PROCESS_MEMORY_COUNTERS_EX;
    Wine leaves PrivateUsage zero for another process, so PagefileUsage, the same commit
    charge, stands in); floor: the same window-only program.
[3] In process, largest system (4 controllers, 8 channels, 16 devices); median of
    $RELOAD_BATCHES batches of $RELOAD_CYCLES cycles; floor: Reload of the model alone, no page.
    "with repaint" paints the whole window afterwards; "the repaint it leaves" paints only
    what the reload itself left to paint (a reload that changes nothing leaves nothing).
    The two indented rows split the rebuild: TMainForm::RefreshCurrentPage without enumerating,
    and the information panel's ShowObject(system, nullptr) that the rebuild ends with.
[4] 1000 queued disk and array events a batch, $EVENT_BATCHES batches; floor: the driver calls
    each conversion makes (qvl_get_event and the device reads the simulator recorded for it),
    made directly in the same run.
[5] Every line from index 0 up, $LOG_RUNS run(s) (QVL_BENCH_LOG_RUNS for more); floor: reading
    the same file once (fopen "rt" + fgetc), median of 21. A call that follows on checks the
    file's size and time stamps by name and takes its line from up to 64 KiB read ahead; the
    file is opened only when those run out or anything differs, and nothing is read ahead
    within 3 s of a write (the bench starts after that).
[6] One call, median of 21; a read that does not follow on reads the log from its start, so
    the last line alone costs about one full read of the file (ratio against the floor of [5]).
[7] The console writes these moments to the file QVL_TIMELINE names (set by the bench only);
    "entry" comes after the loader has mapped every imported DLL; "first paint" is the first
    moment no window of the console has anything left to paint. The ready point of [1] is
    polled from outside and may land just before or after "first paint".
NOTES
echo
echo "command: QVL_BUILD=$QVL_BUILD bash $QVL_ROOT/scripts/bench.sh"

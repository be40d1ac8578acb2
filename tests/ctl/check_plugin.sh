#!/usr/bin/env bash
# qvlctl check as monitoring systems read it: hostile names kept on one line of UTF-8, every
# performance-data threshold rated by Monitoring::Plugin against the exit code, a rebuild counted
# as degraded, objects beyond the model's tables reported, and a driver that hangs timed out.
# Usage: check_plugin.sh BIN_DIR
set -u
. "$(dirname "$0")/../support/checks.sh"
bin=$1
cd "$bin"
work=$(mktemp -d)
holder=
trap '[ -n "$holder" ] && rm -f "$work/hold" && wait "$holder"; rm -rf "$work"' EXIT
# q ARGS...: runs qvlctl; stdout in $work/out, stderr in $err, exit code $rc.
q() {
  wine qvlctl.exe "$@" </dev/null >"$work/out" 2>"$work/err"
  rc=$?
  err=$(tr -d '\r' <"$work/err")
}
expect() {
  local label=$1 code=$2; shift 2
  if [ "$rc" != "$code" ]; then bad "$label: exit $rc, want $code ($(head -c 300 "$work/out") $err)"; return; fi
  if [ $# -gt 0 ] && ! "$@"; then bad "$label: $(head -c 400 "$work/out") $err"; return; fi
  ok "$label"
}
out_has() { grep -qF -- "$1" "$work/out"; }
# head_text: the part of the plugin line before its performance data.
head_text() { sed 's/ | .*//' "$work/out"; }
load() { printf '%s\n' "$@" >"$work/s.scn" && sim load "$(winepath -w "$work/s.scn")"; }
mirror() { # mirror NAME STATUS [DISK-WORDS]: one controller, a mirror of two disks
  load 'capabilities max_controllers=4 features=0x09' \
    'controller chip=3 irq=11 channels=2 product="QV-2000" manufacturer="Quorvel"' \
    'channel controller=0 index=0 io=0x1F0 control=0x3F6' 'channel controller=0 index=1 io=0x170 control=0x376' \
    "disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model=\"QVD-4080\" ${3:-}" \
    'disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 model="QVD-4080"' \
    "array id=0x201 name=\"$1\" level=1 status=$2 progress=4512 members=0x101,0x102"
}

# --- names on the plugin line -----------------------------------------------------------------
# name (scenario escapes) | what the line's text must hold
names=(
  'x|failed=0|x/failed=0'
  'a\x0Ab\x0Dc|a b c'
  'Caf\xE9 1;2|Café 1,2'
  'tab\x09\x7Fend|tab  end'
)
for row in "${names[@]}"; do
  name=${row%|*} want=${row##*|}
  mirror "$name" 0x8 disabled=1
  q check
  expect "name '$name': CRITICAL, one line, one ' | ', text holds '$want', valid UTF-8, no ';' in the text" 2 bash -c \
    "[ \$(wc -l <'$work/out') = 1 ] && [ \$(grep -o '|' '$work/out' | wc -l) = 1 ] && grep -qF -- '$want' '$work/out' &&
     iconv -f UTF-8 -t UTF-8 '$work/out' >/dev/null && ! sed 's/ | .*//' '$work/out' | grep -q ';' &&
     ! LC_ALL=C grep -qP '[\x00-\x08\x0B-\x1F\x7F]' '$work/out'"
done

# --- thresholds rated by the plugin library ---------------------------------------------------
# rated: the worst state Monitoring::Plugin gives the performance data (0 OK .. 2 CRITICAL), and
# each label's own
rated() {
  PERF="$(sed 's/^[^|]*| //' "$work/out")" /usr/bin/perl -MMonitoring::Plugin::Performance -e '
    my @p = Monitoring::Plugin::Performance->parse_perfstring($ENV{PERF}) or die "no perfdata";
    my $worst = 0;
    for (@p) { my $s = $_->threshold->get_status($_->value); $worst = $s if $s > $worst; print $_->label, "=", $s, " " }
    print "worst=$worst\n"'
}
# how | check options | exit code
cases=(
  'sim reset||0'
  'mirror M 0x100||1'
  'mirror M 0x100|--tasks ok|0'
  'mirror M 0x200|--tasks=ok|0'
  'mirror M 0x4||1'
  'mirror M 0x6||1'
  'mirror M 0x6|--rebuild critical|2'
  'mirror M 0x2||2'
  'mirror M 0x8 disabled=1||2'
  'mirror M 0x106|--rebuild=critical --tasks ok|2'
)
for row in "${cases[@]}"; do
  IFS='|' read -r how opts code <<<"$row"
  $how
  # shellcheck disable=SC2086
  q check $opts
  got=$(rated 2>&1)
  expect "$how $opts: exit $code and thresholds rate the same ($got)" "$code" grep -q "worst=$code\$" <<<"$got"
done

# --- a rebuild is degraded until it ends ------------------------------------------------------
# status | degraded in JSON and metrics | check text
states=(
  '0x6|true|1|degraded, rebuilding 45.12%'
  '0x2|true|1|degraded (Need rebuilding)'
  '0x4|false|0|duplicating 45.12%'
  '0x100|false|0|verifying 45.12%'
  '0x200|false|0|initializing 45.12%'
  '0x106|true|1|degraded, rebuilding 45.12%'
)
for row in "${states[@]}"; do
  IFS='|' read -r status json prom text <<<"$row"
  mirror Mirror "$status"
  q arrays --json
  expect "status $status: degraded $json in JSON" 0 jq -e ".arrays[0].degraded == $json" "$work/out" >/dev/null
  q metrics
  expect "status $status: qvl_array_degraded $prom" 0 grep -qx "qvl_array_degraded{array=\"Mirror\",id=\"0x201\",level=\"RAID 1\"} $prom" "$work/out"
  q check --tasks warning
  expect "status $status: check says \"$text\"" "$([ "$status" = 0x2 ] && echo 2 || echo 1)" out_has "array 'Mirror' $text"
done
mirror Mirror 0x6
q check
expect "rebuild: the perfdata counts it as rebuilding, not as a fault" 1 bash -c "grep -q ' degraded=0;;0;0; rebuilding=1;0;;0; ' '$work/out'"

# --- objects beyond the model's tables --------------------------------------------------------
# One controller of 20 channels where the driver allows one controller (tables of 8 channels, a
# controller's 16 children), a failed disk on the 17th channel; then a second controller.
wide=('capabilities max_controllers=1 features=0x09' 'controller chip=3 irq=11 channels=20 product="QV-WIDE"')
for c in $(seq 0 19); do wide+=("channel controller=0 index=$c io=0x1F0 control=0x3F6"); done
wide+=('disk id=0x101 controller=0 channel=0 position=0 capacity=78165360'
  'disk id=0x102 controller=0 channel=16 position=0 capacity=78165360 disabled=1')
load "${wide[@]}"
q check
expect "20 channels, room for 8: UNKNOWN naming the 12 dropped" 3 out_has "QVL UNKNOWN - 12 channels dropped"
q list
expect "list: the dropped channels on standard error" 0 grep -q "12 channels not shown" <<<"$err"
q arrays
expect "arrays: the same note" 0 grep -q "12 channels not shown" <<<"$err"
q metrics
expect "metrics: qvl_dropped_objects counts them" 0 bash -c "grep -qx 'qvl_dropped_objects{kind=\"channel\"} 12' '$work/out' && grep -qx 'qvl_dropped_objects{kind=\"controller\"} 0' '$work/out'"
load 'capabilities max_controllers=1 features=0x09' 'controller chip=3 irq=11 channels=1' 'controller chip=3 irq=11 channels=1' \
  'channel controller=0 index=0 io=0x1F0 control=0x3F6' 'channel controller=1 index=0 io=0x1F0 control=0x3F6' \
  'disk id=0x101 controller=1 channel=0 position=0 capacity=78165360 disabled=1'
q check
expect "two controllers, room for one: UNKNOWN naming it" 3 out_has "QVL UNKNOWN - 1 controller dropped"
q metrics
expect "metrics: one controller dropped" 0 grep -qx 'qvl_dropped_objects{kind="controller"} 1' "$work/out"
sim reset
q metrics
expect "demo system: nothing dropped" 0 bash -c "[ \$(grep -c '^qvl_dropped_objects{kind=\"[a-z]*\"} 0\$' '$work/out') = 4 ]"
q list
expect "demo system: list says nothing on standard error" 0 test -z "$err"

# --- options ----------------------------------------------------------------------------------
q check -V
expect "-V: the version, exit 0" 0 grep -qx 'qvlctl check 1\.0\.5\.21' "$work/out"
q check --help
expect "--help: every option, the exit codes and the ranges" 0 bash -c \
  "for w in -t, --timeout --rebuild --tasks -V, 'Exit codes' 'failed=N;;0;0;' 'rebuilding=N;0;;0;'; do grep -qF -- \"\$w\" '$work/out' || exit 1; done"
for bad in "-t 0" "--timeout x" "--rebuild loud" "--tasks critical" "-t"; do
  # shellcheck disable=SC2086
  q check $bad
  expect "check $bad: a usage error, UNKNOWN" 3 grep -q '^QVL UNKNOWN - ' "$work/out"
done

# A driver that hangs: a process holds the simulated driver's lock, so every call waits.
cat >"$work/hold.c" <<'EOF'
#include <windows.h>
int main(int argc, char **argv)
{
    HANDLE m = CreateMutexA(NULL, FALSE, argv[1]);
    WaitForSingleObject(m, INFINITE);
    CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    while (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    ReleaseMutex(m);
    return argc;
}
EOF
i686-w64-mingw32-gcc -o "$work/hold.exe" "$work/hold.c" || bad "the lock holder does not build"
touch "$work/hold"
wine "$work/hold.exe" "qvldev-$QVLDEV_INSTANCE-lock" "$(winepath -w "$work/held")" "$(winepath -w "$work/hold")" </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 600); do [ -e "$work/held" ] && break; sleep 0.1; done
start=$(date +%s)
q check -t 2
took=$(($(date +%s) - start))
expect "a hanging driver, -t 2: UNKNOWN timed out, within 60 s (took $took s)" 3 bash -c \
  "[ \"\$(cat '$work/out')\" = 'QVL UNKNOWN - timed out after 2 s' ] && [ $took -lt 60 ]"
rm -f "$work/hold"
wait "$holder"
holder=
q check --timeout 60
expect "the lock released: OK again" 0 out_has "QVL OK - "

summary

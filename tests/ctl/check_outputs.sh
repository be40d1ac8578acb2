#!/usr/bin/env bash
# qvlctl's outputs on hostile input: control characters in names and texts, an event log with
# unreadable lines, metrics files written by overlapping runs.
# Usage: check_outputs.sh BIN_DIR
set -u
. "$(dirname "$0")/../support/checks.sh"
bin=$1
cd "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
q() {
  wine qvlctl.exe "$@" </dev/null >"$work/out" 2>"$work/err"
  rc=$?
  tr -d '\r' <"$work/out" >"$work/out.lf" && mv "$work/out.lf" "$work/out"
  err=$(tr -d '\r' <"$work/err")
}
expect() {
  local label=$1 code=$2; shift 2
  if [ "$rc" != "$code" ]; then bad "$label: exit $rc, want $code (stderr: $err)"; return; fi
  if [ $# -gt 0 ] && ! "$@"; then bad "$label: $(head -c 400 "$work/out") $(head -c 400 <<<"$err")"; return; fi
  ok "$label"
}
out_has() { grep -qF -- "$1" "$work/out"; }
lines_are() { [ "$(wc -l <"$work/out")" = "$1" ]; }

# --- control characters: one item, one line -----------------------------------------------------
cat >"$work/ctl.scn" <<'SCN'
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=1 product="QV-2000" manufacturer="Quorvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="Two\x0ALi\x09nes"
disk id=0x102 controller=0 channel=0 position=1 capacity=78165360 model="QVD-4080"
array id=0x201 name="Mir\x0Dror" level=1 status=0x6 progress=4512 members=0x101,0x102
SCN
sim load "$(winepath -w "$work/ctl.scn")"
# command | lines | text the escaped name gives
while IFS='|' read -r args n want; do
  q $args
  expect "$args: $n lines, the control characters escaped" 0 bash -c "[ \$(wc -l <'$work/out') = $n ] && grep -qF -- '$want' '$work/out'"
done <<'ROWS'
list|4|Two\x0ALi\x09nes
arrays|2|Mir\x0Dror
ROWS
q show 0x101; expect "show: the model row is one line" 0 bash -c "grep -q '^  Model .*Two.x0ALi.x09nes' '$work/out' && ! grep -q '^Lines' '$work/out'"
q list --json; expect "JSON keeps its own escapes" 0 out_has 'Two\nLi\tnes'

# --- the event log ----------------------------------------------------------------------------
log="$WINEPREFIX/drive_c/windows/qvl.log"
rm -f "$log"
q log; expect "no log: nothing, said on stderr, exit 0" 0 bash -c "[ ! -s '$work/out' ] && grep -q 'no event log' <<<\"\$0\"" "$err"
: >"$log"
q log; expect "an empty log: said on stderr, exit 0" 0 bash -c "[ ! -s '$work/out' ] && grep -q 'is empty' <<<\"\$0\"" "$err"
long=$(printf 'x%.0s' $(seq 700))
# A 700-character first line, 3000 lines, another over-long line among them.
perl -e 'my $l = shift; print "0\tI\t05/21/3 14:02:07\t$l\n";
  for my $i (1..3000) { print "0\tI\t05/21/3 14:02:07\tline $i\n"; print "0\tW\t05/21/3 14:02:08\t$l\n" if $i == 1500 }' "$long" >"$log"
q log
expect "a log with over-long lines: every readable line, exit 1" 1 bash -c "[ \$(wc -l <'$work/out') = 3000 ] && grep -q 'line 1\$' '$work/out' && grep -q 'line 3000\$' '$work/out'"
expect "each unreadable line named on stderr" 1 bash -c "grep -q 'line 1 of the event log cannot be read' <<<\"\$0\" && grep -q 'line 1502 of the event log cannot be read' <<<\"\$0\" && [ \$(grep -c 'cannot be read' <<<\"\$0\") = 2 ]" "$err"
q log --json; expect "log --json: the readable lines, exit 1" 1 bash -c "jq -e '(.entries | length) == 3000' '$work/out' >/dev/null"
rm -f "$log"

# --- metrics ----------------------------------------------------------------------------------
sim reset
sim inject get_controller_count -1
q metrics; expect "driver down: stdout says qvl_up 0, as --output does, exit 2" 2 bash -c "grep -qx 'qvl_up 0' '$work/out'"
sim inject clear
mkdir "$work/prom"
prom=$work/prom/qvl.prom
wine qvlctl.exe metrics --output "$(winepath -w "$prom")" </dev/null >/dev/null 2>&1
# Four writers, three runs each, while a reader looks for the file.
for w in 1 2 3 4; do
  (for _ in 1 2 3; do wine qvlctl.exe metrics --output "$(winepath -w "$prom")" </dev/null >/dev/null 2>>"$work/writers"; echo $? >>"$work/codes"; done) &
done
reads=0 missing=0
while [ "$(wc -l <"$work/codes" 2>/dev/null || echo 0)" -lt 12 ]; do
  reads=$((reads + 1))
  grep -q '^qvl_up 1' "$prom" 2>/dev/null || missing=$((missing + 1))
done
wait
[ "$reads" -gt 0 ] && [ "$missing" = 0 ] && ok "overlapping writers: the file was there in all $reads reads" || bad "overlapping writers: $missing of $reads reads found no whole file"
[ "$(sort -u "$work/codes")" = 0 ] && ok "overlapping writers: every run exits 0" || bad "overlapping writers: exits $(sort -u "$work/codes" | tr '\n' ' ') $(cat "$work/writers")"
[ "$(ls "$work/prom")" = qvl.prom ] && ok "overlapping writers: no temporary file left" || bad "left in the folder: $(ls "$work/prom")"

# --- qvlsim's usage ----------------------------------------------------------------------------
wine qvlsim.exe help </dev/null >"$work/usage" 2>&1
for a in --help -h; do
  wine qvlsim.exe $a </dev/null >"$work/out" 2>&1
  rc=$?
  cmp -s "$work/out" "$work/usage" && [ "$rc" = 0 ] && [ -s "$work/out" ] && ok "qvlsim $a: the usage of qvlsim help" || bad "qvlsim $a: exit $rc, $(head -c 200 "$work/out")"
done

summary

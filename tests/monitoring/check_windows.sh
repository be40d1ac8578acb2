#!/usr/bin/env bash
# The Windows pieces of the bundle under Wine's cmd: qvl-metrics-task.cmd on a host laid out
# as 64-bit Windows has it (qvlctl under "Program Files (x86)", the exporter under the 64-bit
# "Program Files"), with a stand-in schtasks that records its arguments; the task's command
# line is split as the C runtime splits it and run, and its qvl.prom read by promtool. The
# check_qvl line of nsclient.ini is split and run the same way.
# Usage: check_windows.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
. "$src/tests/monitoring/common.sh"
cd "$bin"

# argv TEXT [N]: TEXT split by the C runtime's rules (backslashes count only before a quote),
# one argument per line; with N, the value after the argument N.
argv() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
def split(s):
    out, cur, quoted, i, have = [], "", False, 0, False
    while i < len(s):
        c = s[i]
        if c == "\\":
            n = 0
            while i < len(s) and s[i] == "\\":
                n, i = n + 1, i + 1
            if i < len(s) and s[i] == '"':
                cur += "\\" * (n // 2)
                if n % 2:
                    cur += '"'
                    i += 1
            else:
                cur += "\\" * n
            have = True
            continue
        if c == '"':
            quoted, have = not quoted, True
        elif c in " \t" and not quoted:
            if have:
                out.append(cur)
            cur, have = "", False
        else:
            cur, have = cur + c, True
        i += 1
    if have:
        out.append(cur)
    return out
args = split(sys.argv[1])
if len(sys.argv) > 2:
    args = [args[[a.upper() for a in args].index(sys.argv[2].upper()) + 1]]
print("\n".join(args))
PY
}

# The host: qvlctl where setup puts it on 64-bit Windows, the exporter's default folder.
pf86=$work/pf86 pf64=$work/pf64
mkdir -p "$pf86/Quorvel/Hot-Swap Utility" "$pf64/windows_exporter/textfile_inputs" "$work/run"
cp qvlctl.exe qvlclient.dll qvldev.dll "$pf86/Quorvel/Hot-Swap Utility/"
printf '@echo %%*> "%%~dp0schtasks.args"\r\n' >"$work/run/schtasks.cmd"
sim reset
# The two variables of 64-bit Windows, set the way its cmd has them (Wine takes no variable with
# parentheses in its name from outside).
printf '@echo off\r\nset "ProgramFiles(x86)=%s"\r\nset "ProgramW6432=%s"\r\ncall "%s"\r\n' \
  "$(winepath -w "$pf86")" "$(winepath -w "$pf64")" "$(winepath -w "$src/monitoring/windows/qvl-metrics-task.cmd")" \
  >"$work/run/x64.cmd"
(cd "$work/run" && wine cmd /c x64.cmd) </dev/null >"$work/cmd.out" 2>&1
check "qvl-metrics-task.cmd runs schtasks once$(tr -d '\r' <"$work/cmd.out" | head -3 | sed 's/^/ | /')" test -s "$work/run/schtasks.args"
args=$(tr -d '\r' <"$work/run/schtasks.args")
for want in /Create /F "/RU SYSTEM" "/SC MINUTE" "/MO 1"; do
  check "schtasks gets $want" grep -qiF -- " $want " <<<" $(argv "$args" | tr '\n' ' ')"
done
task=$(argv "$args" /TR)
check "the task's command line fits schtasks's 261 characters (${#task})" test "${#task}" -le 261
mapfile -t run < <(argv "$task")
check "the task runs qvlctl.exe from Program Files (x86): ${run[0]:-}" \
  test "${run[0]:-}" = "$(winepath -w "$pf86")\\Quorvel\\Hot-Swap Utility\\qvlctl.exe"
check "with: metrics --output, the collector's folder\\qvl.prom (${run[*]:1})" \
  test "${run[*]:1}" = "metrics --output $(winepath -w "$pf64")\\windows_exporter\\textfile_inputs\\qvl.prom"
wine "$(winepath -u "${run[0]}")" "${run[@]:1}" </dev/null >/dev/null 2>&1
check "the task's command exits 0" test $? -eq 0
prom=$pf64/windows_exporter/textfile_inputs/qvl.prom
check "it writes qvl.prom into the collector's folder" grep -qx 'qvl_up 1' "$prom"
check "promtool check metrics accepts it" bash -c 'promtool check metrics <"$1" >/dev/null 2>&1' _ "$prom"

# NSClient++: the script entry's command line, split the same way.
line=$(tr -d '\r' <"$src/monitoring/windows/nsclient.ini" | sed -n 's/^check_qvl *= *//p')
mapfile -t run < <(argv "$line")
check "nsclient.ini runs qvlctl.exe where setup installs it: ${run[0]:-}" \
  test "${run[0]:-}" = 'C:\Program Files\Quorvel\Hot-Swap Utility\qvlctl.exe'
check "with the argument check alone (${run[*]:1})" test "${run[*]:1}" = check
wine "$pf86/Quorvel/Hot-Swap Utility/qvlctl.exe" "${run[@]:1}" </dev/null >"$work/check.out" 2>/dev/null
check "so NSClient++ passes on OK and exit 0: $(head -c 60 "$work/check.out")" \
  bash -c '[ $1 -eq 0 ] && grep -q "^QVL OK - " "$2"' _ $? "$work/check.out"

finish

#!/usr/bin/env bash
# qvlctl metrics read by promtool check metrics (the exposition parser and linter Prometheus
# ships): the demo system, a failed disk, a rebuild, names full of what the text format must
# escape, and the file a collector gets while the driver cannot be reached.
# Usage: check_metrics.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
. "$src/tests/monitoring/common.sh"
cd "$bin"

# lint LABEL FILE: promtool accepts FILE without a single complaint.
lint() {
  promtool check metrics <"$2" >"$work/lint" 2>&1
  check "$1$( [ -s "$work/lint" ] && echo " | $(head -3 "$work/lint" | tr '\n' ' ')")" \
    bash -c '[ $? -eq 0 ] && [ ! -s "$1" ]' _ "$work/lint"
}
metrics() { wine qvlctl.exe metrics </dev/null >"$work/out.prom" 2>"$work/err"; }

# The model, array and controller names are as the driver has them, byte for byte: quotes, a
# backslash, line feeds, a carriage return, a tab, "|", and Latin-1 letters.
cat >"$work/hostile.scn" <<'SCN'
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=2 product="QV \"2000\" \\ RAID|x\x0Ay" manufacturer="Qu\xF6rvel \xA9"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="QVD \"4080\"\\|\x0A\xE9"
disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 model="Dr\xE9ve\x0D\x09tab"
disk id=0x103 controller=0 channel=1 position=1 capacity=78165360 model="plain" disabled=1
array id=0x201 name="A\"b\\c\x0Ad|e\xFC" level=1 status=0x6 progress=4512 members=0x101,0x102
SCN
mirror_scenario "$work/rebuild.scn" 0x6 4512

# sample NAME VALUE LABEL=VALUE...: the output has a sample NAME VALUE with these labels among
# its own (in any order, whatever labels more it has)
sample() {
  local name=$1 value=$2; shift 2
  grep -F -- "$name{" "$work/out.prom" | grep -- " $value\$" | {
    local line pair
    while IFS= read -r line; do
      for pair in "$@"; do
        [[ $line == *"{$pair,"* || $line == *"{$pair}"* || $line == *",$pair,"* || $line == *",$pair}"* ]] || continue 2
      done
      return 0
    done
    return 1
  }
}

# case|how the system is made|a sample the output must hold, so that the case is what it says
# (name, value and labels separated by tabs)
cases=(
  $'the demo system|sim reset|qvl_array_info\t1\tarray="Data"\tid="0x210"\tlevel="RAID 1/0"\tstatus="Available"'
  $'a failed disk|sim fail 0x101|qvl_device_failed\t1\tlocation="Controller1-Channel1-Device1"\tmodel="QVD-4080 ATA DISK"\tarray="System"'
  $'a rebuild under way|load_scenario rebuild.scn|qvl_array_task_progress_ratio\t0.4512\tarray="Mirror"\ttask="rebuilding"'
  $'hostile names|load_scenario hostile.scn|qvl_controller_info\t1\tproduct="QV \\"2000\\" \\\\ RAID|x\\ny"\tmanufacturer="Qu\xc3\xb6rvel \xc2\xa9"'
)
for row in "${cases[@]}"; do
  label=${row%%|*} rest=${row#*|}
  how=${rest%%|*}
  IFS=$'\t' read -r -a want <<<"${rest#*|}"
  case $how in load_scenario*) load_scenario "$work/${how#* }" ;; *) $how ;; esac
  metrics
  check "$label: qvlctl metrics exits 0$(tr -d '\r' <"$work/err" | sed 's/^/ | /')" test $? -eq 0
  check "$label: the output is of that system" sample "${want[@]}"
  lint "$label: promtool check metrics accepts it" "$work/out.prom"
done
# The hostile names as they must be written: \" \\ \n escaped, the rest as UTF-8 text.
check "hostile names: quote, backslash, line feed, Latin-1" \
  sample qvl_device_failed 0 $'model="QVD \\"4080\\"\\\\|\\n\xc3\xa9"' $'array="A\\"b\\\\c\\nd|e\xc3\xbc"'
check "hostile names: carriage return and tab as they are" sample qvl_device_spare 0 $'model="Dr\xc3\xa9ve\r\ttab"'

# What a collector's file holds while the driver cannot be reached.
sim reset
sim inject get_controller_count -1
rm -f "$work/qvl.prom"
wine qvlctl.exe metrics --output "$(winepath -w "$work/qvl.prom")" </dev/null >/dev/null 2>&1
check "driver unreachable: metrics --output exits 2" test $? -eq 2
check "driver unreachable: the file says qvl_up 0" grep -qx 'qvl_up 0' "$work/qvl.prom"
lint "driver unreachable: promtool check metrics accepts the file" "$work/qvl.prom"
sim inject clear
sim reset

finish

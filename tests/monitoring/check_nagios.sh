#!/usr/bin/env bash
# A real Nagios 4 scheduler runs qvlctl check through the shipped command and service template
# (monitoring/nagios/qvl.cfg) every second while the simulator gives OK, WARNING, CRITICAL and
# UNKNOWN systems; each state, its text and its performance data are read back from Nagios's
# status.dat, and the performance data parsed by Monitoring::Plugin.
# Usage: check_nagios.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
. "$src/tests/monitoring/common.sh"
cd "$bin"
n=$work/nagios
mkdir -p "$n/checkresults"

# qvlctl is a Windows program: here Wine runs it, on the test's own simulated system. The
# shipped definition names the program in _QVLCTL, so the service points that at this wrapper.
cat >"$n/qvlctl" <<EOF
#!/bin/sh
export WINEPREFIX='$WINEPREFIX' WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES'
export QVLDEV_INSTANCE='$QVLDEV_INSTANCE' QVLDEV_SCENARIO=
cd '$bin' && exec '$(command -v wine)' qvlctl.exe "\$@"
EOF
chmod +x "$n/qvlctl"

echo "\$USER1\$=/usr/lib/nagios/plugins" >"$n/resource.cfg"
cat >"$n/objects.cfg" <<EOF
define timeperiod {
    timeperiod_name 24x7
    alias           always
    sunday          00:00-24:00
    monday          00:00-24:00
    tuesday         00:00-24:00
    wednesday       00:00-24:00
    thursday        00:00-24:00
    friday          00:00-24:00
    saturday        00:00-24:00
}
define command {
    command_name    host-up
    command_line    \$USER1\$/check_dummy 0 "the test's host"
}
define contact {
    contact_name                    nobody
    host_notifications_enabled      0
    service_notifications_enabled   0
    host_notification_period        24x7
    service_notification_period     24x7
    host_notification_commands      host-up
    service_notification_commands   host-up
}
define host {
    host_name           raid1
    address             127.0.0.1
    check_command       host-up
    max_check_attempts  1
    check_interval      3600
    check_period        24x7
    contacts            nobody
}
define service {
    use                 qvl-raid
    host_name           raid1
    contacts            nobody
    _QVLCTL             $n/qvlctl
    check_interval      1
}
EOF
# Everything in the test's folder; intervals in seconds (interval_length=1), checks at once.
cat >"$n/nagios.cfg" <<EOF
cfg_file=$src/monitoring/nagios/qvl.cfg
cfg_file=$n/objects.cfg
resource_file=$n/resource.cfg
log_file=$n/nagios.log
object_cache_file=$n/objects.cache
precached_object_file=$n/objects.precache
status_file=$n/status.dat
lock_file=$n/nagios.lock
temp_file=$n/nagios.tmp
temp_path=$n
check_result_path=$n/checkresults
query_socket=$n/nagios.qh
command_file=$n/nagios.cmd
state_retention_file=$n/retention.dat
nagios_user=$(id -un)
nagios_group=$(id -gn)
interval_length=1
status_update_interval=1
check_result_reaper_frequency=1
service_inter_check_delay_method=n
host_inter_check_delay_method=n
service_interleave_factor=1
max_concurrent_checks=1
check_workers=1
service_check_timeout=120
check_external_commands=0
retain_state_information=0
use_retained_program_state=0
use_retained_scheduling_info=0
enable_notifications=0
enable_flap_detection=0
enable_event_handlers=0
process_performance_data=0
use_syslog=0
EOF

nagios4 -v "$n/nagios.cfg" >"$work/verify" 2>&1
check "nagios4 -v: the shipped definitions with a host and service load without error$(grep -m3 -i 'error' "$work/verify" | sed 's/^/ | /')" \
  grep -q 'Total Errors: *0' "$work/verify"

sim reset
start nagios nagios4 "$n/nagios.cfg"

# field NAME: that field of the RAID service's block in status.dat
field() {
  awk -v want="$1" '/^servicestatus \{/ { on = 1; raid = 0 } on && /^\tservice_description=RAID$/ { raid = 1 }
    on && index($0, "\t" want "=") == 1 { v = substr($0, length(want) + 3) } /^\t\}/ && on { if (raid) print v; on = 0 }' \
    "$n/status.dat" 2>/dev/null
}
# shows STATE TEXT: Nagios's last result of the service is STATE and its text begins with TEXT
shows() { [ "$(field current_state)" = "$1" ] && [[ "$(field plugin_output)" == "$2"* ]]; }

mirror_scenario "$work/verifying.scn" 0x100 1234

# state|code|how the simulator gets there from the case before|text|performance data values
cases=(
  'OK|0|sim reset|QVL OK - 2 controllers, 9 devices, 4 arrays optimal|failed=0 degraded=0 rebuilding=0 tasks=0 attention=0 devices=9 arrays=4'
  'WARNING|1|load_scenario verifying.scn|QVL WARNING - array '\''Mirror'\'' verifying 12.34%|failed=0 degraded=0 rebuilding=0 tasks=1 attention=0 devices=2 arrays=1'
  'CRITICAL|2|sim fail 0x101|QVL CRITICAL - disk Controller1-Channel1-Device1 failed, array '\''Mirror'\'' degraded|failed=1 degraded=1 rebuilding=0 tasks=0 attention=0 devices=2 arrays=1'
  'UNKNOWN|3|sim inject get_controller_count -1|QVL UNKNOWN - driver cannot be reached: the driver does not answer|'
  'UNKNOWN|3|sim inject get_device_info -1|QVL UNKNOWN - driver cannot be reached: 2 device(s) cannot be read|'
)
for row in "${cases[@]}"; do
  IFS='|' read -r state code how text values <<<"$row"
  sim inject clear
  case $how in load_scenario*) load_scenario "$work/${how#* }" ;; *) $how ;; esac
  wait_until 480 shows "$code" "$text"
  check "$state ($how): Nagios shows state $code, \"$text\"$( (($? == 0)) || echo " (status.dat: $(field current_state) $(field plugin_output))")" \
    shows "$code" "$text"
  check "$state: a hard state at the first result" test "$(field state_type)" = 1
  perf=$(field performance_data)
  if [ -z "$values" ]; then
    check "$state: no performance data" test -z "$perf"
    continue
  fi
  # Nagios split the line at "|"; the plugin library reads labels, values and minimum back.
  got=$(PERF="$perf" perl -MMonitoring::Plugin::Performance -e '
    my @p = Monitoring::Plugin::Performance->parse_perfstring($ENV{PERF});
    print join(" ", map { $_->label . "=" . $_->value . (defined $_->min && $_->min == 0 ? "" : "!min") } @p)')
  check "$state: performance data \"$perf\" parses to $values (got: $got)" test "$got" = "$values"
done
sim inject clear
sim reset

finish

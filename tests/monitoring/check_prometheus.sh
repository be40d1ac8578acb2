#!/usr/bin/env bash
# End to end on loopback: qvlctl metrics --output writes qvl.prom into a textfile folder, a real
# node exporter serves it, a real Prometheus scrapes it every second and evaluates the shipped
# rules. The simulator then fails a disk, starts a rebuild, gives hostile names, loses the driver,
# and the file goes stale, unreadable and missing: each shows as its alert in Prometheus's API.
# Usage: check_prometheus.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
. "$src/tests/monitoring/common.sh"
cd "$bin"

textfile=$work/textfile
mkdir -p "$textfile"
prom_file=$textfile/qvl.prom
# write: the scheduled task's run of qvlctl
write() { wine qvlctl.exe metrics --output "$(winepath -w "$prom_file")" </dev/null >/dev/null 2>"$work/write.err"; }

sim reset
write
check "qvlctl metrics --output writes qvl.prom" grep -qx 'qvl_up 1' "$prom_file"

# start_on NAME URL-PATH COMMAND-WITH-@PORT@...: starts a daemon on a free port (a few tries, in
# case another process takes the port first) until URL-PATH answers; sets $port.
start_on() {
  local name=$1 path=$2 try; shift 2
  for try in 1 2 3; do
    port=$(free_port)
    start "$name" "${@//@PORT@/$port}"
    wait_until 240 curl -sf -o /dev/null "http://127.0.0.1:$port$path" && return 0
    grep -q 'address already in use' "$work/$name.log" || break
  done
  bad "$name does not answer on 127.0.0.1:$port$path: $(tail -3 "$work/$name.log")"
  finish
  exit 1
}

# Only the textfile collector: the test needs nothing else of the host.
start_on node-exporter /metrics prometheus-node-exporter --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$textfile" --web.listen-address=127.0.0.1:@PORT@
node=127.0.0.1:$port
curl -sf "http://$node/metrics" >"$work/node.txt"
check "the node exporter serves qvl.prom" grep -qx 'qvl_up 1' "$work/node.txt"

cat >"$work/prometheus.yml" <<EOF
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $src/monitoring/prometheus/qvl-rules.yml
scrape_configs:
  - job_name: node
    static_configs:
      - targets: ['$node']
EOF
start_on prometheus /-/ready prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address=127.0.0.1:@PORT@ --log.level=warn
api=http://127.0.0.1:$port/api/v1

# query_is PROMQL JQ: the instant query's result satisfies JQ
query_is() { curl -sf --data-urlencode "query=$1" "$api/query" | jq -e ".data.result | $2" >/dev/null 2>&1; }
# alert_is NAME STATE JQ: exactly one alert NAME in STATE (pending, firing) satisfies JQ
alert_is() {
  curl -sf "$api/alerts" |
    jq -e --arg n "$1" --arg s "$2" "[.data.alerts[] | select(.labels.alertname == \$n and .state == \$s) | select($3)] | length == 1" >/dev/null 2>&1
}
alerts() { curl -sf "$api/alerts" | jq -c '[.data.alerts[] | {a: .labels.alertname, s: .state}]'; }
# Group evaluations of the rules so far, from Prometheus's own metrics.
evaluations() { curl -sf "http://127.0.0.1:$port/metrics" | awk '/^prometheus_rule_evaluations_total\{.*qvl-raid/ { n += $2 } END { print n + 0 }'; }
evaluated_since() { [ "$(evaluations)" -ge $(($1 + 16)) ]; } # two rounds of the 8 rules

wait_until 240 query_is 'count(qvl_device_failed)' '.[0].value[1] == "9"'
check "Prometheus has the demo system's 9 devices from the textfile" test $? -eq 0
since=$(evaluations)
wait_until 240 evaluated_since "$since"
check "the rules were evaluated twice on that data" test $? -eq 0
curl -sf "$api/rules" >"$work/rules.json"
check "all 8 rules evaluate without error" \
  jqt "$work/rules.json" '[.data.groups[].rules[] | select(.health == "ok")] | length == 8'
check "the healthy demo system raises no alert, pending or firing: $(alerts)" \
  bash -c '[ "$(curl -sf "$1/alerts" | jq ".data.alerts | length")" = 0 ]' _ "$api"

# step LABEL TRIES NAME STATE JQ: waits for the alert, then records the result
step() {
  local label=$1 tries=$2; shift 2
  wait_until "$tries" alert_is "$@"
  check "$label$( (($? == 0)) || echo " (alerts: $(alerts))")" alert_is "$@"
}

sim fail 0x101
write
# The identifier: a label once the device series carry it, the annotation either way.
step "disk failed: QvlDiskFailed fires at once with location, model, array and identifier" 240 QvlDiskFailed firing \
  ".labels.location == \"Controller1-Channel1-Device1\" and .labels.model == \"QVD-4080 ATA DISK\" and .labels.array == \"System\" and .labels.instance == \"$node\" and .labels.severity == \"critical\" and (.labels.id // \"0x101\") == \"0x101\" and .annotations.id == \"0x101\" and (.annotations.summary | contains(\"Controller1-Channel1-Device1\"))"
step "disk failed: its array System is degraded" 40 QvlArrayDegraded firing '.labels.array == "System" and .labels.id == "0x201"'

mirror_scenario "$work/rebuild.scn" 0x6 4512
load_scenario "$work/rebuild.scn"
write
step "rebuild: QvlArrayRebuilding fires with its progress" 240 QvlArrayRebuilding firing \
  '.labels.array == "Mirror" and .labels.severity == "warning" and (.annotations.description | contains("45.12%"))'
wait_until 40 bash -c '! curl -sf "$1/alerts" | jq -e "any(.data.alerts[]; .labels.alertname == \"QvlDiskFailed\")" >/dev/null' _ "$api"
check "rebuild: the replaced disk's alert has ended" test $? -eq 0

# Label values must arrive in Prometheus as the driver's bytes (Latin-1 read as such).
cat >"$work/hostile.scn" <<'SCN'
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=2 product="QV \"2000\" \\ RAID|x\x0Ay" manufacturer="Qu\xF6rvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="QVD \"4080\"\\|\x0A\xE9" disabled=1
disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 model="plain"
array id=0x201 name="A\"b\\c\x0Ad|e\xFC" level=1 status=0x2 members=0x101,0x102
SCN
load_scenario "$work/hostile.scn"
write
step "hostile names: the disk's alert carries its model and array name unchanged" 240 QvlDiskFailed firing \
  '.labels.model == "QVD \"4080\"\\|\né" and .labels.array == "A\"b\\c\nd|eü"'
check "hostile names: the controller's product and maker as stored by Prometheus" \
  query_is 'qvl_controller_info' '.[0].metric.product == "QV \"2000\" \\ RAID|x\ny" and .[0].metric.manufacturer == "Quörvel"'

sim reset
sim inject get_controller_count -1
write
step "driver unreachable: QvlDriverUnreachable (pending its 5 minutes)" 240 QvlDriverUnreachable pending '.labels.instance == "'"$node"'"'
sim inject clear
sim reset
write

touch -d '20 minutes ago' "$prom_file"
step "a file 20 minutes old: QvlTextfileStale names it" 240 QvlTextfileStale firing \
  '(.labels.file | test("(^|/)qvl\\.prom$")) and (.annotations.summary | contains("20m"))'

printf 'qvl_up{ 1\n' >"$prom_file"
step "an unreadable file: QvlTextfileUnreadable (pending)" 240 QvlTextfileUnreadable pending '.labels.instance == "'"$node"'"'
rm -f "$prom_file"
step "no file: QvlTextfileMissing (pending)" 240 QvlTextfileMissing pending '.labels.instance == "'"$node"'"'

finish

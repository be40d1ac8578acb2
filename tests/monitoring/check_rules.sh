#!/usr/bin/env bash
# The monitoring bundle's rules and definitions read by the programs they are written for:
# promtool checks and unit-tests the alerting rules, amtool checks the Alertmanager example and
# routes every alert of the rules, Icinga 2 validates its definitions and assigns the services.
# Usage: check_rules.sh SOURCE_DIR
set -u
src=$1
. "$src/tests/monitoring/common.sh"
rules=$src/monitoring/prometheus/qvl-rules.yml
am=$src/monitoring/alertmanager/qvl-alertmanager.yml

promtool check rules "$rules" >"$work/out" 2>&1
check "promtool check rules: the shipped rules load ($(grep -o '[0-9]* rules found' "$work/out"))" \
  grep -q 'SUCCESS: 8 rules found' "$work/out"
promtool test rules "$src/tests/monitoring/qvl-rules.test.yml" >"$work/out" 2>&1
check "promtool test rules: every case of qvl-rules.test.yml$(grep -q SUCCESS "$work/out" || cat "$work/out")" \
  grep -q SUCCESS "$work/out"

amtool check-config "$am" >"$work/out" 2>&1
check "amtool check-config: the Alertmanager example is valid" grep -q SUCCESS "$work/out"

# Each alert of the rules, with its severity, reaches the receiver for that severity; other
# alerts stay on the default route.
awk '/- alert:/ { name = $3 } /severity:/ && name { print name, $2; name = "" }' "$rules" >"$work/alerts"
check "the rules name 8 alerts, each with a severity" test "$(wc -l <"$work/alerts")" -eq 8
while read -r name severity; do
  case $severity in
    critical) want=storage-pager ;;
    warning) want=storage-mail ;;
    *) want="(no receiver for severity $severity)" ;;
  esac
  got=$(amtool config routes test --config.file="$am" alertname="$name" severity="$severity" instance=raid1:9100 2>/dev/null)
  check "$name ($severity) is routed to $want (got: $got)" test "$got" = "$want"
done <"$work/alerts"
got=$(amtool config routes test --config.file="$am" alertname=NodeDown severity=critical 2>/dev/null)
check "an alert of another system keeps the default route (got: $got)" test "$got" = operations-mail

# Icinga 2: the definitions as a master with an agent zone loads them (zones.d/master), and which
# service each kind of host gets.
ic=$work/icinga2
mkdir -p "$ic/zones.d/master" "$ic/cache"
cp "$src/monitoring/icinga2/qvl.conf" "$ic/zones.d/master/"
cat >"$ic/zones.d/master/hosts.conf" <<'EOF'
object Host "local1" { check_command = "dummy"; vars.qvl = "local" }
object Host "agent1" { check_command = "dummy"; vars.qvl = "local"; vars.qvl_endpoint = "agent1" }
object Host "win1" { address = "192.0.2.1"; check_command = "dummy"; vars.qvl = "nrpe" }
object Host "win2" { address = "192.0.2.2"; check_command = "dummy"; vars.qvl = "nscp"; vars.nscp_api_password = "secret" }
object Host "other" { check_command = "dummy" }
EOF
cat >"$ic/icinga2.conf" <<EOF
const PluginDir = "/usr/lib/nagios/plugins"
const NodeName = "master1"
const ZoneName = "master"
include <itl>
include <plugins>
object Endpoint "master1" { }
object Zone "master" { endpoints = [ "master1" ] }
object Endpoint "agent1" { }
object Zone "agent1" { endpoints = [ "agent1" ]; parent = "master" }
include_zones "qvl", "$ic/zones.d"
EOF
# Its own cache folder and user, so nothing of the system's Icinga is read or written.
icinga=(-DConfiguration.CacheDir="$ic/cache" -DConfiguration.RunAsUser="$(id -un)" -DConfiguration.RunAsGroup="$(id -gn)")
icinga2 daemon -C -c "$ic/icinga2.conf" "${icinga[@]}" >"$work/out" 2>&1
check "icinga2 daemon -C: the Icinga 2 definitions are valid$(grep -m3 critical/config "$work/out" | sed 's/^/ | /')" \
  grep -q 'Finished validating' "$work/out"
icinga2 object list --type Service "${icinga[@]}" >"$work/services" 2>&1
# service NAME: its attributes as "key = value" lines
service() { awk -v n="Object '$1' " 'index($0, n) == 1 { on = 1; next } /^Object / { on = 0 } on' "$work/services"; }
for row in 'local1!raid|check_command = "qvl"|command_endpoint = ""' \
           'agent1!raid|check_command = "qvl"|command_endpoint = "agent1"' \
           'win1!raid|check_command = "nrpe"|nrpe_command = "check_qvl"' \
           'win2!raid|check_command = "nscp_api"|nscp_api_query = "check_qvl"'; do
  IFS='|' read -r name a b <<<"$row"
  check "Icinga 2: $name runs $a, $b, hard at once" \
    bash -c 'grep -qF -- "$1" <<<"$3" && grep -qF -- "$2" <<<"$3" && grep -qF "max_check_attempts = 1" <<<"$3"' _ "$a" "$b" "$(service "$name")"
done
check "Icinga 2: a host without vars.qvl gets no RAID service" test "$(grep -c "^Object '" "$work/services")" -eq 4

# Every alert and every file of the bundle is explained in the help topic and the README.
unexplained=()
for name in $(cut -d' ' -f1 "$work/alerts") $(cd "$src/monitoring" && find . -type f -printf '%f\n'); do
  for doc in help/qvlctl.htm README.md; do
    grep -qF "$name" "$src/$doc" || unexplained+=("$doc: $name")
  done
done
check "help/qvlctl.htm and README.md name every alert and every file of monitoring/${unexplained:+ (not: ${unexplained[*]})}" \
  test ${#unexplained[@]} -eq 0

finish

# Sourced by the monitoring tests: results, the simulator, qvlctl, free loopback ports, waiting
# for a state, and daemons that are stopped however the test ends.
# Needs: $bin (build/bin) where the test uses qvlctl.
passed=0 failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failed=$((failed + 1)); }
# check LABEL COMMAND...: passes when the command succeeds
check() {
  local label=$1; shift
  if "$@"; then ok "$label"; else bad "$label"; fi
}
# jqt FILE EXPRESSION: jq finds EXPRESSION true of FILE
jqt() { jq -e "$2" "$1" >/dev/null 2>&1; }
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

work=$(mktemp -d)
daemons=()
cleanup() {
  local pid
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${daemons[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# start NAME COMMAND...: runs a daemon in the background, its output in $work/NAME.log.
start() {
  local name=$1; shift
  "$@" </dev/null >"$work/$name.log" 2>&1 &
  daemons+=($!)
}

# A loopback port nobody listens on now. The daemon that gets it binds it a moment later;
# a daemon that then finds it taken fails at once and says so in its log.
free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# wait_until TRIES COMMAND...: runs COMMAND every 0.25 s until it succeeds, at most TRIES times.
wait_until() {
  local tries=$1 i; shift
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.25
  done
  return 1
}

sim() { wine "$bin/qvlsim.exe" "$@" </dev/null >"$work/sim.out" 2>&1 || bad "qvlsim $* ($(cat "$work/sim.out"))"; }
# mirror_scenario FILE STATUS PROGRESS [ID]: a scenario of one controller, two disks (0x101,
# 0x102) and the mirror "Mirror" of them (id 0x201 unless given) with that status and progress.
mirror_scenario() {
  cat >"$1" <<SCN
capabilities max_controllers=4 features=0x09
controller chip=3 irq=11 channels=2 product="QV-2000" manufacturer="Quorvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
channel controller=0 index=1 io=0x170 control=0x376
disk id=0x101 controller=0 channel=0 position=0 capacity=78165360 model="QVD-4080"
disk id=0x102 controller=0 channel=1 position=0 capacity=78165360 model="QVD-4080"
array id=${4:-0x201} name="Mirror" level=1 status=$2 progress=$3 members=0x101,0x102
SCN
}
# load_scenario FILE: the simulated system becomes FILE.
load_scenario() { sim load "$(winepath -w "$1")"; }

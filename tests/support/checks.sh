# Sourced by the check scripts that run from BIN_DIR: passed and failed checks counted, qvlsim
# run with its output kept for the message, and the summary as the exit status. The sourcing
# script sets $work, a scratch folder, before it calls sim.
passed=0 failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failed=$((failed + 1)); }
sim() { wine qvlsim.exe "$@" </dev/null >"$work/sim" 2>&1 || bad "qvlsim $* ($(cat "$work/sim"))"; }
summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

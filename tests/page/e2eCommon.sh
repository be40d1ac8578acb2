# Sourced by the end-to-end scripts after they set E2E_NAME (and define fail): the Wine session,
# the folders and the helpers that drive the real console from outside.
export QVL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$QVL_ROOT/scripts/wine-env.sh"
bin="$QVL_BUILD/bin"
out="$QVL_BUILD/e2e"
mkdir -p "$out"
export QVLDEV_INSTANCE=$E2E_NAME QVLDEV_SCENARIO=

for f in qvlswap.exe qvlsim.exe qvlclient.dll qvldev.dll; do
  [ -f "$bin/$f" ] || fail "$bin/$f is missing: build first"
done
probe_exe="$QVL_BUILD/tests/page/e2e_probe.exe"
[ -f "$probe_exe" ] || fail "$probe_exe is missing: build first"

# Under the test script the display and the wineserver are there already and stay for the
# other tests; run alone, a script brings up its own and stops them again.
console_pid=
own_session=
cleanup() {
  if [ -n "$console_pid" ] && kill -0 "$console_pid" 2>/dev/null; then kill "$console_pid" 2>/dev/null || true; fi
  if [ -n "$own_session" ]; then qvl_stop; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  own_session=1
  qvl_xvfb_start
  qvl_wine_start
fi

qvlsim() { (cd "$bin" && wine ./qvlsim.exe "$@"); }
# What the console shows: "selected" (the tree's selection, "Controller 1/Channel 1/MODEL", or
# "(system)"), "nodes" (how many the tree holds) or "panel-title" (a digest of the information
# panel's title strip).
probe() { wine "$probe_exe" "$1" </dev/null 2>/dev/null | tr -d '\r'; }

# Waits, about a minute at most, until `probe WHAT` answers $2 (or, with "!", anything but $3).
# Every wait in these scripts is for a state the console shows, never for a time.
wait_probe() {
  local got
  for _ in $(seq 300); do
    got=$(probe "$1")
    if [ "$2" = "!" ]; then [ -n "$got" ] && [ "$got" != "$3" ] && return 0
    else [ "$got" = "$2" ] && return 0; fi
    sleep 0.2
  done
  echo "$E2E_NAME: waited for $1 ${*:2}, last read '$got'" >&2
  return 1
}
# The tree holds $1 nodes: the console has filled (or rebuilt) it.
wait_nodes() { wait_probe nodes "$1"; }
wait_selected() { wait_probe selected "$1"; }

# Keys as a person types them: one at a time, a tenth of a second apart.
press() { # KEY [COUNT]
  for _ in $(seq "${2:-1}"); do xdotool key --clearmodifiers "$1"; sleep 0.1; done
}

# A click on the tree's first node (the system). Two clicks closer than the double-click time
# are a double click, which folds the system's branch, so a click waits for that time (and a
# margin) to pass since the one before; how fast the machine is changes nothing.
double_click_ms=
last_click_ms=0
click_tree() {
  [ -n "$double_click_ms" ] || double_click_ms=$(wine "$probe_exe" double-click </dev/null 2>/dev/null | tr -d '\r')
  local now gap
  now=$(date +%s%3N)
  gap=$(( ${double_click_ms:-500} + 250 - (now - last_click_ms) ))
  if [ "$gap" -gt 0 ]; then sleep "$(awk -v ms="$gap" 'BEGIN { print ms / 1000 }')"; fi
  xdotool mousemove --window "$main" 40 108 click 1
  last_click_ms=$(date +%s%3N)
}
# The first window whose title is exactly $1, within about a minute (slow under emulation).
wait_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
gone_window() {
  for _ in $(seq 100); do
    xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# Gives window $1 the X input focus and waits until it has it. Without a window manager,
# activation requests are refused and the focus falls to nothing when a box closes, so keys
# typed then would be lost.
focus_window() {
  for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    xdotool windowfocus "$1" 2>/dev/null || true
    sleep 0.1
  done
  return 1
}
# Starts the console and waits for its main window ($main); if none comes, says why from
# what Wine printed.
start_console() {
  (cd "$bin" && exec wine ./qvlswap.exe) </dev/null >"$out/$E2E_NAME.console.log" 2>&1 &
  console_pid=$!
  main=$(wait_window "Quorvel Hot-Swap Utility") || {
    kill -0 "$console_pid" 2>/dev/null || echo "$E2E_NAME: the console ended" >&2
    tail -20 "$out/$E2E_NAME.console.log" >&2
    fail "no main window"
  }
}
# File, Exit by its mnemonics; the console must end within ten seconds.
exit_by_menu() {
  focus_window "$main" || fail "the main window did not take the focus before Exit"
  xdotool key alt+f x
  for _ in $(seq 100); do kill -0 "$console_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$console_pid" 2>/dev/null && fail "the console did not end after Exit"
  console_pid=
}

# Sourced by the run and test scripts: a private 32-bit Wine prefix under build/, a persistent
# wineserver and, where no display is given, a virtual X display.
: "${QVL_ROOT:?}"
export QVL_BUILD="${QVL_BUILD:-$QVL_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$QVL_BUILD/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

qvl_quiet() { "$@" </dev/null >/dev/null 2>&1; }

# Starts Xvfb on a free display and exports DISPLAY; remembers the pid for qvl_stop.
qvl_xvfb_start() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
  QVL_XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  [ -s "$fdfile" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -1 "$fdfile")"
  rm -f "$fdfile"
}

# A prefix may be wiped and made again only when it is the build's own, when these scripts made
# it (.qvl-made, written before anything else goes in) or when it holds nothing: WINEPREFIX may
# name a developer's own prefix, which is never ours to delete.
qvl_prefix_ours() {
  [ ! -e "$WINEPREFIX" ] && return 0
  [ -d "$WINEPREFIX" ] || return 1
  [ -f "$WINEPREFIX/.qvl-made" ] && return 0
  [ -z "$(ls -A "$WINEPREFIX")" ] && return 0
  [ "$(cd "$WINEPREFIX" && pwd -P)" = "$(cd "$QVL_BUILD" 2>/dev/null && pwd -P)/wineprefix" ]
}

# Makes the prefix once (fonts, window frames so that keys work), then starts a persistent
# wineserver and primes it, so that each Wine process starts in a fraction of a second.
qvl_wine_start() {
  if [ ! -f "$WINEPREFIX/.qvl-ready" ]; then
    if ! qvl_prefix_ours; then
      echo "wine-env: $WINEPREFIX is a Wine prefix these scripts did not make; it is left alone." >&2
      echo "wine-env: unset WINEPREFIX to use $QVL_BUILD/wineprefix, or name a new or empty folder." >&2
      return 1
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    touch "$WINEPREFIX/.qvl-made"
    qvl_quiet wineboot -i ||
      { echo "wine-env: wineboot failed: Wine cannot start here (try: wine --version; scripts/setup.sh)" >&2; return 1; }
    qvl_quiet wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    qvl_quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    qvl_quiet wineserver -w
    touch "$WINEPREFIX/.qvl-ready"
  fi
  qvl_quiet wineserver -p || true # already running for this prefix: use it
  qvl_quiet wine wineboot
}

qvl_stop() {
  qvl_quiet wineserver -k || true
  if [ -n "${QVL_XVFB_PID:-}" ]; then kill "$QVL_XVFB_PID" 2>/dev/null || true; fi
}

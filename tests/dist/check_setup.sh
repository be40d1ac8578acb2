#!/usr/bin/env bash
# The installer qvlswap-setup.exe, run silently under Wine in a throw-away copy of the test
# prefix: its version record, what it installs with and without the demonstration system, that a
# driver's qvldev.dll (in the target folder or in the system folder) is never replaced or
# removed, the start with Windows (only where a qvldev.dll is there to load, for all users like
# the Start menu), what a silent setup writes to its log, and that the uninstaller takes away
# everything it installed and nothing else: a running console, the demonstration system's state
# and its own copy in %TEMP% included.
# Usage: check_setup.sh BIN_DIR   (WINEPREFIX: a ready test prefix, as scripts/test.sh makes it)
set -u
bin=$(cd "$1" && pwd)
setup="$bin/qvlswap-setup.exe"
passed=0 failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failed=$((failed + 1)); }
check() { # LABEL COMMAND...
  local label=$1; shift
  if "$@"; then ok "$label"; else bad "$label"; fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }

[ -s "$setup" ] || { bad "$setup exists"; finish; }
export WINEPREFIX="${WINEPREFIX:-$(dirname "$bin")/wineprefix}" WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
[ -f "$WINEPREFIX/system.reg" ] || { bad "a ready Wine prefix at $WINEPREFIX"; finish; }

# --- the version record of the setup program, as Windows shows it --------------------------
version() { exiftool -s3 -"$2" "$1"; }
check "setup ProductName" test "$(version "$setup" ProductName)" = "Quorvel Hot-Swap Utility"
check "setup CompanyName" test "$(version "$setup" CompanyName)" = "Quorvel Storage Systems"
check "setup version numbers are the console's" test \
  "$(version "$setup" FileVersionNumber)/$(version "$setup" ProductVersionNumber)" = \
  "$(version "$bin/qvlswap.exe" FileVersionNumber)/$(version "$bin/qvlswap.exe" ProductVersionNumber)"
check "setup version is 1.0.5.21, product version text 1.0" test \
  "$(version "$setup" FileVersion)/$(version "$setup" ProductVersion)" = "1.0.5.21/1.0"
check "setup LegalCopyright is the console's" test \
  "$(version "$setup" LegalCopyright)" = "$(version "$bin/qvlswap.exe" LegalCopyright)"

# --- a private prefix, so that nothing here touches the other tests' registry or system folder
work=$(mktemp -d)
shared_prefix=$WINEPREFIX
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k </dev/null >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
cp -a "$shared_prefix" "$work/prefix" 2>/dev/null || { bad "copy of the Wine prefix"; finish; }
export WINEPREFIX="$work/prefix"
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
c="$WINEPREFIX/drive_c"
sys="$c/windows/system32"
mkdir -p "$c/qvltest"

install() { # WINDOWS_DIR [SWITCHES...]: silent setup into C:\qvltest\WINDOWS_DIR, its log in
  # C:\qvltest\WINDOWS_DIR.log
  local dir=$1; shift
  (cd "$work" && wine "$setup" /S "$@" "/LOG=C:\\qvltest\\$dir.log" "/D=C:\\qvltest\\$dir" </dev/null >/dev/null 2>&1)
}
setup_log() { tr -d '\r' <"$c/qvltest/$1.log" 2>/dev/null; }
no_driver_note="Quorvel Hot-Swap Utility cannot start until the controller's driver is installed. Install the controller's driver, or run setup again and choose the demonstration system."
log_has() { setup_log "$1" | grep -qxF "$2"; }
says_no_driver() { setup_log "$1" | grep -qF "$no_driver_note"; }
quiet_about_driver() { [ -s "$c/qvltest/$1.log" ] && ! says_no_driver "$1"; }
uninstall() { # DIR: runs its uninstaller and waits until it has removed itself (it reruns
  # itself from a temporary copy, so the first process ends at once)
  local dir=$1
  [ -f "$c/qvltest/$dir/uninstall.exe" ] || return 1
  (cd "$work" && wine "C:\\qvltest\\$dir\\uninstall.exe" /S </dev/null >/dev/null 2>&1)
  for _ in $(seq 150); do
    [ -f "$c/qvltest/$dir/uninstall.exe" ] || { sleep 0.5; return 0; }
    sleep 0.2
  done
  return 1
}
reg_value() { # KEY VALUE: the data, or nothing when absent
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v v="$2" 'index($0, "    " v "    ") == 1 { sub("^    " v "    REG_[A-Z_]+    ", ""); print }'
}
no_key() { ! wine reg query "$1" </dev/null >/dev/null 2>&1; }
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
user_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() { reg_value "$1" 'Quorvel Hot-Swap Utility'; }
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel Hot-Swap Utility'
own_key='HKLM\Software\Quorvel'
# The Start-menu folders of the utility, wherever Wine keeps the (all users') Start menu.
menus() { find "$c" -type d -path '*Start Menu/Programs/Quorvel Hot-Swap Utility' 2>/dev/null; }
shortcuts() { local m; m=$(menus); [ "$(echo "$m" | grep -c .)" -eq 1 ] && ls "$m" | sort | tr '\n' '|'; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
common_programs=$(unix_path "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' 'Common Programs')")
user_programs=$(unix_path "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Programs)")
menu_for_all_users() {
  [ -n "$common_programs" ] && [ -d "$common_programs/Quorvel Hot-Swap Utility" ] &&
    [ ! -e "$user_programs/Quorvel Hot-Swap Utility" ]
}
temp=$(unix_path "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")
[ -n "$temp" ] && [ -d "$temp" ] || { bad "the Wine user's %TEMP% folder"; finish; }
# Not the uninstaller's: a copy that another program's uninstaller left must stay.
mkdir -p "$temp/~nsuX.tmp"
temp_copies() { local f; for f in "$temp"/~nsu*.tmp; do [ -e "$f" ] && [ "${f##*/}" != '~nsuX.tmp' ] && echo "$f"; done; }
no_temp_copy() { # the uninstaller's copy in %TEMP% goes once that copy has ended
  for _ in $(seq 150); do
    [ -z "$(temp_copies)" ] && return 0
    sleep 0.2
  done
  return 1
}
# The simulated library's state of an instance, wherever that library keeps it.
states() { find "$c" -name "qvldev-$1.state" 2>/dev/null; }
state_made() { # INSTANCE DIR: the qvlsim in DIR run on INSTANCE (default: unset, as for the console)
  local as=(env QVLDEV_INSTANCE="$1")
  [ "$1" = default ] && as=(env -u QVLDEV_INSTANCE)
  (cd "$2" && "${as[@]}" wine ./qvlsim.exe show </dev/null >/dev/null 2>&1) && [ -n "$(states "$1")" ]
}
same_file() { cmp -s "$1" "$2"; }
listing() { (cd "$1" 2>/dev/null && ls | sort | tr '\n' ' '); }

# --- 1. the default choice: utility, Start menu, start with Windows; no demonstration system -
install Default
d="$c/qvltest/Default"
check "default: the folder holds exactly the utility, its library, the help and the uninstaller" \
  test "$(listing "$d")" = "QSWAP.CHM qvlclient.dll qvlctl.exe qvlswap.exe uninstall.exe "
for f in qvlswap.exe qvlclient.dll qvlctl.exe QSWAP.CHM; do
  check "default: $f is the built one" same_file "$d/$f" "$bin/$f"
done
check "default: installed qvlswap.exe has version 1.0.5.21" test "$(version "$d/qvlswap.exe" FileVersion)" = "1.0.5.21"
check "default: without any qvldev.dll, no Run value (the console could not load at logon)" \
  test -z "$(run_value "$run_key")$(run_value "$user_run_key")"
check "default: Start menu has the utility, its help and the uninstaller" test "$(shortcuts)" = \
  "Quorvel Hot-Swap Utility Help.lnk|Quorvel Hot-Swap Utility.lnk|Uninstall Quorvel Hot-Swap Utility.lnk|"
check "default: the Start menu folder is the all users' one" menu_for_all_users
check "default: Add/Remove Programs entry with the version" \
  test "$(reg_value "$uninst_key" DisplayVersion)/$(reg_value "$uninst_key" Publisher)" = "1.0.5.21/Quorvel Storage Systems"
check "default: uninstall string names the uninstaller" \
  test "$(reg_value "$uninst_key" UninstallString)" = '"C:\qvltest\Default\uninstall.exe"'
check "default: the silent log names the installation" \
  log_has Default 'Quorvel Hot-Swap Utility 1.0.5.21 installed in C:\qvltest\Default.'
check "default: without any qvldev.dll, the silent log says the driver must come first" says_no_driver Default
check "default: a state file of the default instance, made by the built qvlsim" state_made default "$bin"

check "default: the uninstaller ends" uninstall Default
check "default: no copy of the uninstaller is left in %TEMP%" no_temp_copy
check "default: without the demonstration system, the state file is not the uninstaller's to remove" \
  test -n "$(states default)"
states default | while read -r f; do rm -f "$f"; done
check "default: the program folder is gone" test ! -e "$d"
check "default: the throw-away root that setup did not make stays" test -d "$c/qvltest"
check "default: the Run value is gone" test -z "$(run_value "$run_key")"
check "default: the Start menu folder is gone" test -z "$(menus)"
check "default: the Add/Remove Programs entry is gone" no_key "$uninst_key"
check "default: setup's own registry key is gone" no_key "$own_key"

# --- 2. the demonstration system, chosen on the command line; no autostart, no shortcuts ----
install Demo /DEMO /NOAUTOSTART /NOSHORTCUTS
d="$c/qvltest/Demo"
check "demo: the folder also holds qvldev.dll and qvlsim.exe" \
  test "$(listing "$d")" = "QSWAP.CHM qvlclient.dll qvlctl.exe qvldev.dll qvlsim.exe qvlswap.exe uninstall.exe "
check "demo: qvldev.dll is the simulated one" same_file "$d/qvldev.dll" "$bin/qvldev.dll"
check "demo: qvlsim.exe is the built one" same_file "$d/qvlsim.exe" "$bin/qvlsim.exe"
check "demo: the installed qvlsim shows the demonstration system" \
  bash -c "cd '$d' && wine ./qvlsim.exe show </dev/null 2>/dev/null | grep -q '^controller '"
check "demo: the installed qvlsim keeps the default instance's state" state_made default "$d"
check "demo: and another instance's" state_made other "$d"
check "demo: /NOAUTOSTART leaves no Run value" test -z "$(run_value "$run_key")$(run_value "$user_run_key")"
check "demo: /NOSHORTCUTS leaves no Start menu folder" test -z "$(menus)"
check "demo: with the simulated library, no note about the driver" quiet_about_driver Demo

# The console running (as it does when it starts with Windows): the uninstaller ends it first,
# so that nothing it holds stays behind.
(cd "$d" && exec wine ./qvlswap.exe) </dev/null >/dev/null 2>&1 &
console=$!
console_up() {
  for _ in $(seq 150); do
    xdotool search --name '^Quorvel Hot-Swap Utility$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
console_gone() { ! kill -0 "$console" 2>/dev/null; }
check "demo: the console runs from the program folder" console_up
check "demo: the uninstaller ends" uninstall Demo
check "demo: the running console was asked to exit and did" console_gone
check "demo: the program folder is gone, demonstration system included" test ! -e "$d"
check "demo: no copy of the uninstaller is left in %TEMP%" no_temp_copy
check "demo: the default instance's state file is gone" test -z "$(states default)"
check "demo: another instance's state file stays" test -n "$(states other)"
install Demo /DEMO /NOAUTOSTART /NOSHORTCUTS
check "demo again: no stale qvldev.dll is taken for a driver's, the demonstration system goes in" \
  same_file "$d/qvldev.dll" "$bin/qvldev.dll"
check "demo again: qvlsim.exe too" test -f "$d/qvlsim.exe"
check "demo again: the uninstaller ends" uninstall Demo
check "demo again: the program folder is gone" test ! -e "$d"

# --- 3. a driver's qvldev.dll in the target folder: kept, demonstration system skipped --------
d="$c/qvltest/Driver"
mkdir -p "$d"
printf 'the controller driver library\n' >"$d/qvldev.dll"
cp "$d/qvldev.dll" "$work/driver.dll"
install Driver /DEMO
check "driver here: its qvldev.dll is untouched" same_file "$d/qvldev.dll" "$work/driver.dll"
check "driver here: no qvlsim.exe" test ! -e "$d/qvlsim.exe"
check "driver here: the utility is installed" test -f "$d/qvlswap.exe"
check "driver here: the driver's library is found, no note about it" quiet_about_driver Driver
check "driver here: the uninstaller ends" uninstall Driver
check "driver here: only the driver's qvldev.dll is left" test "$(listing "$d")" = "qvldev.dll "
check "driver here: and it is untouched" same_file "$d/qvldev.dll" "$work/driver.dll"
rm -rf "$d"

# --- 4. the demonstration system first, then a driver in the system folder: setup run again
# takes the simulated library out (it would be loaded in place of the driver's) --------------
install Later /DEMO
d="$c/qvltest/Later"
check "later: the demonstration system went in" test -f "$d/qvldev.dll" -a -f "$d/qvlsim.exe"
check "later: its state file" state_made default "$d"
cp "$work/driver.dll" "$sys/qvldev.dll"
install Later /DEMO
check "later: with the driver's library in the system folder, the simulated one is gone" \
  test ! -e "$d/qvldev.dll" -a ! -e "$d/qvlsim.exe"
check "later: its state file went with it" test -z "$(states default)"
check "later: the system folder's qvldev.dll is untouched" same_file "$sys/qvldev.dll" "$work/driver.dll"
check "later: the utility is still installed" test -f "$d/qvlswap.exe" -a -f "$d/QSWAP.CHM"
check "later: the uninstaller ends" uninstall Later
check "later: the program folder is gone" test ! -e "$d"
check "later: the system folder's qvldev.dll survives the uninstaller" same_file "$sys/qvldev.dll" "$work/driver.dll"

# --- 5. a driver in the system folder from the start: nothing of the demonstration system ----
install Sys /DEMO
d="$c/qvltest/Sys"
check "system driver: no qvldev.dll or qvlsim.exe in the program folder" \
  test "$(listing "$d")" = "QSWAP.CHM qvlclient.dll qvlctl.exe qvlswap.exe uninstall.exe "
check "system driver: the uninstaller ends" uninstall Sys
check "system driver: the program folder is gone" test ! -e "$d"
rm -f "$sys/qvldev.dll"

# --- 6. the start with Windows: written only where the console finds a qvldev.dll to load, for
# all users like the Start-menu entries, and taken away by the uninstaller; a value that earlier
# versions wrote for the installing user goes too ----------------------------------------------
noautostart_note="Quorvel Hot-Swap Utility is not started with Windows yet: run setup again once the controller's driver is installed."
# folder     driver's qvldev.dll  switches       Run value  note in the log
while read -r dir driver switches run note; do
  d="$c/qvltest/$dir"
  [ "$switches" = - ] && switches=
  case $driver in
    system) cp "$work/driver.dll" "$sys/qvldev.dll" ;;
    folder) mkdir -p "$d" && cp "$work/driver.dll" "$d/qvldev.dll" ;;
  esac
  wine reg add "$user_run_key" /v 'Quorvel Hot-Swap Utility' /d '"C:\old\qvlswap.exe" RAID' /f </dev/null >/dev/null 2>&1
  install "$dir" $switches
  want=; [ "$run" = yes ] && want="\"C:\\qvltest\\$dir\\qvlswap.exe\" RAID"
  check "$dir: Run value for all users: ${want:-none}" test "$(run_value "$run_key")" = "$want"
  check "$dir: no Run value for the installing user alone" test -z "$(run_value "$user_run_key")"
  check "$dir: the Start menu folder is the all users' one" menu_for_all_users
  if [ "$note" = yes ]; then
    check "$dir: the silent log says the start with Windows waits for the driver" log_has "$dir" "$noautostart_note"
  else
    check "$dir: nothing in the log about the start with Windows" bash -c "! grep -qF 'not started with Windows' '$c/qvltest/$dir.log'"
  fi
  check "$dir: the uninstaller ends" uninstall "$dir"
  check "$dir: the Run value is gone" test -z "$(run_value "$run_key")"
  check "$dir: the Start menu folder is gone" test -z "$(menus)"
  check "$dir: no copy of the uninstaller is left in %TEMP%" no_temp_copy
  case $driver in
    system) check "$dir: the system folder's qvldev.dll is untouched" same_file "$sys/qvldev.dll" "$work/driver.dll" ;;
    folder) check "$dir: the driver's qvldev.dll is untouched" same_file "$d/qvldev.dll" "$work/driver.dll" ;;
  esac
  rm -rf "$d" "$sys/qvldev.dll"
done <<'EOF'
NoDriver     none     -              no   yes
WithDemo     none     /DEMO          yes  no
SysDriver    system   -              yes  no
DirDriver    folder   /DEMO          yes  no
NoAuto       system   /NOAUTOSTART   no   no
EOF
check "a copy in %TEMP% that is not the uninstaller's stays" test -d "$temp/~nsuX.tmp"

# --- 7. a console that cannot be asked to exit (stopped): the uninstaller ends all the same,
# and whatever of ours it could not remove is left for the restart, never passed over ---------
install Stuck /DEMO /NOAUTOSTART /NOSHORTCUTS
d="$c/qvltest/Stuck"
(cd "$d" && exec wine ./qvlswap.exe) </dev/null >/dev/null 2>&1 &
console=$!
check "stuck: the console runs" console_up
kill -STOP "$console" 2>/dev/null
check "stuck: the uninstaller ends" uninstall Stuck
pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
  </dev/null 2>/dev/null | tr -d '\r')
left_for_restart() {
  local f
  for f in $(listing "$d"); do
    grep -qiF "qvltest\\Stuck\\$f" <<<"$pending" || { echo "     $f stays and is not left for the restart"; return 1; }
  done
}
check "stuck: every file left behind is removed at the restart" left_for_restart
check "stuck: no copy of the uninstaller is left in %TEMP%" no_temp_copy
kill -CONT "$console" 2>/dev/null

finish

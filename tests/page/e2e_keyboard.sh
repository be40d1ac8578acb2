#!/usr/bin/env bash
# End to end with the keyboard only (no mouse): the real qvlswap.exe under Wine and Xvfb with the
# demo system. Home and Down select the disk in the drive rack, Del unplugs it; after qvlsim plug,
# F5 rescans and End reaches the new disk, Shift+F10 opens the tree's context menu and U unplugs
# it; Alt+F, X exits.
# Run: QVL_BUILD=build bash tests/page/e2e_keyboard.sh   (after a build)
set -euo pipefail
E2E_NAME=e2e_keyboard
fail() { echo "e2e_keyboard: $*" >&2; import -window root "$out/e2e_keyboard_failed.png" 2>/dev/null || true; exit 1; }
. "$(dirname "$0")/e2eCommon.sh"

# The result box of an unplug, closed with Enter; $1 says which unplug it was.
accept_box() {
  local box
  box=$(wait_window "Information") || fail "no Information box after $1"
  focus_window "$box" || fail "the box did not take the focus"
  press Return
  gone_window "Information" || fail "the Information box did not close after $1"
  focus_window "$main" || fail "the main window did not take the focus"
}

qvlsim reset >/dev/null || fail "qvlsim reset failed"
qvlsim show | grep -q '^disk id=0x115 ' || fail "the demo system has no disk 0x115"

start_console
# Keys typed before the window has the X input focus are lost, and keys typed before the tree
# is filled (18 nodes on the demonstration system) find nothing: wait for both.
wait_nodes 18 || fail "the tree was not filled"
focus_window "$main" || fail "the main window did not take the focus"

# The tree has the focus and nothing selected: Home selects the system, then 15 x Down the
# rack disk.
press Home
wait_selected "(system)" || fail "Home selected nothing"
press Down 15
wait_selected "Controller 2/Channel 3/QVD-6120 ATA DISK" || fail "the rack disk is not selected"
press Delete
accept_box "Del"
if qvlsim show | grep -q '^disk id=0x115 '; then fail "disk 0x115 is still in the system after Del"; fi
wait_nodes 17 || fail "the tree was not rebuilt without the unplugged disk"

# A new disk, found by F5; End selects it (the last node: controller 2, channel 4, slave).
new_id=$(qvlsim plug controller=1 channel=3 position=1 model='"QVD-9000 PLUGGED"' | tr -d '\r' | tail -1)
[ -n "$new_id" ] || fail "qvlsim plug gave no identifier"
focus_window "$main" || fail "the main window did not take the focus before F5"
press F5
wait_nodes 18 || fail "F5 did not bring the plugged disk into the tree"
focus_window "$main" || fail "the main window lost the focus during the rescan"
press End
wait_selected "Controller 2/Channel 4/QVD-9000 PLUGGED" || fail "End did not reach the plugged disk"

# Shift+F10: the context menu; U chooses its Unplug.
press shift+F10
import -window root "$out/e2e_keyboard_menu.png" || true
press u
accept_box "the context menu's Unplug"
if qvlsim show | grep -qi "^disk id=$new_id "; then fail "the plugged disk $new_id was not unplugged"; fi

# Exit from the File menu by its mnemonics ends the program.
exit_by_menu
echo "e2e_keyboard: ok"

#!/usr/bin/env bash
# End to end: the real qvlswap.exe under Wine and Xvfb with the demo system. Selects the free
# disk in the drive rack with the keyboard, unplugs it from the File menu, reads the result box
# by its title, and checks with qvlsim that the disk is gone. Screenshots of the main window
# with the disk selected and of the result box land in $QVL_BUILD/e2e/.
# Run: QVL_BUILD=build-page bash tests/page/e2e_unplug.sh   (after a build)
set -euo pipefail
E2E_NAME=e2e_unplug
fail() { echo "e2e_unplug: $*" >&2; import -window root "$out/e2e_unplug_failed.png" 2>/dev/null || true; exit 1; }
. "$(dirname "$0")/e2eCommon.sh"

qvlsim reset >/dev/null || fail "qvlsim reset failed"
qvlsim show | grep -q '^disk id=0x115 ' || fail "the demo system has no disk 0x115"

start_console
# The demonstration system fills the tree with 18 nodes: the system, 2 controllers, 6 channels,
# 9 devices. Nothing is clicked or typed before that.
wait_nodes 18 || fail "the tree was not filled"

# Into the tree: a click on its first node, then down the fully expanded tree to the 16th
# node, the disk in the drive rack on controller 2, channel 3.
focus_window "$main" || fail "the main window did not take the focus"
click_tree
wait_selected "(system)" || fail "a click on the first node did not select the system"
press Home
press Down 15
wait_selected "Controller 2/Channel 3/QVD-6120 ATA DISK" || fail "the rack disk is not selected"
import -window root "$out/e2e_unplug_selected.png" || fail "no screenshot"
device_title=$(probe panel-title)
[ -n "$device_title" ] || fail "the information panel cannot be read"

# File, Unplug: the second entry of the File menu.
press alt+f
press Down
press Return
box=$(wait_window "Information") || {
  import -window root "$out/e2e_unplug_failed.png" || true
  fail "no Information box (see $out/e2e_unplug_failed.png)"
}
import -window root "$out/e2e_unplug_box.png" || true
focus_window "$box" || fail "the box did not take the focus"
press Return
gone_window "Information" || fail "the Information box did not close"

if qvlsim show | grep -q '^disk id=0x115 '; then fail "disk 0x115 is still in the system"; fi
wait_nodes 17 || fail "the tree was not rebuilt without the unplugged disk"
xdotool search --name "^Quorvel Hot-Swap Utility\$" >/dev/null || fail "the main window is gone"

# Back into the tree at node N (from 1, the root) of the fully expanded tree, which must then
# show the selection $2.
select_node() {
  focus_window "$main" || fail "the main window did not take the focus"
  click_tree
  wait_selected "(system)" || fail "a click on the first node did not select the system"
  press Home
  [ "$1" -gt 1 ] && press Down $(($1 - 1))
  wait_selected "$2" || fail "node $1 is not '$2'"
}
no_box_within() { # SECONDS: neither result box shows up
  for _ in $(seq $(($1 * 10))); do
    xdotool search --name '^(Information|Warning)$' >/dev/null 2>&1 && return 1
    sleep 0.1
  done
  return 0
}

# A member of the mirror "System" (node 4: controller 1, channel 1, master): Unplug is disabled,
# so choosing it does nothing and the disk stays. First that it is selected and that the panel
# shows a device (the title the rack disk had, not the system's that was shown before it).
select_node 1 "(system)"
wait_probe panel-title ! "$device_title" || fail "the panel shows the same title for the system and a disk"
select_node 4 "Controller 1/Channel 1/QVD-4080 ATA DISK"
wait_probe panel-title "$device_title" || fail "the panel does not show the selected array member"
press alt+f
press Down
press Return
no_box_within 2 || fail "Unplug acted on an array member"
press Escape 2
qvlsim show | grep -q '^disk id=0x101 ' || fail "the array member left the system"

# A disk plugged in shows up after Rescan Devices (the first entry of the File menu): it is the
# last node, controller 2, channel 4, slave, and can be unplugged from there.
new_id=$(qvlsim plug controller=1 channel=3 position=1 model='"QVD-9000 PLUGGED"' | tr -d '\r' | tail -1)
[ -n "$new_id" ] || fail "qvlsim plug gave no identifier"
focus_window "$main" || fail "the main window did not take the focus"
press alt+f
press Return
wait_nodes 18 || fail "the plugged disk was not in the tree after Rescan Devices"
select_node 18 "Controller 2/Channel 4/QVD-9000 PLUGGED"
import -window root "$out/e2e_plugged_selected.png" || true
press alt+f
press Down
press Return
box=$(wait_window "Information") || fail "no Information box after the plugged disk's Unplug"
focus_window "$box" || fail "the box did not take the focus"
press Return
gone_window "Information" || fail "the Information box did not close"
if qvlsim show | grep -qi "^disk id=$new_id "; then fail "the plugged disk $new_id was not unplugged"; fi

# A disk fails: the error box comes with the next poll (3 s).
qvlsim fail 0x111 >/dev/null || fail "qvlsim fail refused"
box=$(wait_window "Error") || fail "no Error box within a poll after a disk failed"
import -window root "$out/e2e_error_box.png" || true
focus_window "$box" || fail "the box did not take the focus"
press Return
gone_window "Error" || fail "the Error box did not close"

# Exit from the File menu ends the program.
exit_by_menu
echo "e2e_unplug: ok (screenshots in $out)"

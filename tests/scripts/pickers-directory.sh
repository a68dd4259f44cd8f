#!/usr/bin/env bash
# The folder picker driven by mouse and keyboard through ortkcall: the drive
# list dropped down, two folders opened by double-clicks, OK with Return.
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"

start_picker "Choose a Folder" selectdirectory "Choose a Folder" 260 || exit 1
dialog_units 244 105
click_at 36 18 # drop the drive list down
screenshot pickers-directory-drives.png
xdotool key Escape
sleep 0.3
click_at 110 22 # the root row of the tree, to give it the focus
type_in_tree maps
double_click_selected 83 14 91 61
type_in_tree sub
double_click_selected 83 14 91 61
screenshot pickers-directory.png
xdotool key Return
expect_output "folder session" "result=19
directory=m:\\maps\\sub folder\\" "$(finish_picker)"

# A folder opened, then the Cancel button: nothing is returned.
start_picker "Cancel Me" selectdirectory "Cancel Me" 4 || exit 1
dialog_units 244 105
click_at 110 22
type_in_tree data
double_click_selected 83 14 91 61
click_at 211 30 # Cancel
expect_output "cancelled session" "result=0
directory=" "$(finish_picker)"

rm -rf "$work"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# The folder picker driven by mouse and keyboard through ortkcall: the drive
# list dropped down, two folders opened by double-clicks, OK with Return.
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"
tree=(83 14 91 61) root_row=(110 22)

start_picker "Choose a Folder" 244 105 selectdirectory "Choose a Folder" 260 || exit 1
click_at 36 18 # drop the drive list down
screenshot pickers-directory-drives.png
xdotool key Escape
sleep 0.3
click_at "${root_row[@]}" # the root, which gives the tree the focus
# maps is the root's last folder, sub folder the last one in maps.
open_with End && open_with End
screenshot pickers-directory.png
xdotool key Return
expect_output "folder session" "result=19
directory=m:\\maps\\sub folder\\" "$(finish_picker)"

# A folder opened (data, after .hidden and café müller), then the Cancel
# button: nothing is returned.
start_picker "Cancel Me" 244 105 selectdirectory "Cancel Me" 4 || exit 1
click_at "${root_row[@]}"
open_with Down Down Down
click_at 211 30 # Cancel
expect_output "cancelled session" "result=0
directory=" "$(finish_picker)"
end_session

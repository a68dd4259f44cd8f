#!/usr/bin/env bash
# The multiple table picker driven by mouse and keyboard through ortkcall:
# a table added from m:\maps with "Add File" and
# one from m:\data by double-click, then "Open".
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"
tree=(3 19 125 127) root_row=(40 24)
list_windows='c:\ortk-session-list.txt'
list_unix="$WINEPREFIX/drive_c/ortk-session-list.txt"
rm -f "$list_unix"

start_picker "Open Multiple Tables" 326 265 selectmultipletables 4 "$list_windows" || exit 1
click_at "${root_row[@]}"
open_with End # maps, the root's last folder
# Click the first table, move down twice to roads.tab, then "Add File".
click_at 180 23
xdotool key Down Down
sleep 0.3
click_at 138 156
# Back to the root, open data (after .hidden and café müller), double-click
# its first table.
click_at "${root_row[@]}"
open_with Home
open_with Down Down Down
click_at 180 23 --repeat 2 --delay 80
screenshot pickers-tables.png
click_at 245 255 # Open
expect_output "table session" 'result=1
view=1
line=m:\maps\roads.tab
line=m:\data\parcels.tab' "$(finish_picker)"

# Escape cancels: result 0, the view of the last "Open" of this process (none
# yet in this new process: 0), and the list file is left alone.
start_picker "Open Multiple TVF Files" 326 265 selectmultipletables 1 "$list_windows" || exit 1
xdotool key Escape
expect_output "cancelled session" 'result=0
view=0
line=m:\maps\roads.tab
line=m:\data\parcels.tab' "$(finish_picker)"
rm -f "$list_unix"

# A list file that cannot be written: "Open" shows a real warning box, then
# the dialog ends as cancelled with the view chosen.
start_picker "Open Multiple Tables" 326 265 selectmultipletables 4 'm:\no\list.txt' || exit 1
click_at 245 255 # Open
timeout 20 xdotool search --sync --onlyvisible --name '^WriteSelectedFileNamesToStorage$' >/dev/null ||
  fail "no warning box for the unwritable list file"
xdotool key Return
expect_output "unwritable list file" 'result=0
view=1' "$(finish_picker)"
end_session

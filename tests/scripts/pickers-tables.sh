#!/usr/bin/env bash
# The multiple table picker driven by mouse and keyboard through ortkcall:
# the drive list dropped down, a table added from m:\maps with "Add File" and
# one from m:\data by double-click, then "Open"; the list file is checked
# byte for byte.
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"
tree=(3 19 125 127) root_row=(40 24)
list_windows='c:\ortk-session-list.txt'
list_unix="$WINEPREFIX/drive_c/ortk-session-list.txt"
rm -f "$list_unix"

start_picker "Open Multiple Tables" 326 265 selectmultipletables 4 "$list_windows" || exit 1
click_at 57 9 # drop the drive list down
screenshot pickers-tables-drives.png
xdotool key Escape
sleep 0.3
click_at "${root_row[@]}"
open_folders 1019 'archive.tab|rivers.tab|roads.tab|towns.tab' maps
# Click the first table, move down twice to roads.tab, then "Add File".
click_at 180 23
xdotool key Down Down
sleep 0.3
click_at 138 156
# Back to the root, open data, double-click its first table.
open_root
open_folders 1019 'parcels.tab|roads.tab' data
click_at 180 23 --repeat 2 --delay 80
screenshot pickers-tables.png
click_at 245 255 # Open
expect_output "table session" 'result=1
view=1
line=m:\maps\roads.tab
line=m:\data\parcels.tab' "$(finish_picker)"
expect_output "list file bytes" '6d3a5c6d6170735c726f6164732e7461620d0a6d3a5c646174615c7061726365'\
'6c732e7461620d0a' "$(od -An -tx1 "$list_unix" | tr -d ' \n')"

# Escape cancels: result 0, the view of the last "Open" of this process (none
# yet in this new process: 0), and the list file is left alone.
start_picker "Open Multiple TVF Files" 326 265 selectmultipletables 1 "$list_windows" || exit 1
xdotool key Escape
expect_output "cancelled session" 'result=0
view=0
line=m:\maps\roads.tab
line=m:\data\parcels.tab' "$(finish_picker)"

rm -f "$list_unix"
rm -rf "$work"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# The multiple table picker driven by mouse and keyboard through ortkcall:
# the drive list dropped down, a table added from m:\maps with "Add File" and
# one from m:\data by double-click, then "Open"; the list file is checked
# byte for byte.
set -uo pipefail
source "$(dirname "$0")/pickers-session.inc"

list_windows='c:\ortk-session-list.txt'
list_unix="$WINEPREFIX/drive_c/ortk-session-list.txt"
rm -f "$list_unix"

start_picker "Open Multiple Tables" selectmultipletables 4 "$list_windows" || exit 1
dialog_units 326 265
click_at 57 9 # drop the drive list down
screenshot pickers-tables-drives.png
xdotool key Escape
sleep 0.3
click_at 40 24 # the root row of the tree
type_in_tree maps
double_click_selected 3 19 125 127
# archive.tab, rivers.tab, roads.tab, towns.tab: click the first, move down
# twice to roads.tab, then "Add File".
click_at 180 23
xdotool key Down Down
sleep 0.3
click_at 138 156
# Back to the root with Home, open data, double-click its first table.
click_at 40 24
xdotool key Home
sleep 0.3
double_click_selected 3 19 125 127
type_in_tree data
double_click_selected 3 19 125 127
double_click_at 180 23
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
start_picker "Open Multiple TVF Files" selectmultipletables 1 "$list_windows" || exit 1
dialog_units 326 265
xdotool key Escape
expect_output "cancelled session" 'result=0
view=0
line=m:\maps\roads.tab
line=m:\data\parcels.tab' "$(finish_picker)"

rm -f "$list_unix"
rm -rf "$work"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Drives, folders and files for the picker tests:
#   m:  fixed disk with the test tree (mixed case, hidden folders, names
#       ending in .tab, a deep chain near the 259-character limit, a folder
#       with thousands of tables, names outside ASCII);
#   r:  removable, n: network, o: CD-ROM, each with a folder or two;
#   q:  CD-ROM whose medium is missing: listed, but cannot be made current.
# Drive types are read when the wineserver starts, so the server is stopped
# after the registry is written, then started again persistent with the
# prefix's services already running. The services are started with their
# output on /dev/null: started later by the first test program, they would
# inherit its output pipe and keep the test runner waiting for it to close.
set -euo pipefail
source "$(dirname "$0")/../wine-env.sh"

data="$WINEPREFIX/pickers-data"
rm -rf "$data"
mkdir -p "$data"

fixed="$data/fixed"
mkdir -p "$fixed/Maps/Sub Folder" "$fixed/Maps/Archive.TAB" "$fixed/Maps/.Hidden Maps"
mkdir -p "$fixed/Data/Parcels" "$fixed/EMPTY" "$fixed/.hidden" "$fixed/Café Müller"
touch "$fixed/Maps/Roads.TAB" "$fixed/Maps/rivers.tab" "$fixed/Maps/Towns.Tab"
touch "$fixed/Maps/notes.txt" "$fixed/Maps/Roads.DAT" "$fixed/Maps/Lakes.TVF"
touch "$fixed/Data/Roads.tab" "$fixed/Data/Parcels.tab" "$fixed/Data/Survey.TVF"
touch "$fixed/Maps/Sub Folder/Deep.tab" "$fixed/Café Müller/Straße.tab"
touch "$fixed/Data/Parcels/Plot.tab"

# Thousands of tables in one folder.
mkdir -p "$fixed/Many"
(cd "$fixed/Many" && printf 'table%04d.tab\0' $(seq 1 3000) | xargs -0 touch)

# A chain of folders whose last one has a path of 250 characters with its
# final backslash (m:\Deep\ plus 26 levels of nine characters and one of
# eight). Inside it: a table whose full path just fits (259 characters), one
# whose full path is one character too long, a folder whose path just fits
# (259 with the final backslash) and one that would need 260.
deep="$fixed/Deep"
windows_length=8 # m:\Deep\
for i in $(seq -w 1 26); do
  deep="$deep/level${i}x"
  windows_length=$((windows_length + 9))
done
deep="$deep/lastone"
windows_length=$((windows_length + 8))
mkdir -p "$deep/Fits8Dir" "$deep/TooDeep12"
touch "$deep/fits9.tab" "$deep/over10.tab"
echo "$windows_length" >"$data/deep-length"

# A folder whose name alone is 240 characters, holding one table.
long="$fixed/Long$(printf 'n%.0s' $(seq 236))"
mkdir -p "$long"
touch "$long/Wide.TAB"

removable="$data/removable"
mkdir -p "$removable/Field Data"
touch "$removable/Field Data/Wells.tab"
network="$data/network"
mkdir -p "$network/Shared/Projects"
touch "$network/Shared/Boundaries.tab"
cdrom="$data/cdrom"
mkdir -p "$cdrom/Atlas"
touch "$cdrom/Atlas/World.tab"

devices="$WINEPREFIX/dosdevices"
ln -sfn "$fixed" "$devices/m:"
ln -sfn "$removable" "$devices/r:"
ln -sfn "$network" "$devices/n:"
ln -sfn "$cdrom" "$devices/o:"
ln -sfn "$data/no-medium" "$devices/q:"
# /reg:64: a 32-bit reg.exe (the 32-bit test machine) would otherwise write
# the 32-bit view of HKLM\Software, where Wine does not read drive types.
for entry in m:=hd r:=floppy n:=network o:=cdrom q:=cdrom; do
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v "${entry%%=*}" /d "${entry#*=}" /f /reg:64 >/dev/null 2>&1
done
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

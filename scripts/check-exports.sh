#!/usr/bin/env bash
# Static checks of the 32-bit build, which cannot run on this kernel: PE
# headers, the exact export table and the imported DLLs.
set -uo pipefail
dll=$1
exe=$2
status=0
fail() { echo "exports: $*"; status=1; }

dump=$(i686-w64-mingw32-objdump -p "$dll") || { echo "cannot read $dll"; exit 1; }
grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$dll")" || fail "not a 32-bit PE"
grep -qE '^Characteristics.*' <<<"$dump" && grep -q 'DLL' <<<"$dump" || fail "not flagged as a DLL"

expected=$(sed '/^#/d;/^$/d' "$(dirname "$0")/../tests/exports-win32.txt" | sort)
actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&/^\t\[/{print $NF} f&&/^$/{f=0}' <<<"$dump" | sort)
if [ "$expected" != "$actual" ]; then
  fail "export table differs"
  diff <(echo "$expected") <(echo "$actual")
fi

for module in "$dll" "$exe"; do
  imports=$(i686-w64-mingw32-objdump -p "$module" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
  for name in $imports; do
    case $name in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|msvcrt.dll|ole32.dll) ;;
      api-ms-win-*) ;;
      *) fail "$(basename "$module") imports $name" ;;
    esac
  done
done
[ $status -eq 0 ] && echo "exports: 32-bit export table and imports as expected"
exit $status

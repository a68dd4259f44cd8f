#!/usr/bin/env bash
# Static checks of the built DLLs. The 32-bit one cannot run on this kernel,
# so its PE headers, exact export table and imports are read with objdump;
# the 64-bit one and the test programs get the same export and import checks.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
fail() { echo "exports: $*"; status=1; }

expected_exports() { sed '/^#/d;/^$/d' tests/exports-win32.txt | sed "s/YAJPBD@Z/$1/" | sort; }

actual_exports() {
  awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&/^\t\[/{print $NF} f&&/^$/{f=0}' <<<"$1" | sort
}

# The names a module imports from ortk232.dll.
imported_from_library() { # objdump output
  awk '/DLL Name:/{f = tolower($3) == "ortk232.dll"; getline; next} f&&NF==0{f=0} f{print $NF}' <<<"$1" | sort
}

check_imports() { # objdump, module
  local name dump missing
  dump=$("$1" -p "$2")
  for name in $(awk '/DLL Name:/{print tolower($3)}' <<<"$dump" | sort -u); do
    case $name in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|msvcrt.dll) ;;
      ole32.dll|version.dll|comdlg32.dll) ;;
      # A client linked through the import library: every name it imports
      # must be one that the DLL beside it exports.
      ortk232.dll)
        missing=$(comm -23 <(imported_from_library "$dump") \
          <(actual_exports "$("$1" -p "$(dirname "$2")/ortk232.dll")"))
        [ -z "$missing" ] || fail "$(basename "$2") imports names ortk232.dll lacks:" $missing ;;
      *) fail "$(basename "$2") imports $name" ;;
    esac
  done
}

check_dll() { # objdump, dll, magic, machine, decorated suffix
  local dump
  dump=$("$1" -p "$2") || { fail "cannot read $2"; return; }
  grep -qE "^Magic[[:space:]]+$3" <<<"$dump" || fail "$2: optional header magic is not $3"
  grep -q "file format $4" <<<"$dump" || fail "$2: not $4"
  local characteristics
  characteristics=$(awk '/^Characteristics/{print $2; exit}' <<<"$dump")
  (( characteristics & 0x2000 )) || fail "$2: not flagged as a DLL"
  grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || fail "$2: subsystem is not Windows GUI"
  if [ "$(expected_exports "$5")" != "$(actual_exports "$dump")" ]; then
    fail "$2: export table differs from tests/exports-win32.txt"
    diff <(expected_exports "$5") <(actual_exports "$dump")
  fi
  check_imports "$1" "$2"
}

check_dll i686-w64-mingw32-objdump build/win32/ortk232.dll 010b pei-i386 YAJPBD@Z
for exe in build/win32/ortkcall.exe build/win32/ortk_soak.exe; do
  check_imports i686-w64-mingw32-objdump "$exe"
done
check_dll x86_64-w64-mingw32-objdump build/win64/ortk232.dll 020b pei-x86-64 YAJPEBD@Z
for exe in build/win64/*.exe; do
  check_imports x86_64-w64-mingw32-objdump "$exe"
done
[ -f build/win32/libortk232.dll.a ] || fail "no 32-bit import library"

[ $status -eq 0 ] && echo "exports: PE headers, export tables and imports as expected"
exit $status

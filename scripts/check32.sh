#!/usr/bin/env bash
# The rest of the Windows tests against the 32-bit build, in the 32-bit
# machine (scripts/vm32.sh) on an Xvfb display, in one boot: the in-process
# tests and the dialogs (pickers, splash screen, About box), the German locale
# run and the real-input sessions through the 32-bit ortkcall.exe.
# Screenshots go to build/screenshots/win32.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/vm32.sh image || { echo "check32: the 32-bit machine is not available"; exit 1; }
for file in build/win32/ortk232.dll build/win32/ortkcall.exe build/win32/ortk_win_tests.exe build/win32/ortk_gui_tests.exe; do
  [ -f "$file" ] || { echo "check32: $file is missing (make win32)"; exit 1; }
done
shots=$top/build/screenshots/win32
rm -rf "$shots"
mkdir -p "$shots" build/vm32
list=build/vm32/check32.list
env="export ORTK_WIN_BUILD=build/win32 ORTK_SCREENSHOTS=$shots;"
{
  # The 32-bit Wine loses a program's standard output once a thread other
  # than the main one has started a Unix program (the dialog tests' screenshots
  # do): the results are also written as XML.
  for program in ortk_win_tests ortk_gui_tests; do
    rm -f "build/vm32/$program.xml"
    echo "$env cd build/win32 && timeout 1800 \"\$WINE\" $program.exe --gtest_output=xml:../vm32/$program.xml"
  done
  for script in tests/scripts/transform-locale.sh tests/scripts/pickers-*.sh tests/scripts/splash.sh; do
    echo "$env timeout 900 bash $script"
  done
} >"$list"
log=build/vm32/check32.log
start=$SECONDS
bash scripts/vm32.sh run --x "$list" >"$log" 2>&1
status=$?
grep -E '^(--- |vm32: |ok: |FAIL|splash: |transform-locale: )|^\[ *(PASSED|FAILED|==========) *\]|Failure$|^[^ ]*:[0-9]+: ' "$log"
for program in ortk_win_tests ortk_gui_tests; do
  xml=build/vm32/$program.xml
  if [ -f "$xml" ]; then
    echo "$program: $(grep -o -m1 '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*"' "$xml" | tr -d '<"')"
    awk '/<testcase /{match($0, /name="[^"]*"/); name=substr($0, RSTART + 6, RLENGTH - 7);
      match($0, /classname="[^"]*"/); suite=substr($0, RSTART + 11, RLENGTH - 12)}
      /<failure /{print "  FAILED " suite "." name}' "$xml" | sort -u
  else
    echo "$program: no results ($xml missing)"
  fi
done
echo "check32: guest run took $((SECONDS - start)) s (output: $log, screenshots: build/screenshots/win32)"
# The release package's 32-bit clients and the 32-bit soak, in a boot of their own.
bash scripts/check-dist32.sh || status=1
[ $status -eq 0 ] && echo "check32: passed" || echo "check32: FAILED"
exit $status

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
  echo "$env cd build/win32 && timeout 1800 \"\$WINE\" ortk_win_tests.exe"
  echo "$env cd build/win32 && timeout 1800 \"\$WINE\" ortk_gui_tests.exe"
  for script in tests/scripts/transform-locale.sh tests/scripts/pickers-*.sh tests/scripts/splash.sh; do
    echo "$env timeout 900 bash $script"
  done
} >"$list"
log=build/vm32/check32.log
start=$SECONDS
bash scripts/vm32.sh run --x "$list" >"$log" 2>&1
status=$?
grep -E '^(--- |vm32: |ok: |FAIL|splash: |transform-locale: )|^\[ *(PASSED|FAILED|==========) *\]|Failure$|^[^ ]*:[0-9]+: ' "$log"
echo "check32: guest run took $((SECONDS - start)) s (output: $log, screenshots: build/screenshots/win32)"
# The release package's 32-bit clients and the 32-bit soak, in a boot of their own.
bash scripts/check-dist32.sh || status=1
[ $status -eq 0 ] && echo "check32: passed" || echo "check32: FAILED"
exit $status

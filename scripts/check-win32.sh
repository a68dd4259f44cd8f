#!/usr/bin/env bash
# The 32-bit DLL as a 32-bit host loads it, in the 32-bit machine
# (scripts/vm32.sh), in one boot: every test that loads build/win32/ortk232.dll
# and calls its exports by name, and the transform cross-check of ortk-fit
# against the 32-bit ortkcall.exe. Fails, with the reason, when the machine
# cannot be built or booted.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/vm32.sh image || { echo "check-win32: the 32-bit machine is not available"; exit 1; }
for file in build/win32/ortk232.dll build/win32/ortkcall.exe build/win32/ortk_dll_tests.exe build/native/ortk-fit; do
  [ -f "$file" ] || { echo "check-win32: $file is missing (make native win32)"; exit 1; }
done
bash tests/scripts/transform-crosscheck.sh win32 prepare || exit 1

mkdir -p build/vm32
list=build/vm32/check-win32.list
cat >"$list" <<LIST
cd build/win32 && timeout 1200 "\$WINE" ortk_dll_tests.exe
timeout 1200 bash tests/scripts/transform-crosscheck.sh win32 fits
LIST
log=build/vm32/check-win32.log
start=$SECONDS
bash scripts/vm32.sh run --x "$list" >"$log" 2>&1
run_status=$?
# The test programs' summaries and failures; the whole output is in the log.
grep -E '^(--- |vm32: )|^\[ *(PASSED|FAILED|==========) *\]|Failure$|^[^ ]*:[0-9]+: ' "$log"
echo "check-win32: guest run took $((SECONDS - start)) s (output: $log)"
bash tests/scripts/transform-crosscheck.sh win32 compare
compare_status=$?
[ $run_status -eq 0 ] && [ $compare_status -eq 0 ]

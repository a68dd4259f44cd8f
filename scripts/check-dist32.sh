#!/usr/bin/env bash
# The 32-bit half of the package test, in the emulated 32-bit machine
# (scripts/vm32.sh), in one boot: the four 32-bit clients built from the
# unpacked zip by check-dist.sh (MinGW and MSVC format, C and C++) run beside
# the packaged 32-bit DLL, then the soak of that DLL on the guest's display.
#   check-dist32.sh [ROUNDS]   ROUNDS: soak rounds, 10,000 by default: about
#   3.5 minutes under software emulation on an idle host, several times that
#   on a busy one (the 64-bit soak of check-dist.sh takes ROUNDS as well).
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-10000}
bash scripts/vm32.sh image || { echo "check-dist32: the 32-bit machine is not available"; exit 1; }
bash scripts/check-dist.sh --build-only >build/dist-test.log 2>&1 ||
  { cat build/dist-test.log; echo "check-dist32: building the clients failed"; exit 1; }
mkdir -p build/vm32
list=build/vm32/check-dist32.list
{
  for kind in mingw-c mingw-cpp msvc-c msvc-cpp; do
    echo "cd build/dist-test/package && timeout 600 \"\$WINE\" bin/win32/client-$kind.exe"
  done
  # No window manager on the guest's display either (see check-dist.sh).
  echo "\"\$WINE\" reg add 'HKCU\\Software\\Wine\\AppDefaults\\ortk_soak.exe\\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; cd build/dist-test/soak-win32 && start=\$(date +%s) && timeout 14400 \"\$WINE\" ortk_soak.exe $rounds; status=\$?; echo \"soak: exit status \$status after \$((\$(date +%s) - start)) s\"; exit \$status"
} >"$list"
log=build/vm32/check-dist32.log
start=$SECONDS
ORTK_VM_TIMEOUT=${ORTK_VM_TIMEOUT:-18000} bash scripts/vm32.sh run --x "$list" >"$log" 2>&1
status=$?
grep -vE '^ok   ' "$log"
echo "check-dist32: guest run took $((SECONDS - start)) s (output: $log)"
[ $status -eq 0 ] && echo "check-dist32: passed" || echo "check-dist32: FAILED"
exit $status

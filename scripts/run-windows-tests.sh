#!/usr/bin/env bash
# Runs the Windows test programs of build/win64 under wine64 on a private Xvfb
# display, with the test prefix prepared and one wineserver kept alive for the
# whole run.
#
#   scripts/run-windows-tests.sh            # every test program, then every
#                                           # session script of tests/scripts
#   scripts/run-windows-tests.sh ortk_gui_tests [tests/scripts/splash.sh ...]
#
# Exit status 0 only when everything that ran passed. With
# ORTK_STOP_AT_FIRST_FAILURE set, the run ends at the first item that fails
# (a planted fault's run needs no more than one failure).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

programs=(ortk_win_tests ortk_gui_tests ortk_dll_tests)
if [ $# -eq 0 ]; then
  items=("${programs[@]}")
  for script in tests/scripts/*.sh; do
    [ -e "$script" ] && items+=("$script")
  done
else
  items=("$@")
fi

trap stop_private_display EXIT
start_private_display || { echo "run-windows-tests: Xvfb did not start"; exit 1; }
wine_prefix_ready
# Preparing the prefix takes half a minute: done again only when the scripts
# that prepare it have changed since the last time.
stamp="$WINEPREFIX/.ortk-prepared"
prepared_by=$(cat scripts/prepare-prefix.sh scripts/prefix.d/*.sh | sha256sum)
if [ "$(cat "$stamp" 2>/dev/null)" != "$prepared_by" ]; then
  rm -f "$stamp"
  bash scripts/prepare-prefix.sh && echo "$prepared_by" >"$stamp"
fi
wineserver -p >/dev/null 2>&1
# The first program starts the prefix's services (and the desktop), which live
# as long as the server: start them here, detached from any test's output.
"$WINE" cmd /c exit >/dev/null 2>&1
mkdir -p build/screenshots
export ORTK_SCREENSHOTS="${ORTK_SCREENSHOTS:-$(pwd)/build/screenshots}"

# A program that crashes ends with Wine's backtrace and exit status 0, so a
# test program passes only when it also printed GoogleTest's summary.
run_program() {
  local output status
  output=$(mktemp)
  # The DLL tests load ortk232.dll and run ortkcall.exe from the build folder.
  (cd build/win64 && timeout 900 "$WINE" "${1%.exe}.exe") 2>&1 | tee "$output"
  status=${PIPESTATUS[0]}
  grep -q '^\[==========\] .* ran\.' "$output" || status=1
  rm -f "$output"
  return "$status"
}

failed=0
for item in "${items[@]}"; do
  name=$(basename "$item" .sh)
  echo "=== $name"
  case $item in
    *.sh) bash "$item" ;;
    *) run_program "$item" ;;
  esac
  if [ $? -ne 0 ]; then
    failed=$((failed + 1))
    echo "=== $name FAILED"
    [ -n "${ORTK_STOP_AT_FIRST_FAILURE:-}" ] && break
  fi
done
[ "$failed" -eq 0 ]

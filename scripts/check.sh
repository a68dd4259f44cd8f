#!/usr/bin/env bash
# Runs every test suite: native (plain and with sanitizers), the 32-bit
# export table, and the Windows programs under wine64 on a private X display.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

passed=0
failed=0
suite() {
  local name=$1
  shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "=== $name FAILED"
  fi
}

suite format bash scripts/check-format.sh
suite native ctest --test-dir build/native --output-on-failure
suite native-sanitizers ctest --test-dir build/native-san --output-on-failure
suite exports bash scripts/check-exports.sh

# The Windows programs need a display for their dialogs and one wineserver
# kept alive for the whole run.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
trap 'wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null' EXIT
sleep 1
wine_prefix_ready
bash scripts/prepare-prefix.sh
wineserver -p >/dev/null 2>&1
# The first program starts the prefix's services (and the desktop), which live
# as long as the server: start them here, detached from any test's output
# pipe, or ctest would wait on them.
"$WINE" cmd /c exit >/dev/null 2>&1
mkdir -p build/screenshots
export ORTK_SCREENSHOTS="$(pwd)/build/screenshots"
suite windows ctest --test-dir build/win64 --output-on-failure --timeout 600
for script in tests/scripts/*.sh; do
  [ -e "$script" ] && suite "$(basename "$script" .sh)" bash "$script"
done
suite win32 bash scripts/check-win32.sh
suite dist bash scripts/check-dist.sh

echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

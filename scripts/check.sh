#!/usr/bin/env bash
# Runs every test suite: native (plain and with sanitizers), the 32-bit
# export table, and the Windows programs under wine64 on a private X display.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
tests_started=$(date +%s)

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

# The Windows programs and the session scripts of tests/scripts, on a private
# display with one wineserver kept alive for the whole run.
suite windows bash scripts/run-windows-tests.sh
suite win32 bash scripts/check-win32.sh
suite dist bash scripts/check-dist.sh

echo "suites: $passed passed, $failed failed"
# make check passes the time it started, before its builds.
now=$(date +%s)
duration() { echo "$((($2 - $1) / 60)) min $((($2 - $1) % 60)) s"; }
echo "tests ran for $(duration "$tests_started" "$now")," \
  "make check for $(duration "${ORTK_CHECK_STARTED:-$tests_started}" "$now")"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Demonstration: builds the native and the 64-bit programs, then fits the
# sample control points in examples/ through the 64-bit ortk232.dll, as a host
# script would, with ortkcall under Wine, and shows the coefficients and the
# residuals report of each fit. The build's progress goes to a log file; the
# terminal gets one line about the build, or the compiler's errors.
set -euo pipefail
cd "$(dirname "$0")/.."

log=build/demo-build.log
mkdir -p build
started=$(date +%s)
if ! "${MAKE:-make}" --no-print-directory native win64 >"$log" 2>&1; then
  # The diagnostics with the source lines under them; the log's end when the
  # failure is not the compiler's (cmake, a missing tool).
  errors=$(grep -E -A3 '(fatal )?error:|undefined reference|CMake Error' "$log" |
    grep -vE '^g?make(\[[0-9]+\])?: ' || true)
  if [ -n "$errors" ]; then
    printf '%s\n' "$errors" | head -80
  else
    tail -30 "$log"
  fi
  echo "build failed; its whole output is in $log"
  exit 1
fi
warnings=$(grep -c 'warning:' "$log" || true)
echo "build: native and win64 ready in $(($(date +%s) - started)) s," \
  "$warnings compiler warnings; progress in $log"
source scripts/wine-env.sh
wine_prefix_ready
wineserver -p >/dev/null 2>&1 || true
# The first program under a fresh server starts the prefix's services, which
# keep its output open: let that be a program whose output goes nowhere.
"$WINE" cmd /c exit >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

out=build/demo
mkdir -p "$out"
fit() {
  local points=$1 type=$2 title=$3
  local report="$out/$(basename "$points" .txt)-type$type.txt"
  echo "=== $title: $points, transform type $type"
  echo "\$ ortkcall calculatetransformparams $points $type $report 0"
  "$WINE" build/win64/ortkcall.exe calculatetransformparams "$points" "$type" "$report" 0 | tr -d '\r'
  echo "--- $report"
  tr -d '\r' <"$report"
  echo
}

fit examples/affine-six.txt 3 "Affine, six points"
fit examples/affine-six.txt 2 "Similarity, the same six points"
fit examples/sheet-to-utm33.txt 3 "Scanned map sheet (mm) to UTM zone 33N (m), affine"
fit examples/sheet-to-utm33.txt 4 "The same sheet, second-order polynomial"
fit examples/sheet-to-utm33.txt 1 "The same sheet, projective"

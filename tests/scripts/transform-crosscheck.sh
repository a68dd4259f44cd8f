#!/usr/bin/env bash
# The native ortk-fit and the DLL (through ortkcall) must give the same
# coefficients, bit for bit, and the same report for generated point sets of
# every model.
#
#   transform-crosscheck.sh [ARCH [STEP]]
# ARCH is win64 (the default: build/win64, run here under wine64) or win32
# (build/win32, whose fits run in the 32-bit machine). STEP is all (the
# default), or prepare, fits and compare run one by one: prepare generates
# the sets, runs ortk-fit and writes the DLL's fits into
# build/transform-crosscheck/ARCH/fits.sh, which fits runs with $WINE
# (scripts/check-win32.sh runs it in the guest), and compare compares.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh
arch=${1:-win64}
step=${2:-all}
work=build/transform-crosscheck/$arch
fit=build/native/ortk-fit
sets=(1 2 3 4 5 6 7 8)
sizes=(0 3 9 25 120 700 2500 15000)
types=(1 2 3 4 5 6)
normalize() { tr -d '\r' | sed -E 's/-?nan(\([a-z]*\))?/nan/gI'; }

prepare() {
  rm -rf "$work"
  mkdir -p "$work"
  echo "# Made by transform-crosscheck.sh: the DLL's fits, run with \$WINE from the top of the clone." >"$work/fits.sh"
  for set in "${sets[@]}"; do
    local size=${sizes[$((set - 1))]}
    local style
    style=$([ $((set % 2)) -eq 0 ] && echo mixed || echo plain)
    local points="$work/points$set.txt"
    /usr/bin/python3 tests/tools/make_points.py "$points" "$size" "$set" "$style" || return 1
    for type in "${types[@]}"; do
      "$fit" "$points" --model "$type" --report "$work/native$set-$type.txt" | normalize |
        grep -E '^(paramCount|p[0-9]+)=' >"$work/native$set-$type.coef"
      echo "\"\$WINE\" build/$arch/ortkcall.exe calculatetransformparams $points $type" \
        "$work/dll$set-$type.txt 0 >$work/dll$set-$type.out 2>&1 </dev/null" >>"$work/fits.sh"
    done
  done
}

fits() {
  bash "$work/fits.sh"
}

compare() {
  local failures=0 runs=0
  for set in "${sets[@]}"; do
    local size=${sizes[$((set - 1))]}
    for type in "${types[@]}"; do
      runs=$((runs + 1))
      local native dll
      native=$(cat "$work/native$set-$type.coef")
      dll=$(normalize <"$work/dll$set-$type.out" 2>/dev/null)
      if [ "$(grep -c '^result=1$' <<<"$dll")" -ne 1 ]; then
        echo "set $set ($size points) type $type: the DLL failed"
        head -5 <<<"$dll"
        failures=$((failures + 1))
        continue
      fi
      # ortkcall names the coefficients params[0] ...; ortk-fit p1 ...
      dll=$(grep -E '^(paramCount|params\[[0-9]+\])=' <<<"$dll" |
        awk -F'[][=]' '/^params/{printf "p%d=%s\n", $2 + 1, $4; next} {print}')
      if [ "$native" != "$dll" ]; then
        echo "set $set ($size points) type $type: coefficients differ"
        diff <(echo "$native") <(echo "$dll") | head -10
        failures=$((failures + 1))
      fi
      if ! cmp -s <(normalize <"$work/native$set-$type.txt") <(normalize <"$work/dll$set-$type.txt"); then
        echo "set $set ($size points) type $type: reports differ"
        diff <(normalize <"$work/native$set-$type.txt") <(normalize <"$work/dll$set-$type.txt") | head -6
        failures=$((failures + 1))
      fi
    done
  done
  echo "transform-crosscheck ($arch): $runs fits compared, $failures differences"
  [ "$failures" -eq 0 ]
}

case $step in
  all) prepare && fits && compare ;;
  prepare | fits | compare) "$step" ;;
  *)
    echo "usage: transform-crosscheck.sh [win64|win32] [all|prepare|fits|compare]" >&2
    exit 2
    ;;
esac

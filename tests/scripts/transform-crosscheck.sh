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
arch=${1:-win64} step=${2:-all}
work=build/transform-crosscheck/$arch
sizes=(0 3 9 25 120 700 2500 15000) # of sets 1 to 8; the even ones in mixed styles
normalize() { tr -d '\r' | sed -E 's/-?nan(\([a-z]*\))?/nan/gI'; }

prepare() {
  rm -rf "$work" && mkdir -p "$work" || return 1
  echo "# Made by transform-crosscheck.sh: the DLL's fits, run with \$WINE from the top of the clone." >"$work/fits.sh"
  for set in 1 2 3 4 5 6 7 8; do
    /usr/bin/python3 tests/tools/make_points.py "$work/points$set.txt" "${sizes[set - 1]}" "$set" \
      "$([ $((set % 2)) -eq 0 ] && echo mixed || echo plain)" || return 1
    for type in 1 2 3 4 5 6; do
      build/native/ortk-fit "$work/points$set.txt" --model "$type" --report "$work/native$set-$type.txt" |
        normalize | grep -E '^(paramCount|p[0-9]+)=' >"$work/native$set-$type.coef"
      echo "\"\$WINE\" build/$arch/ortkcall.exe calculatetransformparams $work/points$set.txt $type" \
        "$work/dll$set-$type.txt 0 >$work/dll$set-$type.out 2>&1 </dev/null" >>"$work/fits.sh"
    done
  done
}

# ortkcall names the coefficients params[0] ...; ortk-fit p1 ...: the DLL's
# output is turned into ortk-fit's form, or into "failed" unless result=1.
dll_coefficients() {
  normalize <"$1" | awk -F'[][=]' '$0 == "result=1" { ok++ } /^paramCount=/ { print }
    /^params\[/ { printf "p%d=%s\n", $2 + 1, $4 } END { if (ok != 1) print "failed" }'
}

compare() {
  local failures=0 runs=0 set type
  for set in 1 2 3 4 5 6 7 8; do
    for type in 1 2 3 4 5 6; do
      runs=$((runs + 1))
      diff "$work/native$set-$type.coef" <(dll_coefficients "$work/dll$set-$type.out") >"$work/diff" &&
        diff <(normalize <"$work/native$set-$type.txt") <(normalize <"$work/dll$set-$type.txt") >"$work/diff" ||
        { echo "set $set (${sizes[set - 1]} points) type $type differs:" && head -6 "$work/diff"; failures=$((failures + 1)); }
    done
  done
  echo "transform-crosscheck ($arch): $runs fits compared, $failures differences"
  [ "$failures" -eq 0 ]
}

case $step in
  all) prepare && bash "$work/fits.sh" && compare ;;
  prepare | compare) "$step" ;;
  fits) bash "$work/fits.sh" ;;
  *) echo "usage: transform-crosscheck.sh [win64|win32] [all|prepare|fits|compare]" >&2 && exit 2 ;;
esac

#!/usr/bin/env bash
# The native ortk-fit and the 64-bit DLL (through ortkcall under Wine) must
# give the same coefficients, bit for bit, and the same report for generated
# point sets of every model.
set -uo pipefail
source scripts/wine-env.sh
work=build/transform-crosscheck
mkdir -p "$work"
fit=build/native/ortk-fit
failures=0
runs=0
normalize() { tr -d '\r' | sed -E 's/-?nan(\([a-z]*\))?/nan/gI'; }
for set in 1 2 3 4 5 6 7 8; do
  sizes=(0 3 9 25 120 700 2500 15000)
  size=${sizes[$((set - 1))]}
  style=$([ $((set % 2)) -eq 0 ] && echo mixed || echo plain)
  points="$work/points$set.txt"
  /usr/bin/python3 tests/tools/make_points.py "$points" "$size" "$set" "$style"
  for type in 1 2 3 4 5 6; do
    runs=$((runs + 1))
    native=$("$fit" "$points" --model "$type" --report "$work/native$set-$type.txt" | normalize |
      grep -E '^(paramCount|p[0-9]+)=')
    dll=$("$WINE" build/win64/ortkcall.exe calculatetransformparams "$points" "$type" \
      "$work/dll$set-$type.txt" 0 | normalize)
    if [ "$(grep -c '^result=1$' <<<"$dll")" -ne 1 ]; then
      echo "set $set ($size points) type $type: the DLL failed"; failures=$((failures + 1)); continue
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
echo "transform-crosscheck: $runs fits compared, $failures differences"
[ "$failures" -eq 0 ]

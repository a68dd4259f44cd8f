#!/usr/bin/env bash
# ortk-fit's files against the programs that read them: a .points file in
# both header forms with disabled rows gives the fit of its enabled rows; the
# world file beside a GeoTIFF made here makes gdaltransform map pixel
# positions where ortk-fit apply does, and back; --points-out reads back as
# the same fit; inverses round-trip; faults give their message and status;
# ortk-fit.exe (win64, under Wine, when built) applies to the same bits.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd) fit=$(pwd)/build/native/ortk-fit exe=$(pwd)/build/win64/ortk-fit.exe
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && trap 'exit 1' INT TERM && cd "$work" || exit 1
failures=0
fail() { echo "fit-apply: $*" && failures=$((failures + 1)); }
# The largest distance between the points of two files, x y in the first two
# columns of each (the second's y negated with a third argument of -1).
far() { awk -v s="${3:-1}" -v f="$2" '{ getline b <f; split(b, p, " "); d = sqrt(($1 - p[1]) ^ 2 + ($2 - s * p[2]) ^ 2)
  if (d > m) m = d } END { printf "%.3g\n", m }' "$1"; }

# Twelve points picked on a 640 x 480 scan, y upwards from the top edge, the
# map's rows mildly rotated and sheared, with noise; rows 4 and 9 mistyped and
# disabled. The same rows with the older header, and the enabled ones alone.
/usr/bin/python3 - <<'PYEOF'
import random
r = random.Random(5)
rows = [(402000 + 2.5 * c + 0.04 * l + r.gauss(0, 0.3) + 900 * (k in (3, 8)), 5313000 + 0.03 * c - 2.49 * l +
         r.gauss(0, 0.3), c, -l, int(k not in (3, 8))) for k, c, l in ((k, r.uniform(0, 640), r.uniform(0, 480)) for k in range(12))]
text = "".join("%r,%r,%r,%r,%d,0,0,0\n" % row for row in rows)
open("new.points", "w").write("#CRS: PROJCRS[\"WGS 84 / UTM zone 33N\"]\nmapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n" + text)
open("old.points", "w").write("mapX,mapY,pixelX,pixelY,enable\r\n" + text.replace("\n", "\r\n"))
open("plain.txt", "w").write("".join("%r %r %r %r\n" % (row[2], row[3], row[0], row[1]) for row in rows if row[4]))
PYEOF
"$fit" plain.txt --model affine --points-out plain.points >plain.out
for f in new.points old.points; do
  "$fit" "$f" --model affine --json "$f.json" >"$f.out" 2>/dev/null && cmp -s plain.out "$f.out" || fail "$f: not the fit of its enabled rows"
done
[ "$(grep -o '"line":[0-9]*' new.points.json | tr -dc '0-9\n' | tr '\n' ' ')" = "3 4 5 7 8 9 10 12 13 14 " ] || fail "new.points: the JSON's lines are not the file's own"

# --points-out reads back as the same fit; inverses of every model round-trip.
"$fit" old.points --model affine --points-out out.points >/dev/null 2>&1 || fail "--points-out failed"
"$fit" out.points --model affine | cmp -s plain.out - && "$fit" plain.points --model affine | cmp -s plain.out - ||
  fail "--points-out does not read back as the same fit"
[ "$(wc -l <out.points)" -eq 13 ] && [ "$(awk -F, '$5 == "0" && $6 > 899 && $6 < 901' out.points | wc -l)" -eq 2 ] ||
  fail "--points-out lost the disabled rows or their residuals"
# The mistyped rows enabled: --robust names them by the file's lines, and its
# --points-out disables them again.
sed 's/,0,0,0,0$/,1,0,0,0/' new.points >all.points
"$fit" all.points --model affine --robust --points-out robust.points >robust.out 2>/dev/null
[ "$(tail -1 robust.out)" = excluded_lines=6,11 ] && head -n -1 robust.out | cmp -s plain.out - &&
  "$fit" robust.points --model affine | cmp -s plain.out - && cut -d, -f5 robust.points | cmp -s - <(cut -d, -f5 new.points) ||
  fail "--robust --points-out: not the enabled rows' fit, or other rows disabled"
# Every model round-trips through apply and apply --inverse; the world files
# of the two models that have one, beside a TIFF, make gdaltransform map the
# sheet's positions (as pixels, rows downwards) where apply does, and back.
gdal_create -q -of GTiff -outsize 640 480 -bands 1 scan.tif || fail "gdal_create failed"
cut -f1,2 "$root/examples/sheet-to-utm33.txt" >sheet.txt && awk '{ print $1, -$2 }' sheet.txt >pixels.txt
for model in projective similarity affine poly2 conformal2 poly3; do
  for run in "$model" "$model --stable"; do
    case $model in affine | similarity) world=scan.tfw ;; *) world= ;; esac
    "$fit" "$root/examples/sheet-to-utm33.txt" --model $run ${world:+--world "$world"} --json s.json >/dev/null 2>&1
    "$fit" apply s.json sheet.txt >ours.txt && "$fit" apply s.json - --inverse <ours.txt >round.txt || fail "$run: no inverse"
    echo "$run: round trip $(far sheet.txt round.txt) mm"
    awk '{ exit !($1 < 1e-9) }' <<<"$(far sheet.txt round.txt)" || fail "$run: round trip"
    [ -z "${WINE:-}" ] || [ ! -x "$exe" ] || "$WINE" "$exe" apply s.json sheet.txt |
      "$WINE" "$exe" apply s.json - --inverse | tr -d '\r' | cmp -s - round.txt ||
      fail "$run: ortk-fit.exe applies to other bits"
    [ -n "$world" ] || continue
    gdaltransform scan.tif <pixels.txt >gdal.txt && gdaltransform -i scan.tif <ours.txt >gdal-back.txt
    echo "world file of $run: gdaltransform $(far gdal.txt ours.txt) apart, inverse $(far gdal-back.txt round.txt -1) mm"
    # gdaltransform prints 15 significant digits: 5e-9 m at 5,000 km.
    awk '{ exit !($1 < 1e-8 && $2 < 1e-9) }' <<<"$(far gdal.txt ours.txt) $(far gdal-back.txt round.txt -1)" ||
      fail "$run: gdaltransform disagrees with the world file"
  done
done

# Faults: the message, and the status.
echo '{"model":"affine"}' >bad.json
printf '1 2\n3 4\n5\n' >bad.txt
printf '0.5 0.5\n0.7 0\n' >fold.txt
# X = x - x^3 / 3 reaches no further than 2/3.
echo '{"model":"poly3","coefficients":[0,0,1,0,0,1,0,0,0,0,0,0,-0.3333,0,0,0,0,0,0,0]}' >p.json
echo '{"model":"projective","coefficients":[0,0,1,0,0,1,-1,0]}' >h.json
while IFS='|' read -r status expected command; do
  (eval "$command") >/dev/null 2>err.txt
  got=$?
  [ "$got" -eq "$status" ] && grep -qF "$expected" err.txt || fail "$command: status $got, $(cat err.txt)"
done <<'EOF'
1|bad.json is not a fit of ortk-fit --json: it does not have the 6 coefficients|"$fit" apply bad.json bad.txt
1|bad.txt line 3: not a point|"$fit" apply s.json bad.txt
1|cannot read none.json|"$fit" apply none.json bad.txt
1|cannot read none.txt|"$fit" apply s.json none.txt
2|usage: ortk-fit apply|"$fit" apply s.json bad.txt extra.txt
2|the poly2 model is not one|"$fit" plain.txt --model poly2 --world x.tfw
1|fold.txt line 2: the inverse does not converge|"$fit" apply p.json fold.txt --inverse
1|standard input line 2: the fit maps the point to no finite position|printf '0 0\n1 5\n' | "$fit" apply h.json
1|cannot write no/x.points|"$fit" plain.txt --model affine --points-out no/x.points
1|x.points: line 5: the mapX field is not a number|sed '5s/^./x/' new.points >x.points && "$fit" x.points --model 3
EOF
echo "fit-apply: $failures failures"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# ortk-fit's checked path end to end: the documented fit printed as the
# default path prints it, the JSON read back by python3's json module, the
# residual map rendered by a real SVG renderer (rsvg-convert) for 4 and for
# 2,000 points, with a flagged point's label in the SVG and the two pictures
# kept in build/screenshots/.
set -uo pipefail
cd "$(dirname "$0")/../.."
fit=build/native/ortk-fit
work=build/fit-outputs
shots=${ORTK_SCREENSHOTS:-build/screenshots}
py=/usr/bin/python3
mkdir -p "$work" "$shots"
failures=0
fail() {
  echo "fit-outputs: $*"
  failures=$((failures + 1))
}

# 1. With --diagnose the documented fit prints the default lines unchanged,
#    writes the same report, and says nothing on clean data.
for model in 1 2 3 4 5 6; do
  "$fit" examples/sheet-to-utm33.txt --model $model --report "$work/default.txt" >"$work/default.out" 2>"$work/default.err"
  "$fit" examples/sheet-to-utm33.txt --model $model --report "$work/checked.txt" --diagnose >"$work/checked.out" 2>/dev/null
  lines=$(wc -l <"$work/default.out")
  head -n "$lines" "$work/checked.out" | cmp -s - "$work/default.out" || fail "model $model: --diagnose changed the coefficient lines"
  cmp -s "$work/default.txt" "$work/checked.txt" || fail "model $model: --diagnose changed the report"
  [ -s "$work/default.err" ] && fail "model $model: the default path wrote to standard error"
done

# 2. JSON read back: keys, the flagged line, numbers that round-trip.
"$fit" examples/sheet-to-utm33-blunder.txt --model affine --stable >"$work/stable.out" 2>/dev/null
"$fit" examples/sheet-to-utm33-blunder.txt --model affine --stable --json - >"$work/stable.json" 2>"$work/stable.err"
grep -q 'warning: .*line 7$' "$work/stable.err" || fail "no warning names line 7"
"$fit" examples/sheet-to-utm33.txt --model poly3 --json "$work/documented.json" >/dev/null 2>&1
printf '1 2 3 4\n5 7 6 9\n' >"$work/two.txt"
"$fit" "$work/two.txt" --model similarity --stable --json "$work/two.json" >/dev/null 2>&1
"$py" - "$work" <<'PYEOF' || fail "JSON checks failed"
import json, math, sys
work = sys.argv[1]
s = json.load(open(work + "/stable.json"))
keys = ["model", "m", "coefficients", "normalisation", "n", "total_rms", "mean_error",
        "redundancy", "condition", "digits_lost", "warnings", "points"]
missing = [k for k in keys if k not in s]
assert not missing, missing
assert s["model"] == "affine" and s["m"] == 6 and s["n"] == 16 and s["redundancy"] == 26, s
assert len(s["points"]) == 16 and len(s["coefficients"]) == 6
printed = dict(l.strip().split("=", 1) for l in open(work + "/stable.out"))
for j, c in enumerate(s["coefficients"]):
    assert float(printed["p%d" % (j + 1)]) == c, (j, c)
for k in ["centre_x", "centre_y", "scale", "new_centre_x", "new_centre_y", "new_scale"]:
    assert float(printed[k]) == s["normalisation"][k], k
point_keys = ["line", "vx", "vy", "leverage", "loo_vx", "loo_vy", "studentized", "flagged"]
for i, p in enumerate(s["points"]):
    assert all(k in p for k in point_keys), p
    assert p["line"] == i + 1 and p["flagged"] == (p["line"] == 7), p
assert s["flagged_lines"] == [7]
sse = sum(p["vx"] ** 2 + p["vy"] ** 2 for p in s["points"])
assert abs(s["mean_error"] - math.sqrt(sse / 26)) < 1e-12 * s["mean_error"]
assert abs(s["total_rms"] - math.sqrt(sse / 16)) < 1e-12 * s["total_rms"]
assert any("line 7" in w for w in s["warnings"])
d = json.load(open(work + "/documented.json"))
assert "normalisation" not in d and d["stable"] is False and d["digits_lost"] > 8
assert any("--stable" in w for w in d["warnings"]), d["warnings"]
t = json.load(open(work + "/two.json"))
assert t["redundancy"] == 0 and t["mean_error"] is None, t
assert all(p["studentized"] is None and not p["flagged"] for p in t["points"])
PYEOF

# 3. The residual map rendered, for 4 points and for 2,000.
# Four points, the last mistyped by 2 units.
printf '0 0 100.02 200.01\n10 0 119.98 210.03\n0 10 89.99 219.97\n10 10 112.01 230.02\n' >"$work/four.txt"
"$py" - "$work/many.txt" <<'PYEOF'
import random, sys
r = random.Random(20)
with open(sys.argv[1], "w") as f:
    for line in range(1, 2001):
        x, y = r.uniform(0, 8000), r.uniform(0, 6000)
        X = 412000 + 0.9995 * x - 0.031 * y + 2e-7 * x * x + r.gauss(0, 0.05)
        Y = 5318000 + 0.031 * x + 0.9995 * y - 1e-7 * x * y + r.gauss(0, 0.05)
        if line == 1234: X += 0.8
        if line == 77: Y -= 1.2
        f.write("%.3f\t%.3f\t%.3f\t%.3f\n" % (x, y, X, Y))
PYEOF
"$fit" "$work/four.txt" --model similarity --stable --plot "$work/fit-residuals-4.svg" >/dev/null 2>&1
"$fit" "$work/many.txt" --model poly2 --stable --plot "$work/fit-residuals-2000.svg" >"$work/many.out" 2>&1
printf '<svg xmlns="http://www.w3.org/2000/svg" width="960" height="820"><rect width="100%%" height="100%%" fill="white"/></svg>\n' >"$work/blank.svg"
# Renders an SVG and checks that the picture holds more than minColours
# colours and more than 2% pixels that are not white.
rendered() {
  local svg=$1 minColours=$2 png=${1%.svg}.png
  rsvg-convert "$svg" -o "$png" || return 1
  local colours dark
  colours=$(identify -format '%k' "$png")
  dark=$(convert "$png" -alpha off -colorspace gray -threshold 98% -format '%[fx:1-mean]' info:)
  awk -v c="$colours" -v m="$minColours" -v d="$dark" 'BEGIN { exit !(c > m && d > 0.02) }'
}
rendered "$work/fit-residuals-4.svg" 8 || fail "the 4-point map is empty"
rendered "$work/fit-residuals-2000.svg" 40 || fail "the 2,000-point map is empty"
rendered "$work/blank.svg" 8 && fail "the picture check passes a blank page"
grep -q '>line 1234</text>' "$work/fit-residuals-2000.svg" || fail "line 1234 is not labelled"
grep -q '>line 77</text>' "$work/fit-residuals-2000.svg" || fail "line 77 is not labelled"
grep -q '>line 4</text>' "$work/fit-residuals-4.svg" || fail "line 4 is not labelled"
grep -q 'poly2 fit (stable) - N = 2000' "$work/fit-residuals-2000.svg" || fail "the title is wrong"
grep -q 'lines 77, 1234$' "$work/many.out" || fail "the flagged lines are not 77 and 1234"
cp "$work/fit-residuals-4.png" "$work/fit-residuals-2000.png" "$shots/"

echo "fit-outputs: $failures failures"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# ortk-fit end to end: --diagnose leaves the default printout and report as
# they are; the JSON, read back by python3's json module, says what the
# --diagnose printout and the warnings say; the residual map is true to scale
# (points, arrows, axis labels and scale bar against the JSON) and a real SVG
# renderer (rsvg-convert) draws it, for 4 and for 2,000 points, the two
# pictures kept in build/screenshots/.
set -uo pipefail
cd "$(dirname "$0")/../.."
fit=build/native/ortk-fit work=build/fit-outputs shots=${ORTK_SCREENSHOTS:-build/screenshots}
mkdir -p "$work" "$shots"
failures=0
fail() { echo "fit-outputs: $*" && failures=$((failures + 1)); }

# poly3 on the sheet: 20 coefficients, and a warning with or without --diagnose.
"$fit" examples/sheet-to-utm33.txt --model poly3 --report "$work/r1" >"$work/o1" 2>"$work/e1"
"$fit" examples/sheet-to-utm33.txt --model poly3 --report "$work/r2" --diagnose --json "$work/documented.json" >"$work/o2" 2>/dev/null
head -n "$(wc -l <"$work/o1")" "$work/o2" | cmp -s - "$work/o1" && cmp -s "$work/r1" "$work/r2" && grep -q '^ortk-fit: warning: .*fit with --stable$' "$work/e1" ||
  fail "--diagnose changed the printout or the report, or the default path gave no warning"

# The sheet with line 7 mistyped; 2 points that leave no redundancy; 4 points,
# the last mistyped by 2 units; 2,000 points with lines 77 and 1234 mistyped.
"$fit" examples/sheet-to-utm33-blunder.txt --model affine --stable --diagnose --json "$work/stable.json" \
  >"$work/stable.out" 2>"$work/stable.err"
printf '1 2 3 4\n5 7 6 9\n' >"$work/two.txt"
"$fit" "$work/two.txt" --model similarity --stable --json "$work/two.json" >/dev/null 2>&1
printf '0 0 100.02 200.01\n10 0 119.98 210.03\n0 10 89.99 219.97\n10 10 112.01 230.02\n' >"$work/four.txt"
"$fit" "$work/four.txt" --model similarity --stable --json - --plot "$work/fit-residuals-4.svg" >"$work/four.json" \
  2>/dev/null || fail "the 4-point map failed"
/usr/bin/python3 tests/tools/make_points.py "$work/many.txt" 2000 5
awk 'BEGIN { OFS = "\t" } NR == 77 { $4 -= 3 } NR == 1234 { $3 += 3 } 1' "$work/many.txt" >"$work/many2.txt"
"$fit" "$work/many2.txt" --model poly2 --stable --plot "$work/fit-residuals-2000.svg" >"$work/many.out" 2>&1
"$fit" "$work/four.txt" --model similarity --json /dev/full >/dev/null 2>&1 && fail "JSON to a full disk passed"
"$fit" "$work/four.txt" --model similarity --plot /dev/full >/dev/null 2>&1 && fail "map to a full disk passed"

/usr/bin/python3 - "$work" examples/sheet-to-utm33-blunder.txt <<'PYEOF' || fail "JSON or map checks failed"
import json, math, re, sys
w = sys.argv[1]
s, d, t, f = (json.load(open(w + n)) for n in ("/stable.json", "/documented.json", "/two.json", "/four.json"))
P = {k: float(v) for k, v in (l.split("=") for l in open(w + "/stable.out") if "=" in l)}
keys = ["p%d" % j for j in range(1, 7)] + ["sdX", "sdY", "n", "redundancy", "total_rms", "mean_error", "condition"]
assert [P[k] for k in keys] == s["coefficients"] + [s[k] for k in ("sd_x", "sd_y") + tuple(keys[8:])] and len(P) == 22
assert (s["model"], s["type"], s["rank"], s["flagged_lines"], s["normalisation"]["scale"]) == ("affine", 3, 6, [7], P["scale"])
assert open(w + "/stable.err").read() == "".join("ortk-fit: warning: %s\n" % x for x in s["warnings"])
# The printed frame: centred on the mean, root mean square 1; the printed model
# maps every point to its new coordinates less its residual.
given = [[float(v) for v in l.split()] for l in open(sys.argv[2])]
cx, cy = (sum(g[i] for g in given) / len(given) for i in (0, 1))
spread = sum((g[0] - cx) ** 2 + (g[1] - cy) ** 2 for g in given) / 2 / len(given)
assert max(abs(P["centre_x"] - cx), abs(P["centre_y"] - cy), abs(P["scale"] ** 2 / spread - 1)) < 1e-12, (cx, cy)
for p, g in zip(s["points"], given):
    u, v = (g[0] - P["centre_x"]) / P["scale"], (g[1] - P["centre_y"]) / P["scale"]
    X, Y = (P["new_centre_" + a] + P["new_scale"] * (P["p%d" % i] + P["p%d" % (i + 2)] * u + P["p%d" % (i + 4)] * v)
            for a, i in (("x", 1), ("y", 2)))
    assert [p[k] for k in ("x_old", "y_old", "x_new", "y_new")] == g and math.dist((X, Y), (g[2] - p["vx"], g[3] - p["vy"])) < 1e-6
assert len(s["points"]) == 16 and "normalisation" not in d and d["stable"] is False and len(d["coefficients"]) == 20
assert t["mean_error"] is None and all(p["studentized"] is None and p["loo_vx"] is None for p in t["points"]), t
# The 4-point map: one scale for both axes, y upwards, the arrows and the scale
# bar drawn at the stated exaggeration, the axes labelled across the frame.
svg = open(w + "/fit-residuals-4.svg").read()
def found(pattern): return [[float(v) for v in m] for m in re.findall(pattern.replace("N", r"(-?[\d.]+)"), svg)]
dots, rings = found(r'<circle cx="N" cy="N" r="[\d.]+" fill="#'), found(r'<circle cx="N" cy="N" r="[\d.]+" fill="none"')
left, top, width, height = found(r'<rect x="N" y="N" width="N" height="N" fill="none"')[0]
(bar, size, times), = found(r'hN[^\n]*\n[^\n]*>residual N in new coordinate units \(arrows ×N\)')
x0, y0, k, tips = dots[0][0], dots[0][1], (dots[1][0] - dots[0][0]) / 10, found(r'<path d="MN NL[^"Z]*Z"')
assert len(dots) == 4 and k > 10 and abs(bar - size * times * k) < 0.1 and "drawn ×%g<" % times in svg
for p, (x, y) in zip(f["points"], dots):
    tip = (x + p["vx"] * times * k, y - p["vy"] * times * k)
    assert abs(x - x0 - k * p["x_old"]) < 0.1 and abs(y0 - y - k * p["y_old"]) < 0.1 and 0 < x - left < width
    assert math.dist(tip, (x, y)) < 1 or min(math.dist(tip, t) for t in tips) < 0.15, p
assert len(tips) == sum(math.hypot(p["vx"], p["vy"]) * times * k >= 1 for p in f["points"])
assert 36 < max(math.hypot(p["vx"], p["vy"]) for p in f["points"] if not p["flagged"]) * times * k <= 90  # longest arrow
xs, ys = found(r'<text x="N" y="N" text-anchor="middle">N<'), found(r'<text x="N" y="N" text-anchor="end">N<')[:-1]
assert all(abs(x - x0 - k * v) < 0.1 for x, _, v in xs) and all(abs(y0 - y - k * v) < 5 for _, y, v in ys)
for at, lo, size in (sorted(x for x, _, _ in xs), left, width), (sorted(y for _, y, _ in ys), top, height):
    assert max(at[0] - lo, lo + size - at[-1]) < at[1] - at[0] + 0.1, at
assert f["flagged_lines"] == [4] and rings == [dots[3]] and ">line 4</text>" in svg and "flagged: line 4 " in svg
assert "similarity fit (stable) - N = 4, Total RMS %.4g, mean error %.4g<" % (f["total_rms"], f["mean_error"]) in svg
PYEOF

for n in 4 2000; do
  rsvg-convert "$work/fit-residuals-$n.svg" -o "$work/fit-residuals-$n.png" &&
    [ "$(identify -format %k "$work/fit-residuals-$n.png")" -gt 20 ] || fail "the $n-point map does not render"
done
[ "$(grep -cF -e '>line 1234</text>' -e '>line 77</text>' -e 'poly2 fit (stable) - N = 2000' \
  -e 'flagged: lines 77, 1234 (' "$work/fit-residuals-2000.svg")" -eq 4 ] || fail "the 2,000-point map's title or labels"
grep -q 'lines 77, 1234$' "$work/many.out" || fail "the flagged lines are not 77 and 1234"
cp "$work/fit-residuals-4.png" "$work/fit-residuals-2000.png" "$shots/"
echo "fit-outputs: $failures failures"
[ "$failures" -eq 0 ]

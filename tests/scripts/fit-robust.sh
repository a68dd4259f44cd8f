#!/usr/bin/env bash
# ortk-fit --robust, --compare and the spline end to end: --robust names
# line 7 of the blunder example everywhere (printout, standard error, JSON,
# map) and its fit is the plain fit without that line; its refusal; each
# --compare row is what --model NAME gives on its own; the spline saved in the
# JSON, and ortk-fit apply of it, agree with GDAL's gdaltransform -tps at new
# points; apply passes through the nodes and its inverse comes back.
set -uo pipefail
cd "$(dirname "$0")/../.."
fit=build/native/ortk-fit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "fit-robust: $*" && failures=$((failures + 1)); }
sheet=examples/sheet-to-utm33-blunder.txt

# --robust, documented and stable: the same as the plain fit of the other 15.
sed 7d "$sheet" >"$work/without7.txt"
for stable in "" --stable; do
  "$fit" "$sheet" --model affine $stable --robust --json "$work/robust$stable.json" \
    --plot "$work/robust$stable.svg" >"$work/robust.out" 2>"$work/robust.err" || fail "--robust $stable failed"
  "$fit" "$work/without7.txt" --model affine $stable >"$work/plain.out" 2>/dev/null
  head -n -1 "$work/robust.out" | cmp -s - "$work/plain.out" && [ "$(tail -1 "$work/robust.out")" = excluded_lines=7 ] &&
    grep -qx 'ortk-fit: --robust excluded 1 of 16 points, line 7' "$work/robust.err" &&
    grep -q '>line 7 excluded</text>' "$work/robust$stable.svg" || fail "--robust $stable: printout, message or map"
done
printf '0 0 1 1\n5 1 9 4\n' >"$work/two.txt"
"$fit" "$work/two.txt" --model similarity --robust >"$work/o" 2>"$work/e"
[ $? -eq 1 ] && [ ! -s "$work/o" ] && grep -q 'too few points for --robust: 2, and the similarity model needs at least 3' "$work/e" ||
  fail "--robust with too few points"

# Files that cannot be read or written: the message and status 1.
"$fit" "$work/missing.txt" --compare >/dev/null 2>&1 && fail "--compare of a missing file passed"
"$fit" "$sheet" --compare --json /dev/full >/dev/null 2>&1 && fail "--compare JSON to a full disk passed"
"$fit" "$sheet" --model affine --report "$work/no/such/folder.txt" >"$work/o" 2>"$work/e" &&
  fail "the plain fit's report in a missing folder passed"
grep -q 'Cannot create residuals file' "$work/e" && [ ! -s "$work/o" ] || fail "the plain fit's report failure"

# --compare against --model NAME, with and without --stable.
for stable in "" --stable; do
  "$fit" "$sheet" --compare $stable --json "$work/compare$stable.json" || fail "--compare $stable"
  "$fit" "$sheet" --compare $stable >"$work/compare$stable.txt" || fail "--compare $stable table"
  for model in projective similarity affine poly2 conformal2 poly3 tps; do
    "$fit" "$sheet" --model "$model" $stable --json "$work/$model$stable.json" >/dev/null 2>&1
  done
done
/usr/bin/python3 - "$work" <<'PYEOF' || fail "--compare rows differ from --model NAME"
import json, math, sys
w = sys.argv[1]
for stable in ("", "--stable"):
    c = json.load(open(w + "/compare%s.json" % stable))
    table = open(w + "/compare%s.txt" % stable).read().splitlines()
    assert len(table) == 9 and table[-1].startswith("recommended: %s (" % c["recommended"]), table
    for row, line in zip(c["models"], table[1:8]):
        f = json.load(open(w + "/%s%s.json" % (row["model"], stable)))
        if "reason" in row:  # the documented poly3 of 16 points: no residuals
            assert not stable and row["model"] == "poly3" and f["n"] < f["m"] == row["m"] and line.split()[2] == "too"
            continue
        loo = math.sqrt(sum(p["loo_vx"] ** 2 + p["loo_vy"] ** 2 for p in f["points"]) / f["n"])
        want = {k: f[k] for k in ("m", "redundancy", "total_rms", "mean_error", "condition", "digits_lost", "flagged_lines")}
        assert {k: row[k] for k in want} == want and abs(row["loo_rms"] - loo) <= 1e-12 * loo, (row, want)
        assert line.split()[0] == row["model"] and line.split()[-1] == (",".join(map(str, row["flagged_lines"])) or "-")
    assert c["recommended"] == "affine", c["recommended"]
PYEOF

# The spline at 200 new points and at its nodes against gdaltransform -tps.
/usr/bin/python3 tests/tools/make_points.py "$work/many.txt" 150 3
for points in examples/sheet-to-utm33.txt "$work/many.txt"; do
  "$fit" "$points" --model tps --json "$work/tps.json" >/dev/null 2>&1 || fail "tps on $points"
  /usr/bin/python3 - "$work/tps.json" "$points" "$fit" <<'PYEOF' || fail "the spline of $points differs from gdaltransform -tps"
import json, math, random, subprocess, sys
j = json.load(open(sys.argv[1]))
s, f = j["spline"], j["normalisation"]
given = [[float(v) for v in l.split()] for l in open(sys.argv[2])]
def frame(x, y): return (x - f["centre_x"]) / f["scale"], (y - f["centre_y"]) / f["scale"]
def spline(x, y):
    u, v = frame(x, y)
    U, V = (a[0] + a[1] * u + a[2] * v for a in (s["affine_x"], s["affine_y"]))
    for x0, y0, wx, wy in s["nodes"]:
        u0, v0 = frame(x0, y0)
        r2 = (u - u0) ** 2 + (v - v0) ** 2
        phi = r2 * math.log(r2) if r2 > 0 else 0.0
        U, V = U + wx * phi, V + wy * phi
    return f["new_centre_x"] + f["new_scale"] * U, f["new_centre_y"] + f["new_scale"] * V
assert len(s["nodes"]) == len(given) and len(j["coefficients"]) == j["m"] == 2 * (len(given) + 3)
rnd = random.Random(4)
xs, ys = [g[0] for g in given], [g[1] for g in given]
at = [(rnd.uniform(min(xs), max(xs)), rnd.uniform(min(ys), max(ys))) for _ in range(200)] + [g[:2] for g in given]
gcps = sum((["-gcp"] + ["%.17g" % v for v in g] for g in given), [])
out = subprocess.run(["gdaltransform", "-tps", "-output_xy"] + gcps, input="".join("%.17g %.17g\n" % tuple(p) for p in at),
                     capture_output=True, text=True, check=True).stdout.split()
def apply(points, *options):
    text = subprocess.run([sys.argv[3], "apply", sys.argv[1], *options], input="".join("%.17g %.17g\n" % tuple(p) for p in points),
                          capture_output=True, text=True, check=True).stdout.split()
    return list(zip(map(float, text[::2]), map(float, text[1::2])))
ours, out, size = apply(at), list(zip(map(float, out[::2]), map(float, out[1::2]))), max(max(abs(g[2]), abs(g[3])) for g in given)
worst, applied = max(math.dist(spline(*p), q) for p, q in zip(at, out)), max(map(math.dist, ours, out))
nodes, inverse = max(math.dist(p, g[2:4]) for p, g in zip(ours[200:], given)), max(map(math.dist, apply(ours, "--inverse"), at))
print("fit-robust: %s: largest difference to gdaltransform -tps %.3g, of apply %.3g; apply at the nodes %.3g, inverse %.3g" % (sys.argv[2].split("/")[-1], worst, applied, nodes, inverse))
assert max(worst, applied, nodes) <= 1e-14 * size and inverse <= 1e-9 * max(max(abs(g[0]), abs(g[1])) for g in given), (worst, applied, nodes, inverse)
PYEOF
done

echo "fit-robust: $failures failures"
[ "$failures" -eq 0 ]

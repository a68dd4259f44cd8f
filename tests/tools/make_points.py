#!/usr/bin/env python3
# Writes generated control points files for the transform tests and the
# benchmark: python3 make_points.py OUTFILE COUNT SEED [STYLE]
#
# Points follow a mildly non-linear map from a local grid to projected
# coordinates, with noise, so that every model has residuals. STYLE 'plain'
# writes tab-separated numbers with LF; 'mixed' varies separators, line ends,
# signs, exponents and exact zeros from line to line.
import math, random, sys

path, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
mixed = sys.argv[4:] == ["mixed"]
rnd = random.Random(seed)
scale = rnd.choice([1.0, 25.0, 0.001, 1000.0])
e0, n0, ang = rnd.uniform(-5e5, 5e5), rnd.uniform(0, 6e6), rnd.uniform(-0.5, 0.5)
c, s, span = math.cos(ang), math.sin(ang), rnd.choice([10.0, 500.0, 2e4])
out = []
for i in range(count):
    x, y = rnd.uniform(-span, span), rnd.uniform(-span, span)
    x = 0.0 if mixed and rnd.random() < 0.05 else x
    X = e0 + scale * (c * x - s * y) + 1e-5 * x * y + rnd.gauss(0, 0.3)
    Y = n0 + scale * (s * x + c * y) - 2e-6 * x * x + rnd.gauss(0, 0.3)
    if not mixed:
        out.append("%.4f\t%.4f\t%.3f\t%.3f\n" % (x, y, X, Y))
        continue
    sep, fmt = rnd.choice([" ", "\t", ",", "; ", " | "]), rnd.choice(["%.6f", "%.17g", "%.3e", "%r"])
    end = rnd.choice(["\n", "\r\n", " m\n"])
    out.append(rnd.choice(["", "  ", "\t"]) + sep.join(fmt % v for v in (x, y, X, Y)) + end)
with open(path, "w", newline="") as f:
    f.write("".join(out))

"""The numpy way to do what ortk-fit does: loadtxt the control points, solve
the same unweighted least-squares problem with lstsq, and savetxt the same
residuals report. python3 bench_numpy.py CPFILE TYPE REPORT"""
import sys

import numpy as np


def design(t, x, y, X, Y):
    one, zero = np.ones_like(x), np.zeros_like(x)
    if t == 1:
        rx = [one, zero, x, zero, y, zero, -x * X, -y * X]
        ry = [zero, one, zero, x, zero, y, -x * Y, -y * Y]
    elif t == 2:
        rx = [one, zero, x, -y]
        ry = [zero, one, y, x]
    elif t == 5:
        d, s = x * x - y * y, 2 * x * y
        rx = [one, zero, x, y, d, s]
        ry = [zero, one, y, -x, s, -d]
    else:
        u = [one, x, y]
        if t >= 4:
            u += [x * x, y * y, x * y]
        if t == 6:
            u += [x ** 3, x * x * y, x * y * y, y ** 3]
        rx, ry = [], []
        for term in u:
            rx += [term, zero]
            ry += [zero, term]
    return np.column_stack(rx), np.column_stack(ry)


def main():
    path, t, report = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    x, y, X, Y = np.loadtxt(path, ndmin=2).T
    n = len(x)
    ax, ay = design(t, x, y, X, Y)
    m = ax.shape[1]
    p = np.linalg.lstsq(np.vstack([ax, ay]), np.concatenate([X, Y]), rcond=None)[0]
    if n < m:
        tx, ty = np.zeros(n), np.zeros(n)
    else:
        tx, ty = X - ax @ p, Y - ay @ p
    sdx = np.sqrt(np.sum(tx * tx) / n) if n else 0.0
    sdy = np.sqrt(np.sum(ty * ty) / n) if n else 0.0
    total = np.float32(np.sqrt(np.sum(tx * tx + ty * ty) / n)) if n else 0.0
    table = np.column_stack([tx, ty, np.sqrt(tx * tx + ty * ty)]).astype(np.float32)
    with open(report, "w") as f:
        f.write("Data points converted: %d\nResiduals:\nXRi YRi PointRMS\n" % n)
        np.savetxt(f, table.astype(np.float64), fmt="%.6f")
        f.write("Total RMS: %.6f\n" % total)
        f.write("Standard deviation in x: %.6f\nStandard deviation in y: %.6f\n" % (sdx, sdy))
    print("paramCount=%d" % m)
    for i, v in enumerate(p):
        print("p%d=%.17g" % (i + 1, v))


main()

#include "tools/fit/thin_plate_spline.h"

#include "tools/fit/portable_math.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// phi(r^2) = r^2 ln r^2; the portable logarithm keeps the bits the same on
// every platform.
double Kernel(double r2) {
    return r2 > 0.0 ? r2 * PortableLog(r2) : 0.0;
}

// Inverts the n x n row-major matrix a in place by Gauss-Jordan elimination
// with row interchanges; false when a pivot is at or below tolerance.
bool InvertInPlace(std::vector<double> &a, long n, double tolerance) {
    std::vector<long> swapped(static_cast<std::size_t>(n));
    for (long k = 0; k < n; ++k) {
        long pivotRow = k;
        for (long i = k + 1; i < n; ++i)
            if (std::fabs(a[i * n + k]) > std::fabs(a[pivotRow * n + k]))
                pivotRow = i;
        if (!(std::fabs(a[pivotRow * n + k]) > tolerance))
            return false;
        swapped[k] = pivotRow;
        if (pivotRow != k)
            std::swap_ranges(a.begin() + k * n, a.begin() + (k + 1) * n, a.begin() + pivotRow * n);
        double *row = &a[k * n];
        const double inverse = 1.0 / row[k];
        row[k] = 1.0;
        for (long j = 0; j < n; ++j)
            row[j] *= inverse;
        for (long i = 0; i < n; ++i) {
            if (i == k)
                continue;
            double *other = &a[i * n];
            const double factor = other[k];
            if (factor == 0.0)
                continue;
            other[k] = 0.0;
            for (long j = 0; j < n; ++j)
                other[j] -= factor * row[j];
        }
    }
    // Row interchanges of the matrix are column interchanges of its inverse,
    // undone in the reverse order.
    for (long k = n - 1; k >= 0; --k)
        if (swapped[k] != k)
            for (long i = 0; i < n; ++i)
                std::swap(a[i * n + k], a[i * n + swapped[k]]);
    return true;
}

double ToFrame(double value, double centre, double scale) {
    return (value - centre) / scale;
}

} // namespace

void EvaluateThinPlateSpline(const TpsFit &fit, double x, double y, double *X, double *Y) {
    const Normalisation &o = fit.oldFrame;
    const double u = ToFrame(x, o.centre_x, o.scale), v = ToFrame(y, o.centre_y, o.scale);
    double U = fit.affineX[0] + fit.affineX[1] * u + fit.affineX[2] * v;
    double V = fit.affineY[0] + fit.affineY[1] * u + fit.affineY[2] * v;
    for (std::size_t j = 0; j < fit.nodeX.size(); ++j) {
        const double du = u - ToFrame(fit.nodeX[j], o.centre_x, o.scale);
        const double dv = v - ToFrame(fit.nodeY[j], o.centre_y, o.scale);
        const double phi = Kernel(du * du + dv * dv);
        U += fit.weightX[j] * phi;
        V += fit.weightY[j] * phi;
    }
    *X = fit.newFrame.centre_x + fit.newFrame.scale * U;
    *Y = fit.newFrame.centre_y + fit.newFrame.scale * V;
}

std::vector<double> SplineCoefficients(const TpsFit &fit) {
    std::vector<double> p = {fit.affineX[0], fit.affineY[0], fit.affineX[1],
                             fit.affineY[1], fit.affineX[2], fit.affineY[2]};
    for (std::size_t j = 0; j < fit.weightX.size(); ++j) {
        p.push_back(fit.weightX[j]);
        p.push_back(fit.weightY[j]);
    }
    return p;
}

SplineSolution FitThinPlateSpline(const ControlPointArrays &points, const long *lines) {
    SplineSolution s;
    const long n = points.n, size = n + 3;
    auto line = [lines](long k) { return std::to_string(lines != nullptr ? lines[k] : k + 1); };
    if (n < 3) {
        s.error = "too few points for the spline: " + std::to_string(n) +
                  ", and its affine part alone needs 3";
        return s;
    }
    if (n > kMaxSplinePoints) {
        s.error = "too many points for the spline: " + std::to_string(n) + ", at most " +
                  std::to_string(kMaxSplinePoints) +
                  " (its dense interpolation matrix is inverted whole)";
        return s;
    }
    // Two nodes in one place: the spline cannot pass through both.
    std::vector<long> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0L);
    std::sort(order.begin(), order.end(), [&](long a, long b) {
        return points.XI[a] != points.XI[b] ? points.XI[a] < points.XI[b]
                                            : points.YI[a] < points.YI[b];
    });
    for (long i = 1; i < n; ++i) {
        const long a = std::min(order[i - 1], order[i]), b = std::max(order[i - 1], order[i]);
        if (points.XI[a] == points.XI[b] && points.YI[a] == points.YI[b]) {
            s.error = "lines " + line(a) + " and " + line(b) +
                      " have the same old coordinates: the spline cannot pass through both";
            return s;
        }
    }

    TpsFit &f = s.fit;
    f.oldFrame = NormaliseCoordinates(n, points.XI, points.YI);
    f.newFrame = NormaliseCoordinates(n, points.XP, points.YP);
    f.nodeX.assign(points.XI, points.XI + n);
    f.nodeY.assign(points.YI, points.YI + n);
    std::vector<double> u(n), v(n);
    for (long k = 0; k < n; ++k) {
        u[k] = ToFrame(points.XI[k], f.oldFrame.centre_x, f.oldFrame.scale);
        v[k] = ToFrame(points.YI[k], f.oldFrame.centre_y, f.oldFrame.scale);
    }
    // L = [K P; P^T 0], K(i, j) = phi(|q_i - q_j|^2), P(i) = (1, u_i, v_i).
    std::vector<double> L(static_cast<std::size_t>(size * size), 0.0);
    for (long i = 0; i < n; ++i) {
        for (long j = 0; j < n; ++j) {
            const double du = u[i] - u[j], dv = v[i] - v[j];
            L[i * size + j] = Kernel(du * du + dv * dv);
        }
        const double p[3] = {1.0, u[i], v[i]};
        for (long c = 0; c < 3; ++c)
            L[i * size + n + c] = L[(n + c) * size + i] = p[c];
    }
    auto columnSums = [size](const std::vector<double> &a) {
        double most = 0.0;
        for (long j = 0; j < size; ++j) {
            double sum = 0.0;
            for (long i = 0; i < size; ++i)
                sum += std::fabs(a[i * size + j]);
            most = std::fmax(most, sum);
        }
        return most;
    };
    const double norm = columnSums(L);
    const std::vector<double> original = L;
    if (!InvertInPlace(L, size, 1e-13 * norm)) {
        s.error = "the spline is undetermined: the points lie on a line";
        return s;
    }
    s.condition = norm * columnSums(L);

    std::vector<double> U(n), V(n);
    for (long k = 0; k < n; ++k) {
        U[k] = ToFrame(points.XP[k], f.newFrame.centre_x, f.newFrame.scale);
        V[k] = ToFrame(points.YP[k], f.newFrame.centre_y, f.newFrame.scale);
    }
    // Coefficients c = L^-1 (values, 0, 0, 0), by three steps of
    // c += L^-1 (y - L c) from c = 0: the first is the plain product with the
    // inverse, and the others take away the error that such a product leaves
    // (the residual of the system shows it).
    std::vector<double> cx(size, 0.0), cy(size, 0.0);
    for (int step = 0; step < 3; ++step) {
        std::vector<double> rx(size, 0.0), ry(size, 0.0);
        for (long i = 0; i < size; ++i) {
            double sx = i < n ? U[i] : 0.0, sy = i < n ? V[i] : 0.0;
            for (long j = 0; j < size; ++j) {
                sx -= original[i * size + j] * cx[j];
                sy -= original[i * size + j] * cy[j];
            }
            rx[i] = sx;
            ry[i] = sy;
        }
        for (long i = 0; i < size; ++i)
            for (long j = 0; j < size; ++j) {
                cx[i] += L[i * size + j] * rx[j];
                cy[i] += L[i * size + j] * ry[j];
            }
    }
    f.weightX.assign(cx.begin(), cx.begin() + n);
    f.weightY.assign(cy.begin(), cy.begin() + n);
    std::copy(cx.begin() + n, cx.end(), f.affineX);
    std::copy(cy.begin() + n, cy.end(), f.affineY);

    // Leave-one-out: the fit without point i is the full one less e_i times
    // column i of L^-1, and its weight at i is 0, so e_i = c_i / L^-1(i, i).
    s.vx.resize(n);
    s.vy.resize(n);
    s.looVx.resize(n);
    s.looVy.resize(n);
    s.looWeight.resize(n);
    const double scale = f.newFrame.scale;
    for (long k = 0; k < n; ++k) {
        double X = 0.0, Y = 0.0;
        EvaluateThinPlateSpline(f, points.XI[k], points.YI[k], &X, &Y);
        s.vx[k] = points.XP[k] - X;
        s.vy[k] = points.YP[k] - Y;
        const double diagonal = L[k * size + k];
        const bool defined = std::fabs(diagonal) > 1e-12 * std::fabs(L[0]) + DBL_MIN;
        s.looVx[k] = defined ? scale * (cx[k] / diagonal) : kNaN;
        s.looVy[k] = defined ? scale * (cy[k] / diagonal) : kNaN;
        s.looWeight[k] = std::sqrt(std::fabs(diagonal));
    }
    s.solved = true;
    return s;
}

namespace {

double LowerMedianOf(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    const std::size_t at = (values.size() - 1) / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return values[at];
}

} // namespace

double MedianWeight(const SplineSolution &spline) {
    return LowerMedianOf(spline.looWeight);
}

double SplineSpread(const ControlPointArrays &points, const SplineSolution &spline) {
    double largest = 0.0;
    std::vector<double> lengths;
    for (long k = 0; k < points.n; ++k) {
        largest = std::fmax(largest, std::fmax(std::fabs(points.XP[k]), std::fabs(points.YP[k])));
        const double length =
            spline.looWeight[k] * PortableLength(spline.looVx[k], spline.looVy[k]);
        if (length == length)
            lengths.push_back(length);
    }
    return std::fmax(LowerMedianOf(lengths) / 1.1774100225154747,
                     16.0 * DBL_EPSILON * largest * MedianWeight(spline));
}

FitDiagnostics DiagnoseSpline(const ControlPointArrays &points, const SplineSolution &spline,
                              const long *lines) {
    FitDiagnostics d;
    const long n = points.n;
    d.model = kSplineModel;
    d.m = 2 * (n + 3);
    d.n = n;
    d.redundancy = 2 * n - d.m;
    d.rank = d.m;
    d.condition = spline.condition;
    d.digitsLost = std::log10(spline.condition);
    d.meanError = kNaN;
    double sse = 0.0;
    for (long k = 0; k < n; ++k)
        sse += spline.vx[k] * spline.vx[k] + spline.vy[k] * spline.vy[k];
    d.totalRms = n > 0 ? std::sqrt(sse / static_cast<double>(n)) : 0.0;
    const double spread = SplineSpread(points, spline);
    for (long k = 0; k < n; ++k) {
        const double length =
            spline.looWeight[k] * PortableLength(spline.looVx[k], spline.looVy[k]);
        const double t = spread > 0.0 ? length / (std::sqrt(2.0) * spread) : kNaN;
        const long line = lines != nullptr ? lines[k] : k + 1;
        d.points.push_back({line, spline.vx[k], spline.vy[k], 1.0, spline.looVx[k], spline.looVy[k],
                            t, t > kFlagThreshold});
        if (t > kFlagThreshold)
            d.flaggedLines.push_back(line);
    }
    if (!d.flaggedLines.empty())
        d.warnings.push_back(FlaggedLinesText(d.flaggedLines));
    return d;
}

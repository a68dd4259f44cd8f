#include "tools/fit/stable_fit.h"

#include <algorithm>
#include <cmath>
#include <utility>

// Why orthogonal transformations and not the normal equations: forming
// A^T A squares the condition number of the design, so a problem that loses 6
// digits by itself loses 12 through the normal equations. Householder
// reflections work on A and lose only what the problem itself costs.
//
// Why a Householder QR with column pivoting rather than an SVD: the points
// are reduced in one pass, a block of rows at a time, to a triangle of at
// most 20 x 20 (the design matrix of a million points, up to 2,000,000 x 20
// doubles, is never stored); Householder QR is backward stable without
// pivoting, so the pivoting is done afterwards on that small triangle, where
// it reveals the rank and leaves the coefficients that the points do not
// determine at 0. An SVD of the triangle would give the same rank at a
// higher price; its singular values are computed anyway, for the condition.

namespace {

constexpr long kChunkRows = 128;
constexpr long kMaxColumns = 20;

bool IsCoupled(long model) {
    return model == 1 || model == 2 || model == 5;
}

struct FramePoint {
    double u, v, U, V;
};

// The frame's coordinates of point k. Division by the scale is done as a
// product with its reciprocal, the same in every pass.
class FrameMap {
  public:
    explicit FrameMap(const LeastSquaresSystem &system)
        : old_(system.oldFrame), new_(system.newFrame), oldInverse_(1.0 / old_.scale),
          newInverse_(1.0 / new_.scale) {}
    FramePoint operator()(const ControlPointArrays &p, long k) const {
        return {(p.XI[k] - old_.centre_x) * oldInverse_, (p.YI[k] - old_.centre_y) * oldInverse_,
                (p.XP[k] - new_.centre_x) * newInverse_, (p.YP[k] - new_.centre_y) * newInverse_};
    }

  private:
    Normalisation old_, new_;
    double oldInverse_, newInverse_;
};

// Design row of the split models (affine, second- and third-order
// polynomial): the monomials 1, u, v, u^2, v^2, uv, u^3, u^2 v, u v^2, v^3,
// as many as the model has coefficients per coordinate.
void SplitRow(const FramePoint &q, long columns, double *a) {
    const double u = q.u, v = q.v;
    const double all[10] = {1.0,   u,         v,         u * u,     v * v,
                            u * v, u * u * u, u * u * v, u * v * v, v * v * v};
    for (long j = 0; j < columns; ++j)
        a[j] = all[j];
}

// The X and Y rows of the coupled models, in the documented coefficient order.
void CoupledRows(long model, const FramePoint &q, double *ax, double *ay) {
    const double u = q.u, v = q.v;
    if (model == 1) {
        const double rx[8] = {1.0, 0.0, u, 0.0, v, 0.0, -u * q.U, -v * q.U};
        const double ry[8] = {0.0, 1.0, 0.0, u, 0.0, v, -u * q.V, -v * q.V};
        std::copy(rx, rx + 8, ax);
        std::copy(ry, ry + 8, ay);
    } else if (model == 2) {
        const double rx[4] = {1.0, 0.0, u, -v};
        const double ry[4] = {0.0, 1.0, v, u};
        std::copy(rx, rx + 4, ax);
        std::copy(ry, ry + 4, ay);
    } else {
        const double d = u * u - v * v, e = 2.0 * u * v;
        const double rx[6] = {1.0, 0.0, u, v, d, e};
        const double ry[6] = {0.0, 1.0, v, -u, e, -d};
        std::copy(rx, rx + 6, ax);
        std::copy(ry, ry + 6, ay);
    }
}

double Dot(const double *a, const double *b, long count) {
    double sum = 0.0;
    for (long i = 0; i < count; ++i)
        sum += a[i] * b[i];
    return sum;
}

// The Householder reflection that maps (alpha, x), |x|^2 = sigma, onto
// (beta, 0): x is scaled by inverse to become the reflection vector below an
// implicit 1, and tau is its factor. beta takes the sign opposite to alpha,
// so that alpha - beta never cancels.
struct Reflector {
    double beta, inverse, tau;
};

Reflector MakeReflector(double alpha, double sigma) {
    const double norm = std::sqrt(alpha * alpha + sigma);
    const double beta = alpha > 0.0 ? -norm : norm;
    return {beta, 1.0 / (alpha - beta), (beta - alpha) / beta};
}

// Reduces rows, a block at a time, to an upper triangle T (columns x
// columns) with Q^T y beside it: each block is annihilated against T by one
// Householder reflection per column.
class TriangleAccumulator {
  public:
    TriangleAccumulator(long columns, long rhs)
        : columns_(columns), width_(columns + rhs),
          triangle_(static_cast<std::size_t>(columns * width_), 0.0),
          block_(static_cast<std::size_t>(kChunkRows * width_), 0.0) {}

    void AddRow(const double *a, const double *y) {
        for (long j = 0; j < columns_; ++j)
            block_[j * kChunkRows + rows_] = a[j];
        for (long j = columns_; j < width_; ++j)
            block_[j * kChunkRows + rows_] = y[j - columns_];
        if (++rows_ == kChunkRows)
            Flush();
    }

    // The triangle (rows of T, columns x width, column-major by T's rows).
    const std::vector<double> &Finish() {
        Flush();
        return triangle_;
    }
    double &T(long i, long j) { return triangle_[j * columns_ + i]; }

  private:
    void Flush() {
        const long r = rows_;
        for (long k = 0; k < columns_ && r > 0; ++k) {
            double *bk = &block_[k * kChunkRows];
            const double sigma = Dot(bk, bk, r);
            if (sigma == 0.0)
                continue;
            const Reflector h = MakeReflector(T(k, k), sigma);
            for (long i = 0; i < r; ++i)
                bk[i] *= h.inverse;
            T(k, k) = h.beta;
            for (long j = k + 1; j < width_; ++j) {
                double *bj = &block_[j * kChunkRows];
                const double w = h.tau * (T(k, j) + Dot(bk, bj, r));
                T(k, j) -= w;
                for (long i = 0; i < r; ++i)
                    bj[i] -= w * bk[i];
            }
        }
        rows_ = 0;
    }

    long columns_, width_;
    std::vector<double> triangle_;
    std::vector<double> block_;
    long rows_ = 0;
};

// Householder QR with column pivoting of the small matrix M (n rows, n
// pivoted columns then rhs columns, column-major), in place.
void PivotTriangle(std::vector<double> &M, long n, long width, std::vector<long> &permutation) {
    auto at = [&](long i, long j) -> double & { return M[j * n + i]; };
    permutation.resize(n);
    for (long j = 0; j < n; ++j)
        permutation[j] = j;
    for (long k = 0; k < n; ++k) {
        long best = k;
        double bestNorm = -1.0;
        for (long j = k; j < n; ++j) {
            const double norm = Dot(&at(k, j), &at(k, j), n - k);
            if (norm > bestNorm) {
                bestNorm = norm;
                best = j;
            }
        }
        if (best != k) {
            for (long i = 0; i < n; ++i)
                std::swap(at(i, k), at(i, best));
            std::swap(permutation[k], permutation[best]);
        }
        const double sigma = Dot(&at(k + 1, k), &at(k + 1, k), n - k - 1);
        if (sigma == 0.0)
            continue;
        const Reflector h = MakeReflector(at(k, k), sigma);
        for (long i = k + 1; i < n; ++i)
            at(i, k) *= h.inverse;
        at(k, k) = h.beta;
        for (long j = k + 1; j < width; ++j) {
            const double w = h.tau * (at(k, j) + Dot(&at(k + 1, k), &at(k + 1, j), n - k - 1));
            at(k, j) -= w;
            for (long i = k + 1; i < n; ++i)
                at(i, j) -= w * at(i, k);
        }
        for (long i = k + 1; i < n; ++i)
            at(i, k) = 0.0;
    }
}

// Singular values of an n x n matrix (column-major) by one-sided Jacobi
// rotations of its columns, descending. Accurate for columns of very
// different lengths, which the documented design has.
std::vector<double> SingularValues(std::vector<double> a, long n) {
    for (int sweep = 0; sweep < 80; ++sweep) {
        bool rotated = false;
        for (long i = 0; i < n; ++i)
            for (long j = i + 1; j < n; ++j) {
                double *ci = &a[i * n], *cj = &a[j * n];
                const double alpha = Dot(ci, ci, n), beta = Dot(cj, cj, n), gamma = Dot(ci, cj, n);
                if (gamma == 0.0 || std::fabs(gamma) <= 1e-15 * std::sqrt(alpha) * std::sqrt(beta))
                    continue;
                rotated = true;
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t =
                    (zeta >= 0.0 ? 1.0 : -1.0) / (std::fabs(zeta) + std::hypot(1.0, zeta));
                const double c = 1.0 / std::sqrt(1.0 + t * t), s = c * t;
                for (long k = 0; k < n; ++k) {
                    const double x = ci[k], y = cj[k];
                    ci[k] = c * x - s * y;
                    cj[k] = s * x + c * y;
                }
            }
        if (!rotated)
            break;
    }
    std::vector<double> values(static_cast<std::size_t>(n));
    for (long j = 0; j < n; ++j)
        values[j] = std::sqrt(Dot(&a[j * n], &a[j * n], n));
    std::sort(values.begin(), values.end(), [](double x, double y) { return x > y; });
    return values;
}

// g = R^-T (P^T a), over the leading rank entries.
void SolveTransposed(const LeastSquaresSystem &s, const double *a, double *g) {
    const long n = s.columns;
    for (long k = 0; k < s.rank; ++k) {
        double value = a[s.permutation[k]];
        for (long i = 0; i < k; ++i)
            value -= s.R[k * n + i] * g[i];
        g[k] = value / s.R[k * n + k];
    }
}

} // namespace

Normalisation NormaliseCoordinates(long n, const double *x, const double *y) {
    Normalisation frame;
    if (n <= 0)
        return frame;
    double sx = 0.0, sy = 0.0;
    for (long k = 0; k < n; ++k) {
        sx += x[k];
        sy += y[k];
    }
    frame.centre_x = sx / static_cast<double>(n);
    frame.centre_y = sy / static_cast<double>(n);
    double squares = 0.0;
    for (long k = 0; k < n; ++k) {
        const double dx = x[k] - frame.centre_x, dy = y[k] - frame.centre_y;
        squares += dx * dx + dy * dy;
    }
    const double scale = std::sqrt(squares / (2.0 * static_cast<double>(n)));
    frame.scale = scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
    return frame;
}

// The models in the order of operations of the library's own residuals, so
// that a documented fit applied at a control point gives its observed value
// less the reported residual to the last bit.
void EvaluateModel(long model, const double *p, double x, double y, double *X, double *Y) {
    if (model == 1) {
        const double w = 1.0 + p[6] * x + p[7] * y;
        *X = (p[0] + p[2] * x + p[4] * y) / w;
        *Y = (p[1] + p[3] * x + p[5] * y) / w;
    } else if (model == 2) {
        *X = p[0] + p[2] * x - p[3] * y;
        *Y = p[1] + p[3] * x + p[2] * y;
    } else if (model == 5) {
        const double d = x * x - y * y;
        const double t = 2.0 * x * y;
        *X = p[0] + p[2] * x + p[3] * y + p[4] * d + p[5] * t;
        *Y = p[1] - p[3] * x + p[2] * y + p[4] * t - p[5] * d;
    } else {
        // Affine and the polynomials: p1, p3, ... for X and p2, p4, ... for Y
        // over the same terms.
        const double xx = x * x, yy = y * y;
        const double terms[10] = {1.0, x, y, xx, yy, x * y, xx * x, xx * y, x * yy, yy * y};
        double sx = p[0], sy = p[1];
        for (long i = 1; i < CoefficientCount(model) / 2; ++i) {
            sx = sx + p[2 * i] * terms[i];
            sy = sy + p[2 * i + 1] * terms[i];
        }
        *X = sx;
        *Y = sy;
    }
}

long CoefficientCount(long model) {
    static const long counts[6] = {8, 4, 6, 12, 6, 20};
    return model >= 1 && model <= 6 ? counts[model - 1] : 0;
}

const char *ModelName(long model) {
    static const char *const names[7] = {"projective", "similarity", "affine", "poly2",
                                         "conformal2", "poly3",      "tps"};
    return model >= 1 && model <= 7 ? names[model - 1] : "";
}

LeastSquaresSystem ReduceSystem(long model, const ControlPointArrays &points,
                                const Normalisation &oldFrame, const Normalisation &newFrame,
                                double rankTolerance) {
    LeastSquaresSystem s;
    s.model = model;
    s.m = CoefficientCount(model);
    s.coupled = IsCoupled(model);
    s.columns = s.coupled ? s.m : s.m / 2;
    s.rhs = s.coupled ? 1 : 2;
    s.oldFrame = oldFrame;
    s.newFrame = newFrame;
    if (s.m == 0)
        return s;

    TriangleAccumulator accumulator(s.columns, s.rhs);
    const FrameMap map(s);
    double ax[kMaxColumns], ay[kMaxColumns];
    for (long k = 0; k < points.n; ++k) {
        const FramePoint q = map(points, k);
        if (s.coupled) {
            CoupledRows(model, q, ax, ay);
            accumulator.AddRow(ax, &q.U);
            accumulator.AddRow(ay, &q.V);
        } else {
            SplitRow(q, s.columns, ax);
            const double y[2] = {q.U, q.V};
            accumulator.AddRow(ax, y);
        }
    }
    std::vector<double> M = accumulator.Finish();
    const long n = s.columns;
    PivotTriangle(M, n, n + s.rhs, s.permutation);
    s.R.assign(M.begin(), M.begin() + n * n);
    s.qty.assign(M.begin() + n * n, M.end());
    const double first = std::fabs(s.R[0]);
    s.rank = 0;
    while (s.rank < n && first > 0.0 && std::fabs(s.R[s.rank * n + s.rank]) > rankTolerance * first)
        ++s.rank;
    s.singularValues = SingularValues(s.R, n);
    return s;
}

void SolveSystem(const LeastSquaresSystem &s, double *params) {
    const long n = s.columns;
    for (long j = 0; j < s.m; ++j)
        params[j] = 0.0;
    for (long r = 0; r < s.rhs; ++r) {
        double z[kMaxColumns] = {};
        for (long k = s.rank - 1; k >= 0; --k) {
            double value = s.qty[r * n + k];
            for (long j = k + 1; j < s.rank; ++j)
                value -= s.R[j * n + k] * z[j];
            z[k] = value / s.R[k * n + k];
        }
        for (long k = 0; k < s.rank; ++k) {
            const long column = s.permutation[k];
            if (s.coupled)
                params[column] = z[k];
            else
                params[2 * column + r] = z[k];
        }
    }
}

void ComputeResiduals(const LeastSquaresSystem &s, const ControlPointArrays &points,
                      const double *params, double *vx, double *vy) {
    const FrameMap map(s);
    const double scale = s.newFrame.scale;
    double ax[kMaxColumns], ay[kMaxColumns], pX[kMaxColumns / 2], pY[kMaxColumns / 2];
    for (long j = 0; !s.coupled && j < s.columns; ++j) {
        pX[j] = params[2 * j];
        pY[j] = params[2 * j + 1];
    }
    for (long k = 0; k < points.n; ++k) {
        const FramePoint q = map(points, k);
        if (s.coupled) {
            CoupledRows(s.model, q, ax, ay);
            vx[k] = scale * (q.U - Dot(ax, params, s.m));
            vy[k] = scale * (q.V - Dot(ay, params, s.m));
        } else {
            SplitRow(q, s.columns, ax);
            vx[k] = scale * (q.U - Dot(ax, pX, s.columns));
            vy[k] = scale * (q.V - Dot(ax, pY, s.columns));
        }
    }
}

HatBlock ComputeHatBlock(const LeastSquaresSystem &s, const ControlPointArrays &points, long k) {
    const FramePoint q = FrameMap(s)(points, k);
    double ax[kMaxColumns], ay[kMaxColumns], gx[kMaxColumns], gy[kMaxColumns];
    if (s.coupled) {
        CoupledRows(s.model, q, ax, ay);
        SolveTransposed(s, ax, gx);
        SolveTransposed(s, ay, gy);
        return {Dot(gx, gx, s.rank), Dot(gx, gy, s.rank), Dot(gy, gy, s.rank)};
    }
    SplitRow(q, s.columns, ax);
    SolveTransposed(s, ax, gx);
    const double h = Dot(gx, gx, s.rank);
    return {h, 0.0, h};
}

void FitStable(long model, const ControlPointArrays &points, StableFit *fit) {
    fit->oldFrame = NormaliseCoordinates(points.n, points.XI, points.YI);
    fit->newFrame = NormaliseCoordinates(points.n, points.XP, points.YP);
    // Normalised coordinates of a sound control point set give a design with a
    // condition of a few hundred at most; 1e-10 marks only what the points
    // really leave undetermined.
    fit->system = ReduceSystem(model, points, fit->oldFrame, fit->newFrame, 1e-10);
    for (double &p : fit->params)
        p = 0.0;
    SolveSystem(fit->system, fit->params);
    fit->vx.resize(static_cast<std::size_t>(points.n));
    fit->vy.resize(static_cast<std::size_t>(points.n));
    ComputeResiduals(fit->system, points, fit->params, fit->vx.data(), fit->vy.data());
    double sx = 0.0, sy = 0.0;
    for (long k = 0; k < points.n; ++k) {
        sx += fit->vx[k] * fit->vx[k];
        sy += fit->vy[k] * fit->vy[k];
    }
    const double n = static_cast<double>(points.n);
    fit->sdX = sx == 0.0 ? 0.0 : std::sqrt(sx / n);
    fit->sdY = sy == 0.0 ? 0.0 : std::sqrt(sy / n);
}

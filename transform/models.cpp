#include "transform/models.h"

#include "transform/normal_equations.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool g_plainAccumulation = false;

constexpr long kMaxParams = 20;

// Models whose X row holds K terms of the old coordinates at the odd
// positions p1, p3, ... and whose Y row holds the same terms at p2, p4, ...
// The products of x and y are formed once, in this order, for the rows and
// for the predicted values alike.
struct Affine {
    static constexpr long kTerms = 3;
    static void Terms(double x, double y, double *u) {
        u[0] = 1.0;
        u[1] = x;
        u[2] = y;
    }
};

struct Polynomial2 {
    static constexpr long kTerms = 6;
    static void Terms(double x, double y, double *u) {
        u[0] = 1.0;
        u[1] = x;
        u[2] = y;
        u[3] = x * x;
        u[4] = y * y;
        u[5] = x * y;
    }
};

struct Polynomial3 {
    static constexpr long kTerms = 10;
    static void Terms(double x, double y, double *u) {
        const double xx = x * x;
        const double yy = y * y;
        u[0] = 1.0;
        u[1] = x;
        u[2] = y;
        u[3] = xx;
        u[4] = yy;
        u[5] = x * y;
        u[6] = xx * x;
        u[7] = xx * y;
        u[8] = x * yy;
        u[9] = yy * y;
    }
};

// Rows of their own shape: kXEntries and kYEntries list the entries of the
// X and Y row that are not zero by construction, in ascending order.
struct Projective {
    static constexpr long kParams = 8;
    static constexpr long kXEntries[] = {0, 2, 4, 6, 7};
    static constexpr long kYEntries[] = {1, 3, 5, 6, 7};
    static void Rows(double x, double y, double X, double Y, double *ax, double *ay) {
        const double xX = x * X, yX = y * X, xY = x * Y, yY = y * Y;
        const double rx[kParams] = {1.0, 0.0, x, 0.0, y, 0.0, -xX, -yX};
        const double ry[kParams] = {0.0, 1.0, 0.0, x, 0.0, y, -xY, -yY};
        for (long j = 0; j < kParams; ++j) {
            ax[j] = rx[j];
            ay[j] = ry[j];
        }
    }
    static void Predict(const double *p, double x, double y, double X, double Y, double *Xh,
                        double *Yh) {
        *Xh = p[0] + p[2] * x + p[4] * y - p[6] * (x * X) - p[7] * (y * X);
        *Yh = p[1] + p[3] * x + p[5] * y - p[6] * (x * Y) - p[7] * (y * Y);
    }
};

struct Similarity {
    static constexpr long kParams = 4;
    static constexpr long kXEntries[] = {0, 2, 3};
    static constexpr long kYEntries[] = {1, 2, 3};
    static void Rows(double x, double y, double, double, double *ax, double *ay) {
        ax[0] = 1.0;
        ax[1] = 0.0;
        ax[2] = x;
        ax[3] = -y;
        ay[0] = 0.0;
        ay[1] = 1.0;
        ay[2] = y;
        ay[3] = x;
    }
    static void Predict(const double *p, double x, double y, double, double, double *Xh,
                        double *Yh) {
        *Xh = p[0] + p[2] * x - p[3] * y;
        *Yh = p[1] + p[3] * x + p[2] * y;
    }
};

struct Conformal2 {
    static constexpr long kParams = 6;
    static constexpr long kXEntries[] = {0, 2, 3, 4, 5};
    static constexpr long kYEntries[] = {1, 2, 3, 4, 5};
    static void Rows(double x, double y, double, double, double *ax, double *ay) {
        const double d = x * x - y * y;
        const double t = 2.0 * x * y;
        ax[0] = 1.0;
        ax[1] = 0.0;
        ax[2] = x;
        ax[3] = y;
        ax[4] = d;
        ax[5] = t;
        ay[0] = 0.0;
        ay[1] = 1.0;
        ay[2] = y;
        ay[3] = -x;
        ay[4] = t;
        ay[5] = -d;
    }
    static void Predict(const double *p, double x, double y, double, double, double *Xh,
                        double *Yh) {
        const double d = x * x - y * y;
        const double t = 2.0 * x * y;
        *Xh = p[0] + p[2] * x + p[3] * y + p[4] * d + p[5] * t;
        *Yh = p[1] - p[3] * x + p[2] * y + p[4] * t - p[5] * d;
    }
};

// True when no value is infinite or NaN (a NaN fails the comparison), without
// a branch per value.
template <long K> bool AllFinite(const double *values) {
    bool finite = true;
    for (long i = 0; i < K; ++i)
        finite &= std::fabs(values[i]) <= std::numeric_limits<double>::max();
    return finite;
}

// Normal equations of one fit. Each element of N and b receives its
// products in observation order, as the plain accumulation adds them; while
// every value is finite, the products of design entries that are zero by
// construction are left out (adding a zero product to a sum that is never -0
// changes no bit) and only the upper triangle is summed (a(i)a(j) = a(j)a(i) exactly), then
// mirrored. The first non-finite value switches to the plain accumulation for
// the rest, where 0 * inf must give its NaN.
struct NormalEquations {
    long m;
    bool dense;
    double N[kMaxParams * kMaxParams];
    double b[kMaxParams];

    explicit NormalEquations(long count) : m(count), dense(g_plainAccumulation) {
        for (long i = 0; i < m * m; ++i)
            N[i] = 0.0;
        for (long i = 0; i < m; ++i)
            b[i] = 0.0;
    }

    void AddDense(const double *a, double l) {
        AddToNormalMatrix(N, a, &m);
        for (long j = 0; j < m; ++j)
            b[j] += a[j] * l;
    }

    // The products of a row whose entries outside Entries are zero by
    // construction, upper triangle only. An entry that happens to be zero in
    // the data adds zero products, which change no bit of a sum that is never
    // -0.
    template <const auto &Entries> void AddStructured(const double *a, double l) {
        constexpr long count = sizeof(Entries) / sizeof(Entries[0]);
        for (long s = 0; s < count; ++s) {
            const long i = Entries[s];
            const double ai = a[i];
            for (long t = s; t < count; ++t) {
                const long j = Entries[t];
                N[i + j * m] += a[j] * ai;
            }
            b[i] += ai * l;
        }
    }

    // Copies the upper triangle onto the lower one.
    void Mirror() {
        for (long j = 0; j < m; ++j)
            for (long i = j + 1; i < m; ++i)
                N[i + j * m] = N[j + i * m];
    }

    // One observation: the X row with X, then the Y row with Y.
    template <class Model> void AddRows(const double *ax, double X, const double *ay, double Y) {
        if (!dense && !(AllFinite<Model::kParams>(ax) && AllFinite<Model::kParams>(ay) &&
                        std::isfinite(X) && std::isfinite(Y))) {
            Mirror();
            dense = true;
        }
        if (dense) {
            AddDense(ax, X);
            AddDense(ay, Y);
        } else {
            AddStructured<Model::kXEntries>(ax, X);
            AddStructured<Model::kYEntries>(ay, Y);
        }
    }

    void Finish() {
        if (!dense)
            Mirror();
    }
};

template <void (*predict)(const double *, double, double, double, double, double *, double *)>
void SetResiduals(long n, long m, const double *XP, const double *YP, const double *XI,
                  const double *YI, const double *p, double *TX, double *TY, double *sdX,
                  double *sdY) {
    if (n < m) {
        for (long k = 0; k < n; ++k) {
            TX[k] = 0.0;
            TY[k] = 0.0;
        }
        *sdX = 0.0;
        *sdY = 0.0;
        return;
    }
    double SX = 0.0, SY = 0.0;
    for (long k = 0; k < n; ++k) {
        double Xh, Yh;
        predict(p, XI[k], YI[k], XP[k], YP[k], &Xh, &Yh);
        TX[k] = XP[k] - Xh;
        TY[k] = YP[k] - Yh;
        SX += TX[k] * TX[k];
        SY += TY[k] * TY[k];
    }
    *sdX = SX == 0.0 ? 0.0 : std::sqrt(SX / static_cast<double>(n));
    *sdY = SY == 0.0 ? 0.0 : std::sqrt(SY / static_cast<double>(n));
}

void Solve(NormalEquations &equations, double *params) {
    InvertMatrix(&equations.m, equations.N);
    for (long j = 0; j < equations.m; ++j)
        params[j] = 0.0;
    MultiplyMatrixVector(params, equations.N, equations.b, &equations.m);
}

template <class Model>
long FitRowModel(const double *XP, const double *YP, const double *XI, const double *YI,
                 const long *count, double *params, long *paramCount, double *TX, double *TY,
                 double *sdX, double *sdY) {
    constexpr long m = Model::kParams;
    *paramCount = m;
    const long n = *count;
    NormalEquations equations(m);
    double ax[m], ay[m];
    for (long k = 0; k < n; ++k) {
        Model::Rows(XI[k], YI[k], XP[k], YP[k], ax, ay);
        equations.AddRows<Model>(ax, XP[k], ay, YP[k]);
    }
    equations.Finish();
    Solve(equations, params);
    SetResiduals<Model::Predict>(n, m, XP, YP, XI, YI, params, TX, TY, sdX, sdY);
    return 0;
}

// Sum of p[offset + 2i] * u[i] from i = 0, added left to right; u[0] is 1, so
// the first term is p1 (or p2) itself.
template <long K> double Evaluate(const double *p, long offset, const double *u) {
    double s = p[offset];
    for (long i = 1; i < K; ++i)
        s = s + p[offset + 2 * i] * u[i];
    return s;
}

template <class Model>
void PredictInterleaved(const double *p, double x, double y, double, double, double *Xh,
                        double *Yh) {
    double u[Model::kTerms];
    Model::Terms(x, y, u);
    *Xh = Evaluate<Model::kTerms>(p, 0, u);
    *Yh = Evaluate<Model::kTerms>(p, 1, u);
}

// Two doubles in one SSE2 register. Each lane rounds exactly as a double
// operation would, so sums kept in pairs have the bits of scalar ones.
typedef double DoublePair __attribute__((vector_size(16)));

// Sums of the products of K terms u, upper triangle, and of the terms with
// the observed X and Y, each added in observation order. Row i holds the
// products u(j) u(i), j = i ... K - 1, two at a time; the last pair of a row
// of odd length carries a product of the zero u(K) that is never read.
// Products of a zero term are added like any other: they change no bit of a
// sum that is never -0.
template <long K> struct TermSums {
    static constexpr long PairsBefore(long row) {
        long pairs = 0;
        for (long i = 0; i < row; ++i)
            pairs += (K - i + 1) / 2;
        return pairs;
    }

    DoublePair t[PairsBefore(K)] = {};
    DoublePair b[K] = {}; // (sum of u(i) X, sum of u(i) Y)

    // u holds K + 1 terms, the last one 0.
    void Add(const double *u, double X, double Y) {
        const DoublePair observed = {X, Y};
        DoublePair *sum = t;
#pragma GCC unroll 16
        for (long i = 0; i < K; ++i) {
            const DoublePair ui = {u[i], u[i]};
#pragma GCC unroll 8
            for (long j = i; j < K; j += 2) {
                DoublePair uj;
                std::memcpy(&uj, u + j, sizeof uj);
                *sum++ += uj * ui;
            }
            b[i] += ui * observed;
        }
    }

    // The sum of u(j) u(i), j >= i.
    double Product(long i, long j) const {
        return t[PairsBefore(i) + (j - i) / 2][(j - i) % 2];
    }
};

template <class Model>
long FitInterleavedModel(const double *XP, const double *YP, const double *XI, const double *YI,
                         const long *count, double *params, long *paramCount, double *TX,
                         double *TY, double *sdX, double *sdY) {
    constexpr long K = Model::kTerms;
    constexpr long m = 2 * K;
    *paramCount = m;
    const long n = *count;
    NormalEquations equations(m);

    // While the data is finite, the X rows feed only the elements of odd
    // parameters and the Y rows only those of even ones, with the same terms:
    // both blocks receive the same products in the same order, so one
    // triangle of the terms serves for both.
    TermSums<K> sums;
    long k = 0;
    if (!equations.dense) {
        for (; k < n; ++k) {
            const double x = XI[k], y = YI[k], X = XP[k], Y = YP[k];
            double u[K + 1];
            Model::Terms(x, y, u);
            if (!(AllFinite<K>(u) && std::isfinite(X) && std::isfinite(Y)))
                break;
            u[K] = 0.0;
            sums.Add(u, X, Y);
        }
        for (long i = 0; i < K; ++i) {
            for (long j = i; j < K; ++j) {
                const double s = sums.Product(i, j);
                equations.N[2 * i + 2 * j * m] = s;
                equations.N[2 * j + 2 * i * m] = s;
                equations.N[(2 * i + 1) + (2 * j + 1) * m] = s;
                equations.N[(2 * j + 1) + (2 * i + 1) * m] = s;
            }
            equations.b[2 * i] = sums.b[i][0];
            equations.b[2 * i + 1] = sums.b[i][1];
        }
        equations.dense = true;
    }
    for (; k < n; ++k) {
        double u[K], ax[m], ay[m];
        Model::Terms(XI[k], YI[k], u);
        for (long i = 0; i < K; ++i) {
            ax[2 * i] = u[i];
            ax[2 * i + 1] = 0.0;
            ay[2 * i] = 0.0;
            ay[2 * i + 1] = u[i];
        }
        equations.AddDense(ax, XP[k]);
        equations.AddDense(ay, YP[k]);
    }
    Solve(equations, params);
    SetResiduals<PredictInterleaved<Model>>(n, m, XP, YP, XI, YI, params, TX, TY, sdX, sdY);
    return 0;
}

} // namespace

long FitProjective(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY) {
    return FitRowModel<Projective>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX, sdY);
}

long FitSimilarity(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY) {
    return FitRowModel<Similarity>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX, sdY);
}

long FitAffine(const double *XP, const double *YP, const double *XI, const double *YI,
               const long *n, double *params, long *paramCount, double *TX, double *TY, double *sdX,
               double *sdY) {
    return FitInterleavedModel<Affine>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX, sdY);
}

long FitPolynomial2(const double *XP, const double *YP, const double *XI, const double *YI,
                    const long *n, double *params, long *paramCount, double *TX, double *TY,
                    double *sdX, double *sdY) {
    return FitInterleavedModel<Polynomial2>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX,
                                            sdY);
}

long FitConformal2(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY) {
    return FitRowModel<Conformal2>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX, sdY);
}

long FitPolynomial3(const double *XP, const double *YP, const double *XI, const double *YI,
                    const long *n, double *params, long *paramCount, double *TX, double *TY,
                    double *sdX, double *sdY) {
    return FitInterleavedModel<Polynomial3>(XP, YP, XI, YI, n, params, paramCount, TX, TY, sdX,
                                            sdY);
}

FitFunction FitFunctionForType(long transformType) {
    switch (transformType) {
    case 1: return FitProjective;
    case 2: return FitSimilarity;
    case 3: return FitAffine;
    case 4: return FitPolynomial2;
    case 5: return FitConformal2;
    case 6: return FitPolynomial3;
    default: return nullptr;
    }
}

void UsePlainAccumulation(bool plain) {
    g_plainAccumulation = plain;
}

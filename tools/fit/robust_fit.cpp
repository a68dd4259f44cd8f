#include "tools/fit/robust_fit.h"

#include "tools/fit/fit_diagnostics.h"
#include "tools/fit/portable_math.h"
#include "tools/fit/thin_plate_spline.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace {

// Samples drawn at least and at most; in between, as many as give a
// 99.99 % chance that one sample is free of blunders.
constexpr long kMinSamples = 50;
constexpr long kMaxSamples = 4000;
constexpr double kMissChance = 1e-4;
// Median of the squared length of a two-dimensional standard normal residual:
// 2 ln 2.
constexpr double kMedianChiSquare2 = 1.3862943611198906;
// A robust scale above this share of the spread of the new coordinates means
// no consensus.
constexpr double kNoConsensusScale = 0.1;
// Good points that the snooping may exclude by chance, on average, in a set
// of any size.
constexpr double kChanceExclusions = 0.05;

// Squared residual lengths of every point against params (frame units).
void SquaredResiduals(long model, const double *params, const std::vector<double> &u,
                      const std::vector<double> &v, const std::vector<double> &U,
                      const std::vector<double> &V, std::vector<double> *r2) {
    r2->resize(u.size());
    for (std::size_t k = 0; k < u.size(); ++k) {
        double pu = 0.0, pv = 0.0;
        EvaluateModel(model, params, u[k], v[k], &pu, &pv);
        const double du = U[k] - pu, dv = V[k] - pv;
        const double r = du * du + dv * dv;
        (*r2)[k] = r == r ? r : DBL_MAX; // a prediction at a pole is as bad as any
    }
}

// The lower median of values, of those above the skip smallest ones: a
// sample's own points have residuals of 0 and must not make the median.
double LowerMedian(std::vector<double> values, std::size_t skip = 0) {
    const std::size_t at = skip + (values.size() - skip - 1) / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return values[at];
}

// The studentised residual on the scale of a large redundancy, as the
// diagnostics define it: q = v^T (I -+ H)^-1 v of the point, spread^2 the
// residual variance of a fit without it, freedom its degrees of freedom.
double Studentised(double q, double spread, long freedom) {
    if (freedom <= 0)
        return std::nan("");
    const double t2 = spread > 0.0 ? std::fmax(q, 0.0) / 2.0 / (spread * spread) : 0.0;
    const double half = 0.5 * static_cast<double>(freedom);
    return std::sqrt(half * PortableLog1p(t2 / half));
}

RobustOutcome FindSplineBlunders(const ControlPointArrays &points) {
    RobustOutcome out;
    const long n = points.n;
    if (n < 5) {
        out.error = "too few points for --robust: " + std::to_string(n) +
                    ", and the spline needs at least 5 (4 to fit and check it and one more)";
        return out;
    }
    std::vector<char> in(static_cast<std::size_t>(n), 1), settled(in.size(), 0);
    for (long round = 0; round < 2 * n; ++round) {
        std::vector<long> members, others;
        for (long k = 0; k < n; ++k)
            (in[k] ? members : others).push_back(k);
        const PointSubset kept(points, members);
        const SplineSolution spline = FitThinPlateSpline(kept.View(), kept.lines.data());
        if (!spline.solved) {
            out.error = "no consensus: " + spline.error;
            return out;
        }
        const FitDiagnostics d = DiagnoseSpline(kept.View(), spline, kept.lines.data());
        long worstAt = -1;
        for (std::size_t k = 0; k < d.points.size(); ++k)
            if (d.points[k].studentized > kSplineLimit &&
                (worstAt < 0 || d.points[k].studentized > d.points[worstAt].studentized))
                worstAt = static_cast<long>(k);
        if (worstAt >= 0 && 2 * (static_cast<long>(members.size()) - 1) >= n &&
            members.size() > 5) {
            in[members[worstAt]] = 0;
            settled[members[worstAt]] = std::max<char>(settled[members[worstAt]], 1);
            continue;
        }
        if (worstAt >= 0) {
            out.error = "no consensus: fewer than half of the " + std::to_string(n) +
                        " points would be left for the spline";
            return out;
        }
        // A point left out is as far off as an excluded one when its
        // residual, weighted as a typical node's, is beyond the limit.
        const double limit = kSplineLimit * std::sqrt(2.0) * SplineSpread(kept.View(), spline) /
                             MedianWeight(spline);
        bool back = false;
        for (const long k : others) {
            if (settled[k] == 2)
                continue;
            double X = 0.0, Y = 0.0;
            EvaluateThinPlateSpline(spline.fit, points.XI[k], points.YI[k], &X, &Y);
            if (PortableLength(points.XP[k] - X, points.YP[k] - Y) <= limit) {
                in[k] = 1;
                settled[k] = 2;
                back = true;
            }
        }
        if (!back)
            break;
    }
    for (long k = 0; k < n; ++k)
        (in[k] ? out.kept : out.excluded).push_back(k);
    out.found = true;
    return out;
}

} // namespace

PointSubset::PointSubset(const ControlPointArrays &all, const std::vector<long> &which) {
    for (std::vector<double> *column : {&XI, &YI, &XP, &YP})
        column->reserve(which.size());
    lines.reserve(which.size());
    for (const long k : which) {
        XI.push_back(all.XI[k]);
        YI.push_back(all.YI[k]);
        XP.push_back(all.XP[k]);
        YP.push_back(all.YP[k]);
        lines.push_back(all.lines != nullptr ? all.lines[k] : k + 1);
    }
}

long MinimalSample(long model) {
    return (CoefficientCount(model) + 1) / 2;
}

RobustOutcome FindBlunders(long model, const ControlPointArrays &points) {
    if (model == kSplineModel)
        return FindSplineBlunders(points);
    RobustOutcome out;
    const long n = points.n, s = MinimalSample(model), m = CoefficientCount(model);
    if (n < s + 1) {
        out.error = "too few points for --robust: " + std::to_string(n) + ", and the " +
                    ModelName(model) + " model needs at least " + std::to_string(s + 1) +
                    " (a sample of " + std::to_string(s) + " and one more to check it)";
        return out;
    }

    // Everything in one frame, that of all points.
    const Normalisation oldFrame = NormaliseCoordinates(n, points.XI, points.YI);
    const Normalisation newFrame = NormaliseCoordinates(n, points.XP, points.YP);
    std::vector<double> u(n), v(n), U(n), V(n);
    double largest = 0.0;
    for (long k = 0; k < n; ++k) {
        u[k] = (points.XI[k] - oldFrame.centre_x) / oldFrame.scale;
        v[k] = (points.YI[k] - oldFrame.centre_y) / oldFrame.scale;
        U[k] = (points.XP[k] - newFrame.centre_x) / newFrame.scale;
        V[k] = (points.YP[k] - newFrame.centre_y) / newFrame.scale;
        largest = std::fmax(largest, std::fmax(std::fabs(points.XP[k]), std::fabs(points.YP[k])));
    }
    // Rounding of the coordinates is not a residual: the scale never falls
    // below it.
    const double floor = 16.0 * DBL_EPSILON * largest / newFrame.scale;

    // The points that score the samples.
    PortableRandom random(kRobustSeed);
    std::vector<long> scored(static_cast<std::size_t>(n));
    for (long k = 0; k < n; ++k)
        scored[k] = k;
    if (n > kScoredPoints) {
        for (long k = 0; k < kScoredPoints; ++k)
            std::swap(scored[k], scored[k + random.Below(n - k)]);
        scored.resize(kScoredPoints);
        std::sort(scored.begin(), scored.end());
    }
    const long count = static_cast<long>(scored.size());
    std::vector<double> su, sv, sU, sV;
    for (const long k : scored) {
        su.push_back(u[k]);
        sv.push_back(v[k]);
        sU.push_back(U[k]);
        sV.push_back(V[k]);
    }

    // Least median of squares over minimal samples.
    double best = HUGE_VAL, bestParams[20] = {}, params[20] = {};
    long needed = kMinSamples;
    std::vector<long> sample;
    std::vector<double> r2;
    for (out.samples = 0; out.samples < needed && out.samples < kMaxSamples; ++out.samples) {
        sample.clear();
        while (static_cast<long>(sample.size()) < s) {
            const long pick = scored[random.Below(count)];
            if (std::find(sample.begin(), sample.end(), pick) == sample.end())
                sample.push_back(pick);
        }
        const PointSubset drawn(points, sample);
        const LeastSquaresSystem system =
            ReduceSystem(model, drawn.View(), oldFrame, newFrame, 1e-10);
        if (system.rank < system.columns)
            continue; // the sample does not fix the model (points on a line)
        SolveSystem(system, params);
        SquaredResiduals(model, params, su, sv, sU, sV, &r2);
        const double median = LowerMedian(r2, static_cast<std::size_t>(s));
        if (!(median < best))
            continue;
        best = median;
        std::copy(params, params + m, bestParams);
        // The share of points this sample agrees with sets how many samples
        // make one free of blunders likely enough.
        const double sigma2 = std::fmax(median / kMedianChiSquare2, floor * floor);
        const double limit = kConsensusLimit * kConsensusLimit * sigma2;
        const long agree = static_cast<long>(
            std::count_if(r2.begin(), r2.end(), [limit](double value) { return value <= limit; }));
        double clean = 1.0;
        for (long i = 0; i < s; ++i)
            clean *= static_cast<double>(agree) / static_cast<double>(count);
        needed =
            clean >= 1.0 ? kMinSamples
            : clean <= 0.0
                ? kMaxSamples
                : static_cast<long>(std::ceil(PortableLog(kMissChance) / PortableLog(1.0 - clean)));
        needed = std::min(kMaxSamples, std::max(kMinSamples, needed));
    }
    if (!(best < HUGE_VAL)) {
        out.error = std::string("no consensus: every sample of ") + std::to_string(s) +
                    " points leaves the " + ModelName(model) +
                    " model undetermined (the points lie on a line or too few are apart)";
        return out;
    }

    // Consensus: least-squares refits of the points within the limit of a
    // robust scale, until the set stays the same.
    std::vector<char> in(static_cast<std::size_t>(n), 0);
    SquaredResiduals(model, bestParams, u, v, U, V, &r2);
    double sigma2 =
        std::fmax(LowerMedian(r2, static_cast<std::size_t>(s)) / kMedianChiSquare2, floor * floor);
    for (int round = 0; round < 30; ++round) {
        const double limit = kConsensusLimit * kConsensusLimit * sigma2;
        bool changed = false;
        std::vector<long> members;
        for (long k = 0; k < n; ++k) {
            const char now = r2[k] <= limit ? 1 : 0;
            changed = changed || now != in[k];
            in[k] = now;
            if (now)
                members.push_back(k);
        }
        const long agree = static_cast<long>(members.size());
        if (2 * agree <= n || agree <= s) {
            out.error = "no consensus: the best " + std::string(ModelName(model)) +
                        " transformation agrees with only " + std::to_string(agree) + " of the " +
                        std::to_string(n) + " points" +
                        (agree <= s ? ", no more than one sample of " + std::to_string(s) +
                                          ": nothing is left to check them"
                                    : "; they do not follow one such transformation, or half "
                                      "of them or more are wrong");
            return out;
        }
        if (!changed && round > 0)
            break;
        const PointSubset kept(points, members);
        const LeastSquaresSystem system =
            ReduceSystem(model, kept.View(), oldFrame, newFrame, 1e-10);
        SolveSystem(system, params);
        SquaredResiduals(model, params, u, v, U, V, &r2);
        std::vector<double> own;
        for (const long k : members)
            own.push_back(r2[k]);
        // Fitted residuals are smaller than the errors by the share of the
        // observations that the coefficients use up.
        const double used = 2.0 * static_cast<double>(members.size());
        const double freedom = used > static_cast<double>(m) ? used / (used - m) : 1.0;
        sigma2 = std::fmax(LowerMedian(own) / kMedianChiSquare2 * freedom, floor * floor);
    }

    // Residuals of a tenth of the spread of the new coordinates (the frame's
    // unit) are no transformation that the points follow: random points, or
    // points of two transformations mixed half and half, end here.
    if (sigma2 > kNoConsensusScale * kNoConsensusScale) {
        out.error = "no consensus: the best " + std::string(ModelName(model)) +
                    " transformation leaves residuals of " +
                    std::to_string(static_cast<long>(std::lround(100.0 * std::sqrt(sigma2)))) +
                    " % of the spread of the points; they do not follow one such transformation";
        return out;
    }

    // Data snooping: the most deviant kept point flagged by its studentised
    // residual goes out, one at a time; then an excluded point whose
    // residual against the fit of the kept ones is within the same limit
    // comes back (once: settled 2).
    std::vector<char> settled(static_cast<std::size_t>(n), 0);
    // The flag limit 3 is passed by chance by one good point in 8,100; in a
    // large set that would be many, so the limit rises with N to keep the
    // expected count of good points excluded at kChanceExclusions:
    // exp(-t^2) N = kChanceExclusions on this scale.
    const double limitT = std::fmax(
        kFlagThreshold, std::sqrt(PortableLog(static_cast<double>(n) / kChanceExclusions)));
    for (long round = 0; round < 2 * n + 10; ++round) {
        std::vector<long> members, others;
        for (long k = 0; k < n; ++k)
            (in[k] ? members : others).push_back(k);
        const PointSubset kept(points, members);
        const ControlPointArrays view = kept.View();
        StableFit fit;
        FitStable(model, view, &fit);
        const long K = view.n, freedom = 2 * K - m;
        double sse = 0.0;
        for (long k = 0; k < K; ++k)
            sse += fit.vx[k] * fit.vx[k] + fit.vy[k] * fit.vy[k];
        const double floorUnits = floor * newFrame.scale;
        double worst = 0.0;
        long worstAt = -1;
        for (long k = 0; k < K && freedom - 2 > 0; ++k) {
            double lx = 0.0, ly = 0.0;
            if (!LeaveOneOut(ComputeHatBlock(fit.system, view, k), fit.vx[k], fit.vy[k], &lx, &ly))
                continue;
            const double q = fit.vx[k] * lx + fit.vy[k] * ly;
            const double rest = sse - q > 0.0 ? (sse - q) / static_cast<double>(freedom - 2) : 0.0;
            const double t = Studentised(q, std::fmax(std::sqrt(rest), floorUnits), freedom - 2);
            if (t > limitT && t > worst) {
                worst = t;
                worstAt = members[k];
            }
        }
        if (worstAt >= 0) {
            in[worstAt] = 0;
            settled[worstAt] = std::max<char>(settled[worstAt], 1);
            continue;
        }
        if (others.empty() || freedom <= 0)
            break;
        const PointSubset outside(points, others);
        const ControlPointArrays away = outside.View();
        std::vector<double> ox(others.size()), oy(others.size());
        ComputeResiduals(fit.system, away, fit.params, ox.data(), oy.data());
        const double spread = std::fmax(std::sqrt(sse / static_cast<double>(freedom)), floorUnits);
        bool back = false;
        for (long j = 0; j < away.n; ++j) {
            if (settled[others[j]] == 2)
                continue;
            // A point outside the fit: its residual's covariance is I + H.
            const HatBlock h = ComputeHatBlock(fit.system, away, j);
            const double a = 1.0 + h.xx, b = h.xy, d = 1.0 + h.yy, det = a * d - b * b;
            const double q =
                (d * ox[j] * ox[j] - 2.0 * b * ox[j] * oy[j] + a * oy[j] * oy[j]) / det;
            if (Studentised(q, spread, freedom) <= limitT) {
                in[others[j]] = 1;
                settled[others[j]] = 2;
                back = true;
            }
        }
        if (!back)
            break;
    }

    for (long k = 0; k < n; ++k)
        (in[k] ? out.kept : out.excluded).push_back(k);
    const long K = static_cast<long>(out.kept.size());
    if (2 * K <= n) {
        out.error = "no consensus: once tested, only " + std::to_string(K) + " of the " +
                    std::to_string(n) + " points agree on one " + ModelName(model) +
                    " transformation";
        out.kept.clear();
        out.excluded.clear();
        return out;
    }
    if (2 * K - m - 2 <= 0)
        out.warnings.push_back("the " + std::to_string(K) +
                               " points kept leave too little redundancy to test them: a "
                               "blunder among them would go unnoticed");
    out.found = true;
    return out;
}

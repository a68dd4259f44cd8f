#include "tools/fit/fit_diagnostics.h"

#include "tools/fit/portable_math.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Format(const char *format, double a, double b = 0.0, double c = 0.0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// The documented system: the model in the file's own coordinates, reduced
// the stable way so that its singular values, and so the condition of its
// normal matrix, can be read off even when that matrix itself is hopeless.
LeastSquaresSystem DocumentedSystem(long model, const ControlPointArrays &points) {
    return ReduceSystem(model, points, Normalisation(), Normalisation(), 1e-14);
}

// A residual that small is rounding of the coordinates, not a measurement:
// the spread of the other points is never taken as smaller than this.
double RoundingFloor(const ControlPointArrays &points) {
    double largest = 0.0;
    for (long k = 0; k < points.n; ++k)
        largest = std::fmax(largest, std::fmax(std::fabs(points.XP[k]), std::fabs(points.YP[k])));
    return 16.0 * DBL_EPSILON * largest;
}

} // namespace

std::string FlaggedLinesText(const std::vector<long> &lines) {
    std::string text = std::to_string(lines.size()) + (lines.size() == 1 ? " point" : " points") +
                       " flagged (studentised residual above 3), a blunder is likely at line";
    text += lines.size() == 1 ? " " : "s ";
    const std::size_t shown = lines.size() < 20 ? lines.size() : 20;
    for (std::size_t i = 0; i < shown; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    if (shown < lines.size())
        text += " and " + std::to_string(lines.size() - shown) + " more";
    return text;
}

double EstimateDocumentedCondition(long model, const ControlPointArrays &points) {
    LeastSquaresSystem documented;
    if (points.n <= kConditionSample) {
        documented = DocumentedSystem(model, points);
    } else {
        const long stride = (points.n + kConditionSample - 1) / kConditionSample;
        std::vector<double> sample[4];
        for (long k = 0; k < points.n; k += stride) {
            sample[0].push_back(points.XI[k]);
            sample[1].push_back(points.YI[k]);
            sample[2].push_back(points.XP[k]);
            sample[3].push_back(points.YP[k]);
        }
        const ControlPointArrays even = {static_cast<long>(sample[0].size()), sample[0].data(),
                                         sample[1].data(), sample[2].data(), sample[3].data()};
        documented = DocumentedSystem(model, even);
    }
    const std::vector<double> &sv = documented.singularValues;
    if (sv.empty() || !(sv.back() > 0.0))
        return std::numeric_limits<double>::infinity();
    const double ratio = sv.front() / sv.back();
    return ratio * ratio;
}

bool LeaveOneOut(const HatBlock &h, double ex, double ey, double *looX, double *looY) {
    const double a = 1.0 - h.xx, b = -h.xy, d = 1.0 - h.yy;
    // Smallest eigenvalue of I - H: near 0 when the point alone fixes a
    // direction of the fit, and then no residual is left to compare.
    const double smallest = 0.5 * (a + d) - std::sqrt(0.25 * (a - d) * (a - d) + b * b);
    if (!(smallest > 1e-10)) {
        *looX = *looY = kNaN;
        return false;
    }
    const double det = a * d - b * b;
    *looX = (d * ex - b * ey) / det;
    *looY = (a * ey - b * ex) / det;
    return true;
}

std::vector<std::string> ConditionWarnings(long model, long n, double condition, bool stable) {
    std::vector<std::string> warnings;
    const long m = CoefficientCount(model), redundancy = 2 * n - m;
    const double digitsLost = std::log10(condition);
    if (!stable && digitsLost > kDigitsLostWarning)
        warnings.push_back(
            !std::isfinite(condition)
                ? std::string("the normal equations are singular: the coefficients are "
                              "meaningless; fit with --stable")
            : digitsLost < 16.0
                ? Format("the normal equations have a condition of %.2g: they lose %.1f of the "
                         "16 significant digits, so the coefficients and residuals may be "
                         "wrong; fit with --stable",
                         condition, digitsLost)
                : Format("the normal equations have a condition of %.2g (%.1f digits): all 16 "
                         "significant digits are lost, so the coefficients and residuals may be "
                         "wrong; fit with --stable",
                         condition, digitsLost));
    if (n < m)
        warnings.push_back(
            Format(n == 1 ? "only %.0f point for the %.0f coefficients of this model"
                          : "only %.0f points for the %.0f coefficients of this model",
                   n, m) +
            (stable ? std::string(": the fit cannot be checked")
                    : std::string(": the report shows zero residuals that say nothing")));
    if (redundancy <= 0)
        warnings.push_back(Format("no redundancy (2N - m = %.0f): the residuals say nothing "
                                  "about the fit",
                                  redundancy));
    return warnings;
}

FitDiagnostics DiagnoseFit(long model, const ControlPointArrays &points, const double *vx,
                           const double *vy, bool stable, const StableFit *fit, const long *lines) {
    FitDiagnostics d;
    d.model = model;
    d.m = CoefficientCount(model);
    d.n = points.n;
    d.stable = stable;
    d.redundancy = 2 * points.n - d.m;

    d.condition = EstimateDocumentedCondition(model, points);
    d.digitsLost = std::log10(d.condition);

    // The hat matrix of the fit that made the residuals. For every model but
    // the projective one it does not depend on the frame, and the normalised
    // frame gives it accurately; the projective model's linearised form does
    // depend on it.
    LeastSquaresSystem own;
    const LeastSquaresSystem *hatSystem = nullptr;
    if (stable && fit != nullptr) {
        hatSystem = &fit->system;
    } else if (model == 1) {
        own = DocumentedSystem(model, points);
        hatSystem = &own;
    } else {
        own = ReduceSystem(model, points, NormaliseCoordinates(points.n, points.XI, points.YI),
                           NormaliseCoordinates(points.n, points.XP, points.YP), 1e-10);
        hatSystem = &own;
    }
    d.rank = hatSystem->rank * hatSystem->rhs;

    double sse = 0.0;
    for (long k = 0; k < points.n; ++k)
        sse += vx[k] * vx[k] + vy[k] * vy[k];
    d.totalRms = points.n > 0 ? std::sqrt(sse / static_cast<double>(points.n)) : 0.0;
    d.meanError = d.redundancy > 0 ? std::sqrt(sse / static_cast<double>(d.redundancy)) : kNaN;

    // Externally studentised: the point's residual against the spread of the
    // others, t = sqrt(e^T (I - H)^-1 e / 2) / s(i) with s(i)^2 = (SSE - e^T
    // (I - H)^-1 e) / (2N - m - 2), the sum of squares of the fit without the
    // point. Under normal errors t^2 follows an F distribution with 2 and d =
    // 2N - m - 2 degrees of freedom, whose tail (1 + 2 t^2 / d)^(-d / 2) is far
    // heavier for a small d than the tail exp(-t^2) it has for a large one: a
    // 4-point similarity fit reaches t = 3 by chance one time in ten. The value
    // reported is therefore t on the scale of a large redundancy, sqrt((d / 2)
    // ln(1 + 2 t^2 / d)), the same as t when d is large, so that above 3 means
    // the same rarity, about 1 in 8,100, at any redundancy.
    const long freedom = d.redundancy - 2;
    const double floor = RoundingFloor(points);
    d.points.reserve(static_cast<std::size_t>(points.n));
    for (long k = 0; k < points.n; ++k) {
        const HatBlock hat = ComputeHatBlock(*hatSystem, points, k);
        // Every line of the file holds one point.
        d.points.push_back({lines != nullptr ? lines[k] : k + 1, vx[k], vy[k],
                            0.5 * (hat.xx + hat.yy), kNaN, kNaN, kNaN, false});
        PointDiagnostics &p = d.points.back();
        if (!LeaveOneOut(hat, vx[k], vy[k], &p.looVx, &p.looVy) || freedom <= 0)
            continue;
        const double q = vx[k] * p.looVx + vy[k] * p.looVy;
        const double rest = sse - q > 0.0 ? (sse - q) / static_cast<double>(freedom) : 0.0;
        const double spread = std::fmax(std::sqrt(rest), floor);
        const double t2 = spread > 0.0 ? std::fmax(q, 0.0) / 2.0 / (spread * spread) : 0.0;
        const double half = 0.5 * static_cast<double>(freedom);
        p.studentized = std::sqrt(half * PortableLog1p(t2 / half));
        p.flagged = p.studentized > kFlagThreshold;
        if (p.flagged)
            d.flaggedLines.push_back(p.line);
    }

    d.warnings = ConditionWarnings(model, points.n, d.condition, stable);
    if (stable && hatSystem->rank < hatSystem->columns)
        d.warnings.push_back(
            Format("the points do not determine %.0f of the %.0f coefficients (they are set to "
                   "0): the points lie on a line or too few are far enough apart",
                   (hatSystem->columns - hatSystem->rank) * hatSystem->rhs, d.m));
    if (!d.flaggedLines.empty())
        d.warnings.push_back(FlaggedLinesText(d.flaggedLines));
    return d;
}

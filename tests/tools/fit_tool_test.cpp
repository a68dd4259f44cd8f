// ortk-fit's numbers: exact recovery at UTM size where the normal equations
// fail and agreement where they hold, leave-one-out residuals against real
// refits, planted blunders found by their line and none on clean data, the
// normalisation, rank, condition, redundancy and warnings.
// tests/scripts/fit-outputs.sh checks the tool's printout, JSON and map.
#include "tests/tools/planted_points.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Points = PlantedPoints;

// Exact points of every model at UTM size over a 10 km sheet: the stable fit
// reproduces them and predicts a point outside the fit, the normal equations
// (which lose 6 to 11 digits of 5e6 there) do not. Where the normal equations
// hold, both fits give the same residuals and standard deviations (the
// model's value at the points: tests/tools/fit_apply_test.cpp).
TEST(StableFit, RecoversExactUtmPointsAndAgreesWhereTheNormalEquationsHold) {
    for (long model = 1; model <= 6; ++model) {
        const Points set = Plant(model, 41, 0, 0, 1, 1, 7, 510000.0, 5100000.0, 10000.0),
                     noisy = Plant(model, 12, 0.5, 0, 1, 1, 7, 0, 0, 198);
        const Fitted f(model, set.Without(40), true), g(model, noisy, true);
        double r[2], worst = std::fabs(g.s.sdX - g.sdX) + std::fabs(g.s.sdY - g.sdY);
        ComputeResiduals(f.s.system, set.Without(0, 40).View(), f.s.params, r, r + 1);
        EXPECT_TRUE(Rms(f.s.vx, f.s.vy) < 1e-6 && Rms(f.vx, f.vy) >= 1e-6 &&
                    std::hypot(r[0], r[1]) < 1e-6 && f.s.system.rank == f.s.system.columns)
            << model;
        for (std::size_t k = 0; k < 12; ++k)
            worst += std::fabs(g.s.vx[k] - g.vx[k]) + std::fabs(g.s.vy[k] - g.vy[k]);
        EXPECT_TRUE(model == 1 || model == 6 || (worst < 1e-9 && g.sdX != g.sdY))
            << model << " " << worst;
    }
}

// Every point's leave-one-out residual against a real refit without it (in
// the full fit's frame for the stable fit, by the library's routine for the
// documented one); the leverages sum to half the coefficients (the trace of
// the hat matrix, per axis). A blunder planted in a known line is flagged,
// named in the last warning, and nothing else is; without it nothing is.
TEST(FitDiagnostics, LeaveOneOutMatchesRefitsAndOnlyAPlantedBlunderIsFlagged) {
    // model, stable, n, x0, half, sigma, line, dx, dy. Four points leave 2
    // degrees of freedom: chance alone must not flag; rounding of exact points
    // is not mistaken for a blunder.
    const double rows[][9] = {
        {6, 1, 60, 5e5, 5000, 0.02, 41, 0.0, 0.3}, {1, 1, 25, 5e5, 5000, 0.05, 1, 0.8, 0.8},
        {5, 0, 20, 0, 300, 0.05, 20, 0.6, 0.0},    {1, 0, 14, 30, 100, 0.05, 5, 0.5, 0.0},
        {2, 1, 4, 0, 10, 0.02, 4, 5.0, 0.0},       {4, 1, 30, 5e5, 5000, 0.0, 12, 0.01, 0.0}};
    for (const auto &row : rows) {
        for (const bool clean : {false, true}) {
            const long model = long(row[0]), n = long(row[2]), line = clean ? 0 : long(row[6]);
            Points set = Plant(model, n, row[5], 0, 1, 1, 11, row[3], 10 * row[3], 2 * row[4]);
            if (line > 0)
                set.XP[line - 1] += row[7], set.YP[line - 1] += row[8];
            const Fitted full(model, set, row[1] != 0);
            double leverage = 0.0, params[21], vx, vy;
            for (long k = 0; k < n; ++k) {
                const PointDiagnostics &p = full.d.points[k];
                const Points rest = set.Without(k), one = set.Without(0, k).Without(1, n);
                const LeastSquaresSystem s = ReduceSystem(
                    model, rest.View(), full.d.stable ? full.s.oldFrame : Normalisation(),
                    full.d.stable ? full.s.newFrame : Normalisation(), 1e-10);
                const Fitted refit(model, rest, false);
                std::copy(refit.params, refit.params + 21, params);
                if (full.d.stable)
                    SolveSystem(s, params);
                ComputeResiduals(s, one.View(), params, &vx, &vy);
                EXPECT_TRUE(std::fabs(p.looVx - vx) <= 1e-6 * (1.0 + std::fabs(vx)) &&
                            std::fabs(p.looVy - vy) <= 1e-6 * (1.0 + std::fabs(vy)) &&
                            p.line == k + 1 && p.flagged == (p.line == line))
                    << model << " line " << p.line << ": " << p.looVx << " " << vx;
                leverage += p.leverage;
            }
            EXPECT_NEAR(leverage, CoefficientCount(model) / 2.0, 1e-9) << model;
            const std::string last = full.d.warnings.empty() ? "" : full.d.warnings.back();
            EXPECT_EQ(last.find(" line " + std::to_string(line)) != std::string::npos, line > 0)
                << last;
        }
    }
}

// The rank of the fit, the condition of the documented normal equations, the
// redundancy, the mean error beside the Total RMS, and the warnings they call
// for; a fit of points on a line still passes through them.
TEST(FitDiagnostics, RankConditionRedundancyAndWarnings) {
    Points sets[3] = {
        {},
        {},
        Plant(3, 20, 0.05, 0, 1, 1, 7, 510000, 5100000, 10000)}; // a unit square, a line, UTM
    for (int k = 0; k < 6; ++k) {
        sets[0].Add(k % 2, k / 2 % 2, 1 + k % 2, 1 + k / 2 % 2);
        sets[1].Add(k, 2.0 * k, 100.0 + 3.0 * k, 50.0 - k);
    }
    const struct {
        long model, set, points;
        bool stable;
        long redundancy, rank;
        double condition; // 0: not checked
        std::vector<const char *> warnings;
    } rows[] = {
        {3, 0, 4, false, 2, 6, (7 + std::sqrt(33.0)) / (7 - std::sqrt(33.0)), {"only 4 points"}},
        {6, 2, 16, false, 12, 20, 0, {"digits): all 16 significant", "the report shows zero"}},
        {6, 2, 16, true, 12, 20, 0, {"only 16 points for the 20 coefficients of this model: the"}},
        {3, 2, 20, false, 34, 6, 0, {"fit with --stable"}},
        {3, 2, 20, true, 34, 6, 0, {}},
        // On a line the monomials reduce to powers of one variable.
        {3, 1, 6, true, 6, 4, 0, {"do not determine 2 of the 6"}},
        {6, 1, 6, true, -8, 8, 0, {"only 6 points", "(2N - m = -8)", "12 of the 20"}},
        {2, 1, 2, true, 0, 4, 0, {"only 2 points for the 4", "no redundancy (2N - m = 0)"}},
        {3, 1, 0, true, -6, 0, 0, {"only 0 points", "(2N - m = -6)", "determine 6 of the 6"}}};
    for (const auto &row : rows) {
        const Fitted f(row.model, sets[row.set].Without(row.points, 99), row.stable);
        const std::vector<double> &vx = row.stable ? f.s.vx : f.vx,
                                  &vy = row.stable ? f.s.vy : f.vy;
        ASSERT_EQ(f.d.warnings.size(), row.warnings.size()) << row.model << " " << row.set;
        for (std::size_t i = 0; i < row.warnings.size(); ++i)
            EXPECT_NE(f.d.warnings[i].find(row.warnings[i]), std::string::npos) << f.d.warnings[i];
        EXPECT_TRUE(f.d.redundancy == row.redundancy && f.d.rank == row.rank)
            << row.model << " " << row.set << " " << f.d.rank;
        EXPECT_TRUE(row.set != 1 || !row.points || Rms(vx, vy) < 1e-9);
        EXPECT_DOUBLE_EQ(f.d.totalRms, row.points ? Rms(vx, vy) : 0.0);
        const double mean = Rms(vx, vy) * std::sqrt(double(vx.size()) / row.redundancy);
        EXPECT_TRUE(row.redundancy > 0 ? std::fabs(f.d.meanError - mean) <= 1e-12 * mean
                                       : std::isnan(f.d.meanError));
        EXPECT_TRUE(!row.condition ||
                    (std::fabs(f.d.condition / row.condition - 1) < 1e-12 &&
                     std::fabs(f.d.digitsLost - std::log10(row.condition)) < 1e-12));
    }
}

} // namespace

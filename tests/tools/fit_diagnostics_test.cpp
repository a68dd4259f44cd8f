// Diagnostics: leave-one-out residuals against real refits, planted blunders
// found by their line and none on clean data, the condition of the documented
// normal equations, redundancy and mean error, and the warnings.
#include "tests/tools/fit_test_points.h"
#include "tools/fit/fit_diagnostics.h"
#include "transform/models.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Fitted {
    StableFit stable;
    double params[21] = {};
    std::vector<double> vx, vy;
    FitDiagnostics diagnostics;
};

// The stable fit, or the library's documented one, and its diagnostics.
Fitted FitAndDiagnose(long model, const PointSet &set, bool stable) {
    Fitted f;
    const ControlPointArrays p = set.View();
    if (stable) {
        FitStable(model, p, &f.stable);
        f.vx = f.stable.vx;
        f.vy = f.stable.vy;
        std::copy(f.stable.params, f.stable.params + 20, f.params);
    } else {
        f.vx.resize(p.n);
        f.vy.resize(p.n);
        long count = 0, n = p.n;
        double sdX, sdY;
        FitFunctionForType(model)(p.XP, p.YP, p.XI, p.YI, &n, f.params, &count, f.vx.data(),
                                  f.vy.data(), &sdX, &sdY);
    }
    f.diagnostics = DiagnoseFit(model, p, f.vx.data(), f.vy.data(), stable, &f.stable);
    return f;
}

// Residual of point k under a fit made without it: in the full fit's frame
// for the stable fit, by the library's routine for the documented one.
void RefitResidual(long model, const PointSet &set, long k, const Fitted &full, bool stable,
                   double *vx, double *vy) {
    const PointSet rest = set.Without(k);
    PointSet one;
    one.Add(set.XI[k], set.YI[k], set.XP[k], set.YP[k]);
    if (stable) {
        const LeastSquaresSystem s =
            ReduceSystem(model, rest.View(), full.stable.oldFrame, full.stable.newFrame, 1e-10);
        double params[20];
        SolveSystem(s, params);
        ComputeResiduals(s, one.View(), params, vx, vy);
    } else {
        const Fitted refit = FitAndDiagnose(model, rest, false);
        const LeastSquaresSystem s =
            ReduceSystem(model, one.View(), Normalisation(), Normalisation(), 1e-14);
        ComputeResiduals(s, one.View(), refit.params, vx, vy);
    }
}

bool Contains(const std::vector<std::string> &warnings, const std::string &part) {
    for (const std::string &w : warnings)
        if (w.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(FitDiagnostics, LeaveOneOutResidualsMatchRefitsWithoutThePoint) {
    const struct {
        long model;
        bool stable;
    } rows[] = {{1, true},  {2, true},  {3, true},  {4, true},  {5, true}, {6, true},
                {2, false}, {3, false}, {4, false}, {5, false}, {1, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(ModelName(row.model)) + (row.stable ? " stable" : " documented"));
        PointSet set = ExactPoints(row.model, 14, 200.0, 300.0, 100.0, 3);
        AddNoise(&set, 0.05, 4);
        const Fitted full = FitAndDiagnose(row.model, set, row.stable);
        double leverage = 0.0;
        for (long k = 0; k < 14; ++k) {
            const PointDiagnostics &p = full.diagnostics.points[k];
            double vx, vy;
            RefitResidual(row.model, set, k, full, row.stable, &vx, &vy);
            EXPECT_NEAR(p.looVx, vx, 1e-7 * (1.0 + std::fabs(vx))) << "line " << p.line;
            EXPECT_NEAR(p.looVy, vy, 1e-7 * (1.0 + std::fabs(vy))) << "line " << p.line;
            EXPECT_GT(std::fabs(p.looVx) + std::fabs(p.looVy), 1e-4);
            leverage += p.leverage;
        }
        // The hat matrix projects onto the m coefficients: trace m, half per axis.
        EXPECT_NEAR(leverage, CoefficientCount(row.model) / 2.0, 1e-9);
    }
}

TEST(FitDiagnostics, LeaveOneOutSolvesTheTwoByTwoBlock) {
    const struct {
        HatBlock h;
        double ex, ey;
        bool defined;
        double x, y;
    } rows[] = {
        {{0.5, 0.25, 0.5}, 1.0, 0.0, true, 8.0 / 3.0, 4.0 / 3.0},
        {{0.5, -0.25, 0.5}, 0.0, 3.0, true, -4.0, 8.0},
        {{0.75, 0.0, 0.75}, 1.0, -2.0, true, 4.0, -8.0},
        {{1.0, 0.0, 1.0}, 1e-9, 0.0, false, 0, 0},
        {{0.5, 0.5, 0.5}, 1.0, 1.0, false, 0, 0},
    };
    for (const auto &row : rows) {
        double x, y;
        EXPECT_EQ(LeaveOneOut(row.h, row.ex, row.ey, &x, &y), row.defined);
        if (row.defined) {
            EXPECT_NEAR(x, row.x, 1e-12);
            EXPECT_NEAR(y, row.y, 1e-12);
        } else {
            EXPECT_TRUE(std::isnan(x) && std::isnan(y));
        }
    }
}

TEST(FitDiagnostics, FlagsAPlantedBlunderByItsLineAndNothingOnCleanData) {
    const struct {
        long model;
        bool stable;
        long n;
        double x0, y0, half, sigma;
        long line; // 0: clean
        double dx, dy;
    } rows[] = {
        {3, true, 30, 510000, 5010000, 5000, 0.05, 17, 1.0, 0.0},
        {3, true, 30, 510000, 5010000, 5000, 0.05, 0, 0, 0},
        {2, true, 12, 0, 0, 100, 0.1, 3, -1.5, 1.0},
        {2, true, 12, 0, 0, 100, 0.1, 0, 0, 0},
        {6, true, 60, 510000, 5010000, 5000, 0.02, 41, 0.0, 0.3},
        {6, true, 60, 510000, 5010000, 5000, 0.02, 0, 0, 0},
        {1, true, 25, 510000, 5010000, 5000, 0.05, 1, 0.8, 0.8},
        {1, true, 25, 510000, 5010000, 5000, 0.05, 0, 0, 0},
        {5, false, 20, 0, 0, 300, 0.05, 20, 0.6, 0.0},
        {5, false, 20, 0, 0, 300, 0.05, 0, 0, 0},
        {4, false, 30, 100, 100, 80, 0.01, 9, 0.1, -0.1},
        {4, false, 30, 100, 100, 80, 0.01, 0, 0, 0},
        // Four points leave 2 degrees of freedom: chance alone must not flag.
        {2, true, 4, 0, 0, 10, 0.02, 0, 0, 0},
        {2, true, 4, 0, 0, 10, 0.02, 4, 5.0, 0.0},
        {3, true, 6, 0, 0, 10, 0.02, 0, 0, 0},
        // Exact points: rounding is not mistaken for a blunder.
        {4, true, 30, 510000, 5010000, 5000, 0.0, 0, 0, 0},
        {4, true, 30, 510000, 5010000, 5000, 0.0, 12, 0.01, 0.0},
    };
    int index = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << index++);
        PointSet set = ExactPoints(row.model, row.n, row.x0, row.y0, row.half, 11);
        AddNoise(&set, row.sigma, 12);
        if (row.line > 0) {
            set.XP[row.line - 1] += row.dx;
            set.YP[row.line - 1] += row.dy;
        }
        const Fitted f = FitAndDiagnose(row.model, set, row.stable);
        const std::vector<long> expected =
            row.line > 0 ? std::vector<long>{row.line} : std::vector<long>{};
        EXPECT_EQ(f.diagnostics.flaggedLines, expected);
        EXPECT_EQ(Contains(f.diagnostics.warnings, "line " + std::to_string(row.line)),
                  row.line > 0);
        for (const PointDiagnostics &p : f.diagnostics.points)
            EXPECT_EQ(p.flagged, p.line == row.line);
    }
}

TEST(FitDiagnostics, ConditionOfTheDocumentedNormalEquations) {
    PointSet square, cross;
    square.Add(0, 0, 1, 1);
    square.Add(1, 0, 2, 1);
    square.Add(0, 1, 1, 2);
    square.Add(1, 1, 2, 2);
    cross.Add(1, 0, 1, 0);
    cross.Add(-1, 0, -1, 0);
    cross.Add(0, 1, 0, 1);
    cross.Add(0, -1, 0, -1);
    const double squareCondition = (7.0 + std::sqrt(33.0)) / (7.0 - std::sqrt(33.0));
    const struct {
        long model;
        PointSet set;
        double condition;
    } rows[] = {{3, square, squareCondition}, {2, cross, 1.0}, {3, cross, 2.0}};
    for (const auto &row : rows) {
        const Fitted f = FitAndDiagnose(row.model, row.set, false);
        EXPECT_NEAR(f.diagnostics.condition, row.condition, 1e-12 * row.condition);
        EXPECT_NEAR(f.diagnostics.digitsLost, std::log10(row.condition), 1e-12);
    }
}

TEST(FitDiagnostics, RedundancyMeanErrorAndWarnings) {
    PointSet line;
    for (int k = 0; k < 6; ++k)
        line.Add(k, 2.0 * k, 100.0 + 3.0 * k, 50.0 - k);
    const PointSet sheet = ExamplePoints("sheet-to-utm33.txt");
    const PointSet utm = ExactPoints(3, 20, 510000, 5010000, 5000, 1);
    const struct {
        const char *name;
        long model;
        PointSet set;
        bool stable;
        long redundancy;
        std::vector<std::string> warnings; // parts of each expected warning, in order
    } rows[] = {
        {"sheet affine", 3, sheet, true, 26, {}},
        {"sheet affine documented", 3, sheet, false, 26, {}},
        {"sheet poly3",
         6,
         sheet,
         false,
         12,
         {"(17.2 digits): all 16 significant digits are lost",
          "only 16 points for the 20 coefficients of this model: the "
          "report shows zero residuals"}},
        {"sheet poly3 stable",
         6,
         sheet,
         true,
         12,
         {"only 16 points for the 20 coefficients of this model: the fit cannot be checked"}},
        {"two points similarity",
         2,
         line.Without(5).Without(4).Without(3).Without(2),
         true,
         0,
         {"only 2 points for the 4", "no redundancy (2N - m = 0)"}},
        {"utm affine documented", 3, utm, false, 34, {"fit with --stable"}},
        {"utm affine stable", 3, utm, true, 34, {}},
        {"line affine", 3, line, true, 6, {"do not determine 2 of the 6"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Fitted f = FitAndDiagnose(row.model, row.set, row.stable);
        const FitDiagnostics &d = f.diagnostics;
        EXPECT_EQ(d.redundancy, row.redundancy);
        ASSERT_EQ(d.warnings.size(), row.warnings.size());
        for (std::size_t i = 0; i < row.warnings.size(); ++i)
            EXPECT_NE(d.warnings[i].find(row.warnings[i]), std::string::npos) << d.warnings[i];
        double sse = 0.0;
        for (std::size_t k = 0; k < f.vx.size(); ++k)
            sse += f.vx[k] * f.vx[k] + f.vy[k] * f.vy[k];
        EXPECT_DOUBLE_EQ(d.totalRms, std::sqrt(sse / static_cast<double>(f.vx.size())));
        if (row.redundancy > 0)
            EXPECT_DOUBLE_EQ(d.meanError, std::sqrt(sse / static_cast<double>(row.redundancy)));
        else
            EXPECT_TRUE(std::isnan(d.meanError));
    }
}

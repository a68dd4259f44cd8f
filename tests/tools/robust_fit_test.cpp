// --robust: planted blunders of any size and direction found by their lines
// (no blunder kept, at most one good point left out) for every model and the
// spline, nothing excluded on clean data, the refusals, and the portable
// generator and logarithm that keep it the same on every platform.
#include "tests/tools/planted_points.h"
#include "tools/fit/portable_math.h"
#include "tools/fit/robust_fit.h"
#include "tools/fit/thin_plate_spline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// The published first outputs of SplitMix64 from the seed 0, and logarithms
// within an ulp of the C runtime's across the range of doubles.
TEST(PortableMath, GeneratorAndLogarithm) {
    PortableRandom random(0);
    EXPECT_EQ(random.Next(), 0xE220A8397B1DCDAFull);
    EXPECT_EQ(random.Next(), 0x6E789E6AA1B965F4ull);
    EXPECT_EQ(random.Next(), 0x06C45D188009454Full);
    const double values[] = {1.0,      2.0,     0.7071067811865475, 0.7071067811865476, 1e-300,
                             4.9e-324, 3.0e300, 1 + 1e-15,          0.999999,           DBL_MAX};
    for (const double x : values)
        EXPECT_NEAR(PortableLog(x), std::log(x),
                    1.2 * DBL_EPSILON * std::fmax(1.0, std::fabs(std::log(x))))
            << x;
    EXPECT_TRUE(PortableLog(0.0) == -HUGE_VAL && std::isnan(PortableLog(-1.0)));
    for (const double x : {1e-300, 1e-20, 3e-9, -0.25, 0.5, 3.0, 1e6})
        EXPECT_NEAR(PortableLog1p(x), std::log1p(x), 2.5 * DBL_EPSILON * std::fabs(std::log1p(x)))
            << x;
}

// Blunders planted at random lines (share of the points, lengths from low to
// high times the noise): every one is excluded, at most one good point with
// it.
TEST(RobustFit, PlantedBlundersAreExcludedByTheirLines) {
    const struct {
        long model, n;
        double sigma, share, low, high;
        unsigned seed;
        double x0;
        bool same; // every blunder the same shift (low, high): a rival consensus
    } rows[] = {
        {3, 60, 0.3, 0.4, 20, 1e4, 1, 5e5, false},   {1, 60, 0.05, 0.4, 20, 1e5, 3, 0, false},
        {2, 120, 0.1, 0.3, 30, 1e3, 4, 0, false},    {5, 100, 0.1, 0.25, 30, 1e3, 5, 0, false},
        {4, 150, 0.1, 0.3, 30, 1e4, 6, 5e5, false},  {6, 200, 0.1, 0.3, 30, 1e4, 7, 5e5, false},
        {3, 80, 0.2, 0.0, 1, 1, 8, 5e5, false},      {3, 100, 0.2, 0.4, 15, 25, 11, 0, true},
        {3, 40, 0.0, 0.3, 100, 1e4, 12, 5e5, false}, {7, 60, 0.05, 0.1, 30, 1e3, 13, 0, false},
        {7, 40, 0.05, 0.0, 1, 1, 14, 0, false}};
    for (const auto &row : rows) {
        const PlantedPoints p = Plant(row.model, row.n, row.sigma, row.share, row.low, row.high,
                                      row.seed, row.x0, 10 * row.x0, 200, row.same);
        const RobustOutcome out = FindBlunders(row.model, p.View());
        ASSERT_TRUE(out.found) << row.seed << ": " << out.error;
        const auto planted = [&](long k) { return p.blunders.count(k) != 0; };
        const long good = long(out.excluded.size()) -
                          std::count_if(out.excluded.begin(), out.excluded.end(), planted),
                   kept = std::count_if(out.kept.begin(), out.kept.end(), planted);
        EXPECT_TRUE(kept == 0 && good <= 1 && out.kept.size() + out.excluded.size() == p.XI.size())
            << "seed " << row.seed << ": " << kept << " blunders kept, " << good
            << " good points excluded";
    }
}

// Too few points for a sample and a check, points on a line, more than half
// of the points blunders, two halves that follow different transformations:
// a reason, nothing kept.
TEST(RobustFit, RefusesWhatItCannotDecide) {
    const PlantedPoints most = Plant(3, 100, 0.1, 0.6, 20, 1e4, 3);
    PlantedPoints halves = Plant(3, 40, 0.1);
    for (std::size_t k = 0; k < 20; ++k)
        halves.XP[k] += 50 + 0.3 * halves.YI[k], halves.YP[k] -= 0.2 * halves.XI[k];
    PlantedPoints line = Plant(3, 30, 0.1), three = Plant(3, 3, 0.1), four = Plant(7, 4, 0.1);
    for (std::size_t k = 0; k < line.XI.size(); ++k)
        line.YI[k] = 2 * line.XI[k] + 1;
    const struct {
        long model;
        const PlantedPoints *points;
        const char *reason;
    } rows[] = {
        {3, &three, "too few points for --robust: 3, and the affine model needs at least 4"},
        {7, &four, "too few points for --robust: 4, and the spline needs at least 5"},
        {3, &line, "no consensus: every sample of 3 points leaves the affine model"},
        {3, &most, "no consensus: the best affine transformation agrees with only"},
        {3, &halves, "no consensus: the best affine transformation leaves residuals of"}};
    for (const auto &row : rows) {
        const RobustOutcome out = FindBlunders(row.model, row.points->View());
        EXPECT_TRUE(!out.found && out.kept.empty() && out.error.find(row.reason) == 0)
            << row.reason << " / " << out.error;
    }
}

} // namespace

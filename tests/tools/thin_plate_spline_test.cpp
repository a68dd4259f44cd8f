// The thin-plate spline: exact at its nodes, exact for affine data, the same
// surface whatever similarity the old coordinates are given (true only of
// the kernel r^2 ln r^2), leave-one-out residuals equal to real refits
// without the point, and the sets it cannot pass through.
// tests/scripts/fit-robust.sh checks its values at new points against GDAL.
#include "tests/tools/planted_points.h"
#include "tools/fit/thin_plate_spline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ThinPlateSpline, InterpolatesReproducesAffineAndLeavesOneOutExactly) {
    const struct {
        long model, n;
        double sigma, x0, span;
    } rows[] = {{7, 12, 0.0, 0, 200},
                {7, 30, 0.1, 5e5, 5000},
                {3, 20, 0.0, 5e5, 5000},
                {4, 9, 0.05, 0, 10},
                {6, 40, 0.2, 3e4, 900}};
    for (const auto &row : rows) {
        const PlantedPoints p =
            Plant(row.model, row.n, row.sigma, 0, 1, 1, 3, row.x0, row.x0, row.span);
        const SplineSolution s = FitThinPlateSpline(p.View());
        ASSERT_TRUE(s.solved) << s.error;
        const double size = std::fabs(row.x0) + row.span, tolerance = 1e-13 * size * row.n;
        for (std::size_t k = 0; k < p.XI.size(); ++k) {
            // Through the node; the fit without it misses it by its
            // leave-one-out residual.
            double X, Y, lx, ly;
            EvaluateThinPlateSpline(s.fit, p.XI[k], p.YI[k], &X, &Y);
            const SplineSolution rest = FitThinPlateSpline(p.Without(long(k)).View());
            EvaluateThinPlateSpline(rest.fit, p.XI[k], p.YI[k], &lx, &ly);
            EXPECT_TRUE(std::fabs(X - p.XP[k]) < tolerance && std::fabs(Y - p.YP[k]) < tolerance &&
                        std::fabs(s.vx[k]) < tolerance)
                << row.n << " node " << k;
            EXPECT_TRUE(
                std::fabs(s.looVx[k] - (p.XP[k] - lx)) <= 1e-7 * (1 + std::fabs(s.looVx[k])) &&
                std::fabs(s.looVy[k] - (p.YP[k] - ly)) <= 1e-7 * (1 + std::fabs(s.looVy[k])))
                << row.n << " " << k;
        }
        EXPECT_EQ(SplineCoefficients(s.fit).size(), std::size_t(2 * (row.n + 3)));
        // Exact affine data: the spline is that affine map everywhere.
        if (row.model == 3 && row.sigma == 0)
            for (const double t : {-0.7, 0.2, 1.3}) {
                double X, Y;
                const double x = row.x0 + t * row.span, y = row.x0 - 0.4 * t * row.span;
                EvaluateThinPlateSpline(s.fit, x, y, &X, &Y);
                const double u = x - row.x0, v = y - row.x0;
                EXPECT_NEAR(X, row.x0 + 120 + 0.9998 * u - 0.0021 * v - 0.04 * v, 1e-8 * size);
                EXPECT_NEAR(Y, row.x0 - 80 + 0.0021 * u + 0.9998 * v + 0.05 * v, 1e-8 * size);
            }
    }
}

// Old coordinates turned, scaled and moved: the same surface at the moved
// places. With r ln r or an unscaled r^2 ln r the values change with scale.
TEST(ThinPlateSpline, SameSurfaceUnderASimilarityOfTheOldCoordinates) {
    const PlantedPoints p = Plant(7, 25, 0.1, 0, 1, 1, 9);
    PlantedPoints q = p;
    const double c = 0.6 * 37.5, s = 0.8 * 37.5;
    auto move = [&](double x, double y, double *mx, double *my) {
        *mx = 1e5 + c * x - s * y, *my = -2e4 + s * x + c * y;
    };
    for (std::size_t k = 0; k < p.XI.size(); ++k)
        move(p.XI[k], p.YI[k], &q.XI[k], &q.YI[k]);
    const SplineSolution a = FitThinPlateSpline(p.View()), b = FitThinPlateSpline(q.View());
    for (const double t : {-90.0, -10.0, 33.0, 140.0}) {
        double X1, Y1, X2, Y2, x, y;
        EvaluateThinPlateSpline(a.fit, t, 50 - t, &X1, &Y1);
        move(t, 50 - t, &x, &y);
        EvaluateThinPlateSpline(b.fit, x, y, &X2, &Y2);
        EXPECT_TRUE(std::fabs(X1 - X2) < 1e-8 && std::fabs(Y1 - Y2) < 1e-8) << t << ": " << X1 - X2;
        EXPECT_GT(std::fabs(X1 - 120 - 0.9998 * t + 0.0021 * (50 - t)), 0.01) << "not a wave";
    }
}

TEST(ThinPlateSpline, SetsItCannotPassThrough) {
    PlantedPoints twice = Plant(7, 8, 0.1), line = Plant(7, 8, 0.1);
    twice.XI[6] = twice.XI[2], twice.YI[6] = twice.YI[2];
    for (std::size_t k = 0; k < line.XI.size(); ++k)
        line.YI[k] = 3 - line.XI[k];
    const PlantedPoints many = Plant(7, kMaxSplinePoints + 1, 0.1), two = Plant(7, 2, 0.1);
    const struct {
        const PlantedPoints *points;
        const char *error;
    } rows[] = {{&twice, "lines 3 and 7 have the same old coordinates"},
                {&line, "the spline is undetermined: the points lie on a line"},
                {&many, "too many points for the spline: 2001, at most 2000"},
                {&two, "too few points for the spline: 2"}};
    for (const auto &row : rows) {
        const SplineSolution s = FitThinPlateSpline(row.points->View());
        EXPECT_TRUE(!s.solved && s.error.find(row.error) == 0) << s.error;
    }
    // Points of a grid share their x or their y, and that is no obstacle.
    PlantedPoints grid = Plant(7, 9, 0.1);
    for (std::size_t k = 0; k < 9; ++k)
        grid.XI[k] = 10.0 * (k % 3), grid.YI[k] = 10.0 * (k / 3);
    EXPECT_TRUE(FitThinPlateSpline(grid.View()).solved);
}

} // namespace

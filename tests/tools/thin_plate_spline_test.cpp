// The thin-plate spline: exact at its nodes, the same surface whatever similarity the old
// coordinates are given (true only of the kernel r^2 ln r^2), leave-one-out residuals equal to real
// refits without the point, its map's affine part, and the sets it cannot pass through.
// tests/scripts/fit-robust.sh checks its values at new points and nodes against GDAL, read back
// from its JSON by ortk-fit apply, and inverted.
#include "tests/tools/planted_points.h"
#include "tools/fit/fit_apply.h"
#include "tools/fit/thin_plate_spline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Through every node (its residual the rounding's) and, fitted without it,
// missing it by its leave-one-out residual; the same surface when the old coordinates are turned,
// scaled and moved (with r ln r or an unscaled r^2 ln r the values change with scale). Its map is
// the spline and starts Newton's iteration from its affine part.
TEST(ThinPlateSpline, InterpolatesAndLeavesOneOut) {
    const struct {
        long model, n;
        double sigma, x0, span;
    } rows[] = {{7, 12, 0.0, 0, 200}, {7, 30, 0.1, 5e5, 5000}, {4, 9, 0.05, 0, 10}};
    const double c = 0.6 * 37.5, s = 0.8 * 37.5;
    auto move = [&](double x, double y, double *mx, double *my) {
        *mx = 1e5 + c * x - s * y, *my = -2e4 + s * x + c * y;
    };
    for (const auto &row : rows) {
        const PlantedPoints p =
            Plant(row.model, row.n, row.sigma, 0, 1, 1, 3, row.x0, row.x0, row.span);
        PlantedPoints q = p;
        for (std::size_t k = 0; k < p.XI.size(); ++k)
            move(p.XI[k], p.YI[k], &q.XI[k], &q.YI[k]);
        const SplineSolution t = FitThinPlateSpline(p.View()), moved = FitThinPlateSpline(q.View());
        ASSERT_TRUE(t.solved && moved.solved);
        const FitMap map = MakeSplineMap(t.fit);
        TpsFit affine = t.fit;
        affine.weightX.assign(row.n, 0.0), affine.weightY.assign(row.n, 0.0);
        const double size = std::fabs(row.x0) + row.span, tolerance = 1e-13 * size * row.n;
        for (std::size_t k = 0; k < p.XI.size(); ++k) {
            double X, Y, lx, ly;
            EvaluateThinPlateSpline(t.fit, p.XI[k], p.YI[k], &X, &Y);
            const SplineSolution rest = FitThinPlateSpline(p.Without(long(k)).View());
            EvaluateThinPlateSpline(rest.fit, p.XI[k], p.YI[k], &lx, &ly);
            EXPECT_TRUE(X == p.XP[k] - t.vx[k] && Y == p.YP[k] - t.vy[k] &&
                        std::fabs(t.vx[k]) < tolerance && std::fabs(t.vy[k]) < tolerance)
                << row.n << " node " << k;
            EXPECT_TRUE(
                std::fabs(t.looVx[k] - (p.XP[k] - lx)) <= 1e-7 * (1 + std::fabs(t.looVx[k])) &&
                std::fabs(t.looVy[k] - (p.YP[k] - ly)) <= 1e-7 * (1 + std::fabs(t.looVy[k])))
                << row.n << " " << k;
        }
        for (const double f : {-0.7, 0.2, 1.3}) {
            const double x = row.x0 + f * row.span, y = row.x0 - 0.4 * f * row.span,
                         *a = map.affine;
            double X, Y, Xm, Ym, Xa, Ya, mx, my, Xs, Ys;
            EvaluateThinPlateSpline(t.fit, x, y, &X, &Y);
            MapForward(map, x, y, &Xm, &Ym);
            EvaluateThinPlateSpline(affine, x, y, &Xa, &Ya);
            move(x, y, &mx, &my);
            EvaluateThinPlateSpline(moved.fit, mx, my, &Xs, &Ys);
            EXPECT_TRUE(Xm == X && Ym == Y &&
                        std::hypot(a[0] + a[1] * x + a[2] * y - Xa,
                                   a[3] + a[4] * x + a[5] * y - Ya) < 1e-6 &&
                        std::hypot(Xs - X, Ys - Y) < 1e-10 * size)
                << row.n << " " << f << ": " << Xs - X;
        }
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
}

} // namespace

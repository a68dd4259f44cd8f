#include "transform/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

struct Points {
    std::vector<double> XI, YI, XP, YP;
    void Add(double x, double y, double X, double Y) {
        XI.push_back(x);
        YI.push_back(y);
        XP.push_back(X);
        YP.push_back(Y);
    }
    long size() const { return static_cast<long>(XI.size()); }
};

struct Fit {
    long result = -1;
    long count = -1;
    double params[21];
    std::vector<double> TX, TY;
    double sdX = -1, sdY = -1;
};

Fit RunFit(FitFunction fit, const Points &points) {
    Fit out;
    for (double &p : out.params)
        p = 12345.0;
    const long n = points.size();
    out.TX.assign(n, -99.0);
    out.TY.assign(n, -99.0);
    out.result = fit(points.XP.data(), points.YP.data(), points.XI.data(), points.YI.data(), &n,
                     out.params, &out.count, out.TX.data(), out.TY.data(), &out.sdX, &out.sdY);
    return out;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

Points SimilaritySquare() {
    Points p;
    p.Add(0, 0, 100, 200);
    p.Add(10, 0, 120, 210);
    p.Add(0, 10, 90, 220);
    p.Add(10, 10, 110, 230);
    return p;
}

Points AffineSix() {
    Points p;
    p.Add(0, 0, 1000, 2000);
    p.Add(10, 0, 1020, 1995);
    p.Add(0, 10, 1005, 2030);
    p.Add(10, 10, 1025, 2025);
    p.Add(5, 5, 1013.1, 2011.3);
    p.Add(20, 5, 1042.5, 2005);
    return p;
}

TEST(FitSimilarity, RecoversTheSquareExactly) {
    const Fit f = RunFit(FitSimilarity, SimilaritySquare());
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(f.count, 4);
    const double expected[4] = {100, 200, 2, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(f.params[i], expected[i], 1e-12) << i;
    EXPECT_EQ(f.params[4], 12345.0); // elements from m on are not touched
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(f.TX[k], 0.0, 1e-12);
        EXPECT_NEAR(f.TY[k], 0.0, 1e-12);
    }
    EXPECT_NEAR(f.sdX, 0.0, 1e-12);
    EXPECT_NEAR(f.sdY, 0.0, 1e-12);
}

TEST(FitSimilarity, TwoPointsStillGiveParametersButNoResiduals) {
    Points p;
    p.Add(0, 0, 100, 200);
    p.Add(10, 0, 120, 210);
    const Fit f = RunFit(FitSimilarity, p);
    const double expected[4] = {100, 200, 2, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(f.params[i], expected[i], 1e-12) << i;
    EXPECT_EQ(f.TX[0], 0.0);
    EXPECT_EQ(f.TY[1], 0.0);
    EXPECT_EQ(f.sdX, 0.0);
    EXPECT_EQ(f.sdY, 0.0);
}

TEST(FitConformal2, SquareGivesOppositeSignOfP4AndZeroResiduals) {
    const Fit f = RunFit(FitConformal2, SimilaritySquare());
    EXPECT_EQ(f.count, 6);
    const double expected[6] = {100, 200, 2, -1, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(f.params[i], expected[i], 1e-9) << i;
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(f.TX[k], 0.0);
        EXPECT_EQ(f.TY[k], 0.0);
    }
    EXPECT_EQ(f.sdX, 0.0);
}

TEST(FitAffine, SixPointExample) {
    const Fit f = RunFit(FitAffine, AffineSix());
    EXPECT_EQ(f.count, 6);
    const double params[6] = {1000.139130, 1999.721739, 1.994783, -0.489565, 0.5, 3.0};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(f.params[i], params[i], 5e-7) << i;
    const double tx[6] = {-0.139130, -0.086957, -0.139130, -0.086957, 0.486957, -0.034783};
    const double ty[6] = {0.278261, 0.173913, 0.278261, 0.173913, -0.973913, 0.069565};
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(f.TX[k], tx[k], 5e-7) << k;
        EXPECT_NEAR(f.TY[k], ty[k], 5e-7) << k;
    }
    EXPECT_NEAR(f.sdX, 0.220671, 5e-7);
    EXPECT_NEAR(f.sdY, 0.441342, 5e-7);
}

TEST(FitAffine, FourPointsGiveExactParametersAndZeroDeviations) {
    Points p = AffineSix();
    for (auto *v : {&p.XI, &p.YI, &p.XP, &p.YP})
        v->resize(4);
    const Fit f = RunFit(FitAffine, p);
    const double params[6] = {1000, 2000, 2, -0.5, 0.5, 3};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(f.params[i], params[i], 1e-9) << i;
    EXPECT_EQ(f.sdX, 0.0);
    EXPECT_EQ(f.sdY, 0.0);
}

TEST(FitProjective, RecoversGeneratingParameters) {
    const double p[8] = {10, 20, 1.5, 0.2, -0.3, 1.1, 0.001, 0.002};
    const double old[9][2] = {{0, 0},   {100, 0}, {0, 100}, {100, 100}, {50, 50},
                              {20, 70}, {80, 30}, {60, 90}, {10, 40}};
    Points pts;
    for (const auto &o : old) {
        const double d = 1 + p[6] * o[0] + p[7] * o[1];
        pts.Add(o[0], o[1], (p[0] + p[2] * o[0] + p[4] * o[1]) / d,
                (p[1] + p[3] * o[0] + p[5] * o[1]) / d);
    }
    const Fit f = RunFit(FitProjective, pts);
    EXPECT_EQ(f.count, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(f.params[i], p[i], std::fabs(p[i]) * 1e-10 + 1e-12) << i;
    for (int k = 0; k < 9; ++k) {
        EXPECT_LT(std::fabs(f.TX[k]), 1e-9);
        EXPECT_LT(std::fabs(f.TY[k]), 1e-9);
    }
}

TEST(FitModels, SinglePointGivesNaNParametersAndZeroResiduals) {
    Points p;
    p.Add(0.5, 0.5, 1, 2);
    const long counts[6] = {8, 4, 6, 12, 6, 20};
    for (long type = 1; type <= 6; ++type) {
        const Fit f = RunFit(FitFunctionForType(type), p);
        EXPECT_EQ(f.count, counts[type - 1]);
        for (long i = 0; i < f.count; ++i)
            EXPECT_TRUE(std::isnan(f.params[i])) << type << " p" << i + 1;
        EXPECT_EQ(f.TX[0], 0.0);
        EXPECT_EQ(f.TY[0], 0.0);
        EXPECT_EQ(f.sdX, 0.0);
        EXPECT_EQ(f.sdY, 0.0);
    }
}

TEST(FitModels, NoPointsGiveNaNParameters) {
    const Fit f = RunFit(FitPolynomial3, Points());
    EXPECT_EQ(f.count, 20);
    EXPECT_TRUE(std::isnan(f.params[0]));
    EXPECT_EQ(f.sdX, 0.0);
}

TEST(FitModels, ResidualIsObservedMinusComputed) {
    Points p = AffineSix();
    const Fit f = RunFit(FitAffine, p);
    // The fifth point's x_new lies above the fitted plane.
    EXPECT_GT(f.TX[4], 0.0);
    EXPECT_LT(f.TY[4], 0.0);
}

// Evaluates each model's equations with known parameters.
void Apply(long type, const double *p, double x, double y, double *X, double *Y) {
    const double u[10] = {1, x, y, x * x, y * y, x * y, x * x * x, x * x * y, x * y * y, y * y * y};
    switch (type) {
    case 1: {
        const double d = 1 + p[6] * x + p[7] * y;
        *X = (p[0] + p[2] * x + p[4] * y) / d;
        *Y = (p[1] + p[3] * x + p[5] * y) / d;
        return;
    }
    case 2:
        *X = p[0] + p[2] * x - p[3] * y;
        *Y = p[1] + p[3] * x + p[2] * y;
        return;
    case 5: {
        const double d = x * x - y * y, t = 2 * x * y;
        *X = p[0] + p[2] * x + p[3] * y + p[4] * d + p[5] * t;
        *Y = p[1] - p[3] * x + p[2] * y + p[4] * t - p[5] * d;
        return;
    }
    default: {
        const int terms = type == 3 ? 3 : type == 4 ? 6 : 10;
        *X = *Y = 0;
        for (int i = 0; i < terms; ++i) {
            *X += p[2 * i] * u[i];
            *Y += p[2 * i + 1] * u[i];
        }
    }
    }
}

TEST(FitModels, GeneratedPointSetsRecoverKnownCoefficients) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coord(-50, 50);
    const long counts[6] = {8, 4, 6, 12, 6, 20};
    for (long type = 1; type <= 6; ++type) {
        double p[20];
        std::uniform_real_distribution<double> coef(-2, 2);
        for (double &v : p)
            v = coef(random) * (type == 1 ? 0.5 : 1.0);
        if (type == 1)
            p[6] = 1e-3, p[7] = -2e-3;
        Points pts;
        for (int k = 0; k < 60; ++k) {
            const double x = coord(random), y = coord(random);
            double X, Y;
            Apply(type, p, x, y, &X, &Y);
            pts.Add(x, y, X, Y);
        }
        const Fit f = RunFit(FitFunctionForType(type), pts);
        ASSERT_EQ(f.count, counts[type - 1]);
        for (long i = 0; i < f.count; ++i)
            EXPECT_NEAR(f.params[i], p[i], 1e-7 * (1 + std::fabs(p[i]))) << type << " p" << i + 1;
        EXPECT_LT(f.sdX, 1e-7) << type;
        EXPECT_LT(f.sdY, 1e-7) << type;
    }
}

// The shortcut accumulation must give the bits of the plain one, for finite
// data (with exact zeros among it) and once non-finite values appear.
TEST(FitModels, ShortcutAndPlainAccumulationGiveTheSameBits) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> coord(-1e4, 1e4);
    const double inf = std::numeric_limits<double>::infinity();
    for (int variant = 0; variant < 4; ++variant) {
        Points pts;
        for (int k = 0; k < 200; ++k) {
            double x = coord(random), y = coord(random);
            if (k % 17 == 0)
                x = 0.0;
            if (k % 23 == 0)
                y = -0.0;
            pts.Add(x, y, coord(random), coord(random));
        }
        if (variant == 1)
            pts.XI[150] = inf;
        if (variant == 2)
            pts.YP[40] = std::numeric_limits<double>::quiet_NaN();
        if (variant == 3)
            pts.XI[0] = 1e120; // x^3 overflows
        for (long type = 1; type <= 6; ++type) {
            UsePlainAccumulation(true);
            const Fit plain = RunFit(FitFunctionForType(type), pts);
            UsePlainAccumulation(false);
            const Fit fast = RunFit(FitFunctionForType(type), pts);
            for (long i = 0; i < plain.count; ++i)
                EXPECT_TRUE(SameBits(plain.params[i], fast.params[i]))
                    << "variant " << variant << " type " << type << " p" << i + 1 << ": "
                    << plain.params[i] << " vs " << fast.params[i];
            EXPECT_TRUE(SameBits(plain.sdX, fast.sdX));
            EXPECT_TRUE(SameBits(plain.sdY, fast.sdY));
        }
    }
}

} // namespace

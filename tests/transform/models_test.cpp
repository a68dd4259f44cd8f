#include "transform/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

const long kParamCounts[7] = {0, 8, 4, 6, 12, 6, 20}; // by type code

struct Points {
    std::vector<double> XI, YI, XP, YP;
    void Add(double x, double y, double X, double Y) {
        XI.push_back(x);
        YI.push_back(y);
        XP.push_back(X);
        YP.push_back(Y);
    }
};

struct Fit {
    long result = -1, count = -1;
    double params[21];
    std::vector<double> TX, TY;
    double sdX = -1, sdY = -1;
};

// Fills the stack below the caller with NaNs, so that a fit reading an element
// it never wrote gets a NaN rather than whatever an earlier call left there.
__attribute__((noinline)) void PoisonStack() {
    volatile double junk[4096];
    for (volatile double &v : junk)
        v = std::numeric_limits<double>::quiet_NaN();
}

Fit RunFit(long type, const Points &points) {
    Fit out;
    for (double &p : out.params)
        p = 12345.0;
    const long n = static_cast<long>(points.XI.size());
    out.TX.assign(n, -99.0);
    out.TY.assign(n, -99.0);
    PoisonStack();
    out.result = FitFunctionForType(type)(points.XP.data(), points.YP.data(), points.XI.data(),
                                          points.YI.data(), &n, out.params, &out.count,
                                          out.TX.data(), out.TY.data(), &out.sdX, &out.sdY);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.count, kParamCounts[type]);
    EXPECT_EQ(out.params[out.count], 12345.0) << "type " << type; // nothing past p(m)
    return out;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Each model's equations, to generate points from known coefficients.
void Apply(long type, const double *p, double x, double y, double *X, double *Y) {
    const double u[10] = {1, x, y, x * x, y * y, x * y, x * x * x, x * x * y, x * y * y, y * y * y};
    const double d = x * x - y * y, t = 2 * x * y, w = 1 + p[6] * x + p[7] * y;
    switch (type) {
    case 1:
        *X = (p[0] + p[2] * x + p[4] * y) / w;
        *Y = (p[1] + p[3] * x + p[5] * y) / w;
        return;
    case 2:
        *X = p[0] + p[2] * x - p[3] * y;
        *Y = p[1] + p[3] * x + p[2] * y;
        return;
    case 5:
        *X = p[0] + p[2] * x + p[3] * y + p[4] * d + p[5] * t;
        *Y = p[1] - p[3] * x + p[2] * y + p[4] * t - p[5] * d;
        return;
    }
    *X = *Y = 0;
    for (int i = 0; i < kParamCounts[type] / 2; ++i) {
        *X += p[2 * i] * u[i];
        *Y += p[2 * i + 1] * u[i];
    }
}

TEST(FitModels, AffineSixPointExample) {
    Points p;
    const double rows[6][4] = {{0, 0, 1000, 2000},   {10, 0, 1020, 1995},    {0, 10, 1005, 2030},
                               {10, 10, 1025, 2025}, {5, 5, 1013.1, 2011.3}, {20, 5, 1042.5, 2005}};
    for (const auto &r : rows)
        p.Add(r[0], r[1], r[2], r[3]);
    const Fit f = RunFit(3, p);
    const double params[6] = {1000.139130, 1999.721739, 1.994783, -0.489565, 0.5, 3.0};
    const double tx[6] = {-0.139130, -0.086957, -0.139130, -0.086957, 0.486957, -0.034783};
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(f.params[k], params[k], 5e-7) << k;
        EXPECT_NEAR(f.TX[k], tx[k], 5e-7) << k; // observed minus computed
        EXPECT_NEAR(f.TY[k], -2 * tx[k], 5e-6) << k;
    }
    EXPECT_NEAR(f.sdX, 0.220671, 5e-7);
    EXPECT_NEAR(f.sdY, 0.441342, 5e-7);
}

TEST(FitModels, GeneratedPointsGiveBackTheirCoefficients) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coord(-50, 50), coef(-2, 2);
    for (long type = 1; type <= 6; ++type) {
        double p[20];
        for (double &v : p)
            v = coef(random);
        p[6] = type == 1 ? 1e-3 : p[6];
        p[7] = type == 1 ? -2e-3 : p[7];
        Points pts;
        for (int k = 0; k < 60; ++k) {
            const double x = coord(random), y = coord(random);
            double X, Y;
            Apply(type, p, x, y, &X, &Y);
            pts.Add(x, y, X, Y);
        }
        const Fit f = RunFit(type, pts);
        for (long i = 0; i < f.count; ++i)
            EXPECT_NEAR(f.params[i], p[i], 1e-7 * (1 + std::fabs(p[i]))) << type << " p" << i + 1;
        EXPECT_LT(f.sdX, 1e-7) << type;
        EXPECT_LT(f.sdY, 1e-7) << type;
        EXPECT_LT(std::fabs(f.TX[59]) + std::fabs(f.TY[0]), 1e-7) << type;
    }
    EXPECT_EQ(FitFunctionForType(0), nullptr);
    EXPECT_EQ(FitFunctionForType(7), nullptr);
}

TEST(FitModels, FewerPointsThanCoefficientsGiveZeroResiduals) {
    Points one;
    one.Add(0.5, 0.5, 1, 2);
    for (long type = 1; type <= 6; ++type) {
        for (const Points &p : {one, Points()}) {
            const Fit f = RunFit(type, p);
            for (long i = 0; i < f.count; ++i)
                EXPECT_TRUE(std::isnan(f.params[i])) << type << " p" << i + 1;
            for (std::size_t k = 0; k < p.XI.size(); ++k)
                EXPECT_TRUE(f.TX[k] == 0.0 && f.TY[k] == 0.0) << type;
            EXPECT_TRUE(f.sdX == 0.0 && f.sdY == 0.0) << type;
        }
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
            const double x = coord(random), y = coord(random);
            pts.Add(k % 17 == 0 ? 0.0 : x, k % 23 == 0 ? -0.0 : y, coord(random), coord(random));
        }
        if (variant == 1)
            pts.XI[150] = inf;
        if (variant == 2)
            pts.YP[40] = std::numeric_limits<double>::quiet_NaN();
        if (variant == 3)
            pts.XI[0] = 1e120; // x^3 overflows
        for (long type = 1; type <= 6; ++type) {
            UsePlainAccumulation(true);
            const Fit plain = RunFit(type, pts);
            UsePlainAccumulation(false);
            const Fit fast = RunFit(type, pts);
            for (long i = 0; i < plain.count; ++i)
                EXPECT_TRUE(SameBits(plain.params[i], fast.params[i]))
                    << "variant " << variant << " type " << type << " p" << i + 1 << ": "
                    << plain.params[i] << " vs " << fast.params[i];
            EXPECT_TRUE(SameBits(plain.sdX, fast.sdX) && SameBits(plain.sdY, fast.sdY));
        }
    }
}

} // namespace

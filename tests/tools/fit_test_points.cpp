#include "tests/tools/fit_test_points.h"

#include <cmath>
#include <fstream>
#include <random>

void PointSet::Add(double x, double y, double X, double Y) {
    XI.push_back(x);
    YI.push_back(y);
    XP.push_back(X);
    YP.push_back(Y);
}

PointSet PointSet::Without(long k) const {
    PointSet out;
    for (std::size_t i = 0; i < XI.size(); ++i)
        if (static_cast<long>(i) != k)
            out.Add(XI[i], YI[i], XP[i], YP[i]);
    return out;
}

void KnownMap(long model, double x0, double y0, double x, double y, double *X, double *Y) {
    const double u = x - x0, v = y - y0, a = u / 1000.0, b = v / 1000.0;
    double du = 0.9998 * u - 0.0021 * v, dv = 0.0021 * u + 0.9998 * v;
    switch (model) {
    case 1: {
        const double d = 1.0 + 0.0004 * a - 0.0003 * b;
        du /= d;
        dv /= d;
        break;
    }
    case 3:
        du -= 0.0004 * v;
        dv += 0.0005 * v;
        break;
    case 4:
        du += -0.0004 * v + 0.3 * a * a - 0.2 * b * b + 0.1 * a * b;
        dv += 0.0005 * v - 0.15 * a * a + 0.25 * b * b + 0.05 * a * b;
        break;
    case 5: {
        const double zr = a * a - b * b, zi = 2.0 * a * b;
        du += 0.3 * zr - 0.2 * zi;
        dv += 0.2 * zr + 0.3 * zi;
        break;
    }
    case 6:
        du += 0.3 * a * a - 0.2 * b * b + 0.1 * a * b + 0.02 * a * a * a - 0.01 * a * a * b +
              0.03 * a * b * b - 0.02 * b * b * b;
        dv += -0.15 * a * a + 0.25 * b * b + 0.05 * a * b + 0.01 * a * a * a + 0.02 * a * a * b -
              0.01 * a * b * b + 0.03 * b * b * b;
        break;
    default: break;
    }
    *X = x0 + 120.0 + du;
    *Y = y0 - 80.0 + dv;
}

PointSet ExactPoints(long model, long n, double x0, double y0, double half, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(-half, half);
    PointSet set;
    for (long k = 0; k < n; ++k) {
        const double x = x0 + spread(random), y = y0 + spread(random);
        double X, Y;
        KnownMap(model, x0, y0, x, y, &X, &Y);
        set.Add(x, y, X, Y);
    }
    return set;
}

void AddNoise(PointSet *set, double sigma, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    for (std::size_t k = 0; k < set->XP.size(); ++k) {
        set->XP[k] += noise(random);
        set->YP[k] += noise(random);
    }
}

PointSet ExamplePoints(const std::string &name) {
    std::ifstream file(std::string(ORTK_SOURCE_DIR) + "/examples/" + name);
    PointSet set;
    double x, y, X, Y;
    while (file >> x >> y >> X >> Y)
        set.Add(x, y, X, Y);
    return set;
}

// Control points made by a known transformation of each model, with noise
// and planted blunders, and both fits of them, for the fit tool's tests.
#ifndef ORTK232_TESTS_TOOLS_PLANTED_POINTS_H
#define ORTK232_TESTS_TOOLS_PLANTED_POINTS_H

#include "tools/fit/fit_diagnostics.h"
#include "tools/fit/stable_fit.h"
#include "transform/models.h"

#include <cmath>
#include <random>
#include <set>
#include <vector>

struct PlantedPoints {
    std::vector<double> XI, YI, XP, YP;
    std::set<long> blunders; // indices
    ControlPointArrays View() const {
        return {long(XI.size()), XI.data(), YI.data(), XP.data(), YP.data()};
    }
    void Add(double x, double y, double X, double Y) {
        XI.push_back(x), YI.push_back(y), XP.push_back(X), YP.push_back(Y);
    }
    // The points without the count of them from index k on.
    PlantedPoints Without(long k, long count = 1) const {
        PlantedPoints out;
        for (long i = 0; i < long(XI.size()); ++i)
            if (i < k || i >= k + count)
                out.Add(XI[i], YI[i], XP[i], YP[i]);
        return out;
    }
};

// n points over a square of side span at (x0, y0), mapped by a rotation and
// scale plus the model's own kind of distortion (7: a smooth wave that no
// polynomial of low order follows), noise sigma per coordinate; then the
// given share of them moved by blunders of lengths between low and high
// sigmas (10^uniform) in any direction, or all by (low, high) when same.
inline PlantedPoints Plant(long model, long n, double sigma, double share = 0, double low = 20,
                           double high = 1e4, unsigned seed = 1, double x0 = 0, double y0 = 0,
                           double span = 200, bool same = false) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    PlantedPoints p;
    for (long k = 0; k < n; ++k) {
        const double u = span * (unit(random) - 0.5), v = span * (unit(random) - 0.5);
        const double a = 2 * u / span, b = 2 * v / span, c = span / 100;
        double X = 0.9998 * u - 0.0021 * v, Y = 0.0021 * u + 0.9998 * v;
        if (model == 1) {
            const double w = 1 + 0.04 * a - 0.03 * b;
            X /= w, Y /= w;
        }
        if (model == 3 || model == 4 || model == 6)
            X -= 0.04 * v, Y += 0.05 * v;
        if (model == 4 || model == 6)
            X += c * (3 * a * a - 2 * b * b + a * b), Y += c * (-1.5 * a * a + 2.5 * b * b);
        if (model == 6)
            X += c * (2 * a * a * a + 3 * a * b * b), Y += c * (-a * a * a + 3 * b * b * b);
        if (model == 5)
            X += c * (3 * (a * a - b * b) - 4 * a * b), Y += c * (2 * (a * a - b * b) + 6 * a * b);
        if (model == 7)
            X += c * std::sin(3 * a) * std::cos(2 * b), Y += c * std::cos(4 * a + b);
        const double ex = sigma > 0 ? sigma * noise(random) : 0,
                     ey = sigma > 0 ? sigma * noise(random) : 0;
        p.Add(x0 + u, y0 + v, x0 + 120 + X + ex, y0 - 80 + Y + ey);
    }
    const double unitLength = sigma > 0 ? sigma : 0.01;
    while (long(p.blunders.size()) < std::lround(share * n)) {
        const long k = long(unit(random) * n);
        if (!p.blunders.insert(k).second)
            continue;
        const double length =
            unitLength * std::pow(10.0, std::log10(low) + unit(random) * std::log10(high / low));
        const double angle = 6.283185307179586 * unit(random);
        p.XP[k] += same ? low : length * std::cos(angle);
        p.YP[k] += same ? high : length * std::sin(angle);
    }
    return p;
}

inline double Rms(const std::vector<double> &vx, const std::vector<double> &vy) {
    double sum = 0.0;
    for (std::size_t k = 0; k < vx.size(); ++k)
        sum += vx[k] * vx[k] + vy[k] * vy[k];
    return std::sqrt(sum / double(vx.size()));
}

// Both fits of the points, and the diagnostics of the one chosen by stable.
struct Fitted {
    StableFit s;
    double params[21] = {}, sdX = 0, sdY = 0; // the documented fit
    std::vector<double> vx, vy;
    FitDiagnostics d;
    Fitted(long model, const PlantedPoints &set, bool stable) {
        const ControlPointArrays p = set.View();
        FitStable(model, p, &s);
        vx.resize(p.n), vy.resize(p.n);
        long count = 0, n = p.n;
        FitFunctionForType(model)(p.XP, p.YP, p.XI, p.YI, &n, params, &count, vx.data(), vy.data(),
                                  &sdX, &sdY);
        d = DiagnoseFit(model, p, stable ? s.vx.data() : vx.data(),
                        stable ? s.vy.data() : vy.data(), stable, stable ? &s : nullptr);
    }
};

#endif

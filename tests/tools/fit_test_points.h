// Control point sets for the tests of the stable fit and its diagnostics:
// exact points of a known map of each model, noise, a planted blunder, and
// the shipped examples.
#ifndef ORTK232_TESTS_TOOLS_FIT_TEST_POINTS_H
#define ORTK232_TESTS_TOOLS_FIT_TEST_POINTS_H

#include "tools/fit/stable_fit.h"

#include <string>
#include <vector>

struct PointSet {
    std::vector<double> XI, YI, XP, YP;
    ControlPointArrays View() const {
        return {static_cast<long>(XI.size()), XI.data(), YI.data(), XP.data(), YP.data()};
    }
    void Add(double x, double y, double X, double Y);
    PointSet Without(long k) const;
};

// The known map of the model (type code 1 to 6): a shift, a rotation and a
// distortion of the model's own kind over a sheet of half-width half around
// (x0, y0); returns the new coordinates of (x, y).
void KnownMap(long model, double x0, double y0, double x, double y, double *X, double *Y);

// n points spread at random (fixed by seed) over the sheet, mapped exactly.
PointSet ExactPoints(long model, long n, double x0, double y0, double half, unsigned seed);

// Adds normal noise of the given deviation to the new coordinates.
void AddNoise(PointSet *set, double sigma, unsigned seed);

// The points of a file under examples/.
PointSet ExamplePoints(const std::string &name);

#endif

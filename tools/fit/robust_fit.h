// --robust: finds gross blunders among the control points and leaves them
// out. A minimal-sample consensus (least median of squares over samples
// drawn by a fixed-seed generator) finds a transformation that most points
// agree with; least-squares refits of its consensus set, with a robust scale,
// settle which points belong; data snooping by studentised residual then
// takes out what is still flagged and takes back what fits. The ordinary fit
// of the points kept is left to the caller.
#ifndef ORTK232_TOOLS_FIT_ROBUST_FIT_H
#define ORTK232_TOOLS_FIT_ROBUST_FIT_H

#include "tools/fit/stable_fit.h"

#include <cstdint>
#include <string>
#include <vector>

// The generator's seed: the same samples on every run and every platform.
constexpr std::uint64_t kRobustSeed = 20260101;
// Samples are scored on at most this many points (an evenly random choice).
constexpr long kScoredPoints = 1000;
// Consensus: a point whose residual exceeds this many robust standard
// deviations (per coordinate) is out; 3.72 is the 99.9 % point of the length
// of a two-dimensional normal residual.
constexpr double kConsensusLimit = 3.72;

// The spline's leave-one-out residuals are not those of a least-squares fit:
// a sparse corner or an edge of the points misses by more than the rest, and
// their tail is heavier than the normal one. --robust leaves out a point of
// the spline only beyond this limit on the scale of its flag (3).
constexpr double kSplineLimit = 5.0;

struct RobustOutcome {
    bool found = false;
    std::string error;          // why not, when nothing was found
    std::vector<long> kept;     // point indices, ascending
    std::vector<long> excluded; // point indices, ascending
    std::vector<std::string> warnings;
    long samples = 0; // minimal samples drawn
};

// Some of the points, as arrays of their own, with the line of each in the
// control points file.
struct PointSubset {
    std::vector<double> XI, YI, XP, YP;
    std::vector<long> lines;
    PointSubset(const ControlPointArrays &all, const std::vector<long> &which);
    ControlPointArrays View() const {
        return {
            static_cast<long>(XI.size()), XI.data(), YI.data(), XP.data(), YP.data(), lines.data()};
    }
};

// Points a minimal sample of the model needs: half its coefficients.
long MinimalSample(long model);

// Any of the six models, or the spline: for the spline, whose residuals are
// all zero, its leave-one-out residuals decide instead: the most deviant
// point beyond kSplineLimit goes out, one at a time, and a point left out
// whose residual against the spline of the others is within the limit
// comes back (once).
RobustOutcome FindBlunders(long model, const ControlPointArrays &points);

#endif

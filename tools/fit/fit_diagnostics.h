// Whether a fit can be trusted: the condition of the documented normal
// equations, the redundancy and mean error, and per point its leverage, its
// leave-one-out residual and its studentised residual, with a flag on the
// points that look like blunders.
#ifndef ORTK232_TOOLS_FIT_FIT_DIAGNOSTICS_H
#define ORTK232_TOOLS_FIT_FIT_DIAGNOSTICS_H

#include "tools/fit/stable_fit.h"

#include <string>
#include <vector>

// A studentised residual above this flags the point.
constexpr double kFlagThreshold = 3.0;

// Digits of the 16 that the normal equations may lose before a warning.
constexpr double kDigitsLostWarning = 8.0;

struct PointDiagnostics {
    long line;          // line of the control points file
    double vx, vy;      // residuals, observed minus computed
    double leverage;    // mean of the point's two hat diagonals, 0 to 1
    double looVx;       // residual with the fit made without this point; NaN
    double looVy;       //   when the point alone determines part of the fit
    double studentized; // NaN when undefined (too little redundancy)
    bool flagged;
};

// A point that --robust left out of the fit, with its residual against the
// fit of the others (observed minus computed).
struct ExcludedPoint {
    long line;
    double x_old, y_old, x_new, y_new;
    double vx, vy;
};

struct FitDiagnostics {
    long model = 0;
    long m = 0;
    long n = 0;
    bool stable = false;
    long redundancy = 0;     // 2N - m
    long rank = 0;           // of the fit's design (m when fully determined)
    double totalRms = 0.0;   // sqrt(sum(vx^2 + vy^2) / N), as the report
    double meanError = 0.0;  // sqrt(sum(vx^2 + vy^2) / (2N - m)); NaN without redundancy
    double condition = 0.0;  // 2-norm condition of the documented normal matrix
    double digitsLost = 0.0; // log10(condition)
    std::vector<PointDiagnostics> points;
    std::vector<long> flaggedLines;
    std::vector<std::string> warnings;
};

// Diagnoses the fit whose residuals are vx, vy (observed minus computed, one
// per point). stable tells which fit made them: with stable, fit is the
// stable fit (its system gives the hat matrix); without, the documented fit
// made them, and fit may be null.
// lines, when given, holds each point's line in the control points file
// (points kept by --robust); otherwise point k is on line k + 1.
FitDiagnostics DiagnoseFit(long model, const ControlPointArrays &points, const double *vx,
                           const double *vy, bool stable, const StableFit *fit,
                           const long *lines = nullptr);

// Above this many points the condition is estimated from an even sample of
// them: the normal matrix over N is a mean over the points, and a sample of
// this size gives its condition to a few per cent at a fraction of the cost.
constexpr long kConditionSample = 20000;

// The 2-norm condition of the documented normal matrix (infinite when it is
// singular), the same estimate on every path of the tool.
double EstimateDocumentedCondition(long model, const ControlPointArrays &points);

// The warnings that need no residuals: digits lost by the documented normal
// equations (not for a stable fit), fewer points than coefficients, no
// redundancy. Every fit, the plain one too, gives them.
std::vector<std::string> ConditionWarnings(long model, long n, double condition, bool stable);

// The warning that names the flagged lines.
std::string FlaggedLinesText(const std::vector<long> &lines);

// The leave-one-out residual of a point from its residual e and hat block H:
// (I - H)^-1 e. False (and NaN) when I - H is singular to working precision.
bool LeaveOneOut(const HatBlock &h, double ex, double ey, double *looX, double *looY);

#endif

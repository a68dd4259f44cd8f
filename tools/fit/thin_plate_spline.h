// The thin-plate spline: the interpolating surface of least bending energy,
// with the radial basis r^2 ln r^2 and an affine part, one for X and one for
// Y, passing exactly through every control point. Its ordinary residuals are
// zero, so its check is the leave-one-out residual of each point, computed
// exactly from the inverse of the interpolation matrix (no refits).
#ifndef ORTK232_TOOLS_FIT_THIN_PLATE_SPLINE_H
#define ORTK232_TOOLS_FIT_THIN_PLATE_SPLINE_H

#include "tools/fit/fit_diagnostics.h"

#include <string>
#include <vector>

// The model's type code in the tool (after the library's six).
constexpr long kSplineModel = 7;
// The interpolation matrix is dense, (N + 3) x (N + 3), inverted whole: above
// this many points it would take too long and too much memory.
constexpr long kMaxSplinePoints = 2000;

// Everything needed to apply a spline, as the JSON saves it. In the frames
// u = (x - oldFrame.centre_x) / oldFrame.scale, v likewise, and
// X = newFrame.centre_x + newFrame.scale * U:
//   U(u, v) = affineX[0] + affineX[1] u + affineX[2] v + sum_j weightX[j] phi(r_j^2)
//   V(u, v) = affineY[0] + affineY[1] u + affineY[2] v + sum_j weightY[j] phi(r_j^2)
// r_j^2 = (u - u_j)^2 + (v - v_j)^2 with (u_j, v_j) the frame's coordinates of
// node j, phi(s) = s ln s, phi(0) = 0.
struct TpsFit {
    Normalisation oldFrame, newFrame;
    std::vector<double> nodeX, nodeY;     // old coordinates of the nodes, as read
    std::vector<double> weightX, weightY; // one per node
    double affineX[3] = {}, affineY[3] = {};
};

// The spline at old coordinates (x, y): new coordinates *X, *Y.
void EvaluateThinPlateSpline(const TpsFit &fit, double x, double y, double *X, double *Y);

// The coefficients as ortk-fit prints them, p1 ... p(2N + 6): the affine
// part in the order of the affine model, then weightX[j], weightY[j] for
// each node.
std::vector<double> SplineCoefficients(const TpsFit &fit);

struct SplineSolution {
    bool solved = false;
    std::string error; // why not
    TpsFit fit;
    std::vector<double> vx, vy;       // residuals at the nodes (rounding only)
    std::vector<double> looVx, looVy; // leave-one-out residuals, new units
    // sqrt |L^-1(i, i)|: a leave-one-out residual times it has the same
    // spread at every node (the spline's prediction is worse far from the
    // other nodes, at the edges, and the diagonal says by how much).
    std::vector<double> looWeight;
    double condition = 0.0; // 1-norm condition of the interpolation matrix
};

// Fits the spline through the points; lines (null: point k on line k + 1)
// name the points in the error text.
SplineSolution FitThinPlateSpline(const ControlPointArrays &points, const long *lines = nullptr);

// The diagnostics of a spline: leverage 1, the exact leave-one-out residuals,
// and instead of a studentised residual the weighted leave-one-out length
// (looWeight times it) over sqrt(2) times a robust spread of them all (their
// median / 1.1774, the median length of a two-dimensional standard normal
// residual), flagged above 3 like a studentised residual.
// That robust spread of the weighted leave-one-out lengths, never below the
// rounding of the coordinates.
double SplineSpread(const ControlPointArrays &points, const SplineSolution &spline);

// The median of looWeight.
double MedianWeight(const SplineSolution &spline);

FitDiagnostics DiagnoseSpline(const ControlPointArrays &points, const SplineSolution &spline,
                              const long *lines = nullptr);

#endif

// A fitted transformation put to use: the model of a fit, documented or
// normalised, mapping old coordinates to new ones and back.
#ifndef ORTK232_TOOLS_FIT_FIT_APPLY_H
#define ORTK232_TOOLS_FIT_FIT_APPLY_H

#include "tools/fit/thin_plate_spline.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

// The inverse by Newton's iteration stops when the forward map of the
// estimate lies within this many new-coordinate spreads of the given point
// (the spread: the root mean square distance of the fit's new coordinates
// from their mean, new_scale of a stable fit).
constexpr double kInverseTolerance = 1e-10;
constexpr int kInverseIterations = 50;

struct FitMap {
    std::string model;
    // u = (x - centre_x) / scale, ...: identity frames for the documented fit.
    Normalisation oldFrame, newFrame;
    // The model in its frame: (u, v) to (U, V).
    std::function<void(double u, double v, double *U, double *V)> evaluate;
    // Its exact inverse in the frame, where the model has one; false where a
    // point has no preimage.
    std::function<bool(double U, double V, double *u, double *v)> invert;
    // The affine part of the model in its frame (U = a0 + a1 u + a2 v, V = a3 +
    // a4 u + a5 v), where Newton's iteration starts.
    double affine[6] = {};
    // Spreads of the old and the new coordinates in the frame: the step of the
    // numerical derivatives and the unit of kInverseTolerance.
    double oldSpread = 1.0, newSpread = 1.0;
};

// The map of one of the six models from its coefficients p1 ... pm, with the
// frames of a stable fit (both null for the documented fit, whose spreads are
// then those of the points, when given).
FitMap MakeFitMap(long model, const double *params, const Normalisation *oldFrame,
                  const Normalisation *newFrame, const ControlPointArrays *points = nullptr);

// The map of a thin-plate spline, in the old and new coordinates themselves
// (identity frames); the inverse by Newton's iteration from its affine part.
FitMap MakeSplineMap(const TpsFit &fit);

// Reads the JSON that ortk-fit --json writes. False with the reason in error
// when the text is not such a fit.
bool ReadFitJson(const std::string &text, FitMap *map, std::string *error);

void MapForward(const FitMap &map, double x, double y, double *X, double *Y);

// New coordinates back to old ones. False with the reason in error when the
// point has no preimage, or Newton's iteration finds none.
bool MapInverse(const FitMap &map, double X, double Y, double *x, double *y, std::string *error);

// The length of (a, b) from the correctly rounded square root: the same bits
// on every platform, which the C libraries' hypot does not promise.
inline double Length(double a, double b) {
    return std::sqrt(a * a + b * b);
}

// ortk-fit apply FIT.json [POINTS] [--inverse], argv holding what follows
// "apply". Returns the exit status.
int RunApplyCommand(int argc, char **argv);

// Usage of apply, for ortk-fit's usage text.
extern const char *const kApplyUsage;

#endif

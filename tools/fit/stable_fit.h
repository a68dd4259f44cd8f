// The six transformation models fitted the careful way, for the native tool:
// coordinates centred and scaled before the fit, the least-squares problem
// solved by orthogonal transformations instead of normal equations. The same
// machinery measures how far the documented fit can be trusted.
#ifndef ORTK232_TOOLS_FIT_STABLE_FIT_H
#define ORTK232_TOOLS_FIT_STABLE_FIT_H

#include <vector>

// The control points as the reader hands them out: old x, y and new X, Y.
struct ControlPointArrays {
    long n;
    const double *XI, *YI, *XP, *YP;
    const long *lines = nullptr; // of each point in its file; null: point k on line k + 1
};

// One coordinate pair shifted and scaled: u = (x - centre_x) / scale,
// v = (y - centre_y) / scale. One scale for both axes keeps the similarity
// and conformal models in their own form.
struct Normalisation {
    double centre_x = 0.0;
    double centre_y = 0.0;
    double scale = 1.0;
};

// Centre on the mean; scale so that the centred coordinates have a root mean
// square of 1 over both axes. No points, or all in one place: scale 1.
Normalisation NormaliseCoordinates(long n, const double *x, const double *y);

// Model type codes 1 to 6 as the export numbers them (CoefficientCount 0 for
// anything else); ModelName also names the tool's spline, 7 "tps".
long CoefficientCount(long model);
const char *ModelName(long model);

// X, Y of old coordinates x, y under coefficients p of model 1 to 6, in the
// order of operations of the library's own residuals.
void EvaluateModel(long model, const double *p, double x, double y, double *X, double *Y);

// A least-squares problem of one model in one frame, reduced to a small
// triangle: A P = Q R with P a column permutation and R upper triangular.
// Coupled models (similarity, projective, second-order conformal) have two
// rows per point and one right-hand side; the others split into an X and a Y
// problem on the same design (one row per point, two right-hand sides).
struct LeastSquaresSystem {
    long model = 0;
    long m = 0;           // coefficients of the model
    bool coupled = false; // two rows per point
    long columns = 0;     // m, or m / 2 for the split models
    long rhs = 0;         // 1 or 2
    Normalisation oldFrame, newFrame;
    std::vector<double> R;         // columns x columns, column-major
    std::vector<double> qty;       // (Q^T y) leading columns entries per right-hand side
    std::vector<long> permutation; // position k holds original column permutation[k]
    long rank = 0;
    std::vector<double> singularValues; // of R, descending
};

// Builds and reduces the system of the model over the points in the given
// frames (identity frames give the documented system). rankTolerance: a
// diagonal of R at or below rankTolerance * |R(0, 0)| ends the rank.
LeastSquaresSystem ReduceSystem(long model, const ControlPointArrays &points,
                                const Normalisation &oldFrame, const Normalisation &newFrame,
                                double rankTolerance);

// The coefficients p1 ... pm of the system's frame, in the documented order.
// Coefficients that the points leave undetermined (beyond the rank) are 0.
void SolveSystem(const LeastSquaresSystem &system, double *params);

// Residuals observed minus computed, in the units of the new coordinates,
// through the system's frame: vx = scale * (U - U_fitted). For the projective
// model those of its linearised form in that frame.
void ComputeResiduals(const LeastSquaresSystem &system, const ControlPointArrays &points,
                      const double *params, double *vx, double *vy);

// Hat matrix block of each point: H(x, x), H(x, y), H(y, y) of its two rows
// (H(x, y) = 0 and H(x, x) = H(y, y) for the split models).
struct HatBlock {
    double xx, xy, yy;
};
HatBlock ComputeHatBlock(const LeastSquaresSystem &system, const ControlPointArrays &points,
                         long k);

// The whole stable fit: both frames, the system, the coefficients of the
// normalised model, the residuals and their standard deviations.
struct StableFit {
    Normalisation oldFrame, newFrame;
    LeastSquaresSystem system;
    double params[20] = {};
    std::vector<double> vx, vy;
    double sdX = 0.0, sdY = 0.0;
};
void FitStable(long model, const ControlPointArrays &points, StableFit *fit);

#endif

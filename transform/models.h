// The six transformation models, each fitted by unweighted least squares in
// one pass. All take the observed new coordinates XP, YP, the old ones XI, YI,
// the point count n, and return the coefficients p1 ... pm in params[0 ..
// m - 1], m in paramCount, the residuals (observed minus computed) in TX and
// TY and the standard deviations sqrt(sum of squares / n) in sdX and sdY. With
// fewer points than coefficients the residuals and deviations are 0. Each
// returns 0.
#ifndef ORTK232_TRANSFORM_MODELS_H
#define ORTK232_TRANSFORM_MODELS_H

using FitFunction = long (*)(const double *XP, const double *YP, const double *XI, const double *YI,
                             const long *n, double *params, long *paramCount, double *TX,
                             double *TY, double *sdX, double *sdY);

long FitProjective(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY);
long FitSimilarity(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY);
long FitAffine(const double *XP, const double *YP, const double *XI, const double *YI,
               const long *n, double *params, long *paramCount, double *TX, double *TY, double *sdX,
               double *sdY);
long FitPolynomial2(const double *XP, const double *YP, const double *XI, const double *YI,
                    const long *n, double *params, long *paramCount, double *TX, double *TY,
                    double *sdX, double *sdY);
long FitConformal2(const double *XP, const double *YP, const double *XI, const double *YI,
                   const long *n, double *params, long *paramCount, double *TX, double *TY,
                   double *sdX, double *sdY);
long FitPolynomial3(const double *XP, const double *YP, const double *XI, const double *YI,
                    const long *n, double *params, long *paramCount, double *TX, double *TY,
                    double *sdX, double *sdY);

// The routine for a type code from 1 to 6, or null for any other code.
FitFunction FitFunctionForType(long transformType);

// Selects the plain accumulation (every design entry, the full square) for
// all points instead of the shortcut for finite data. Both give the same bits;
// tests compare them.
void UsePlainAccumulation(bool plain);

#endif

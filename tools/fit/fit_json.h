// The fit and its diagnostics as one JSON object, numbers in their shortest
// form that reads back to the same double (null for infinities and NaNs).
#ifndef ORTK232_TOOLS_FIT_FIT_JSON_H
#define ORTK232_TOOLS_FIT_FIT_JSON_H

#include "tools/fit/thin_plate_spline.h"

#include <cstdio>

struct FitJsonInput {
    const ControlPointArrays *points;
    const FitDiagnostics *diagnostics;
    const double *params;          // the m coefficients printed on standard output
    const Normalisation *oldFrame; // null for the documented fit
    const Normalisation *newFrame; // null for the documented fit
    double sdX, sdY;
    const std::vector<ExcludedPoint> *excluded = nullptr; // --robust only
    const TpsFit *spline = nullptr;                       // the spline only
};

// Writes the object and a line end; false when the stream reported an error.
bool WriteFitJson(std::FILE *out, const FitJsonInput &input);

#endif

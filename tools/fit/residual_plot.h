// The residual map as SVG: the control points at their old coordinates, each
// with its residual drawn as an arrow at a stated exaggeration, coloured by
// its length, flagged points labelled with their line number.
#ifndef ORTK232_TOOLS_FIT_RESIDUAL_PLOT_H
#define ORTK232_TOOLS_FIT_RESIDUAL_PLOT_H

#include "tools/fit/fit_diagnostics.h"

#include <string>

// Above this many points the map draws an even sample of them, and every
// flagged one, and says so.
constexpr long kMaxPlottedPoints = 20000;

// excluded: the points --robust left out, drawn as grey crosses with their
// line; null or empty when there are none. For the spline the arrows are
// the leave-one-out residuals (its own are zero).
std::string ResidualPlotSvg(const ControlPointArrays &points, const FitDiagnostics &diagnostics,
                            const std::vector<ExcludedPoint> *excluded = nullptr);

// Writes the map to path; false when the file cannot be written.
bool WriteResidualPlot(const char *path, const ControlPointArrays &points,
                       const FitDiagnostics &diagnostics,
                       const std::vector<ExcludedPoint> *excluded = nullptr);

// 1, 2 or 5 times a power of ten, the largest not above value (value > 0).
double NiceFloor(double value);

#endif

// --compare: every model fitted to the same points, one row each, and the
// model to use: the one with the fewest coefficients whose leave-one-out RMS
// is within 5 % of the lowest. Leave-one-out error and not Total RMS, because
// Total RMS always falls as coefficients are added, down to 0 for the spline.
#ifndef ORTK232_TOOLS_FIT_MODEL_COMPARE_H
#define ORTK232_TOOLS_FIT_MODEL_COMPARE_H

#include "tools/fit/fit_diagnostics.h"

#include <cstdio>
#include <string>
#include <vector>

// A model within this factor of the lowest leave-one-out RMS is as good.
constexpr double kCompareTolerance = 1.05;

struct ModelRow {
    long model = 0;
    long m = 0;
    std::string reason; // not empty: not fitted, and why
    long redundancy = 0;
    double totalRms = 0.0, meanError = 0.0;
    double looRms = 0.0; // sqrt(sum(loo_vx^2 + loo_vy^2) / N); NaN when a point has none
    double condition = 0.0, digitsLost = 0.0;
    std::vector<long> flaggedLines;
};

struct Comparison {
    std::vector<ModelRow> rows; // projective ... poly3, then tps
    long recommended = 0;       // 0 when no model has a leave-one-out RMS
};

// stable: the six models by the stable fit, as --model NAME --stable would.
Comparison CompareModels(const ControlPointArrays &points, bool stable);

// The row of one model from its diagnostics.
ModelRow RowFromDiagnostics(const FitDiagnostics &d);

// The rule: fewest coefficients within kCompareTolerance of the lowest
// leave-one-out RMS (the lower RMS between equals); 0 when none qualifies.
long RecommendModel(const std::vector<ModelRow> &rows);

// ortk-fit --compare: reads the file, prints the table (or with jsonFile the
// JSON, "-" for standard output); returns the exit status.
int RunCompareCommand(const char *pointsFile, bool stable, const char *jsonFile);

void PrintComparison(std::FILE *out, const Comparison &comparison);
bool WriteComparisonJson(std::FILE *out, const Comparison &comparison);

#endif

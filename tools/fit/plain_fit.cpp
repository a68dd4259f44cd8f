#include "tools/fit/plain_fit.h"

#include "tools/fit/fit_diagnostics.h"

#include <cstdio>
#include <string>

namespace {

struct WarningContext {
    long model;
};

// The conditioning and redundancy warnings, from the points the library's
// entry has just fitted, before its report is written.
void PrintConditionWarnings(void *context, long n, const double *XI, const double *YI,
                            const double *XP, const double *YP) {
    const long model = static_cast<WarningContext *>(context)->model;
    const ControlPointArrays points = {n, XI, YI, XP, YP};
    for (const std::string &warning :
         ConditionWarnings(model, n, EstimateDocumentedCondition(model, points), false))
        std::fprintf(stderr, "ortk-fit: warning: %s\n", warning.c_str());
}

} // namespace

int RunPlainFit(const char *pointsFile, long model, const char *reportFile,
                const ReportLocale &locale) {
    WarningContext context = {model};
    const FitPointsInspector inspector = {PrintConditionWarnings, &context};
    long paramCount = 0;
    double params[21];
    FitDeviations deviations = {0.0, 0.0};
    if (RunTransformFit(pointsFile, model, &paramCount, params, reportFile, true, locale,
                        &deviations, &inspector) == 0)
        return 1;
    std::printf("paramCount=%ld\n", paramCount);
    for (long i = 0; i < paramCount; ++i)
        std::printf("p%ld=%.17g\n", i + 1, params[i]);
    std::printf("sdX=%.17g\nsdY=%.17g\n", deviations.sdX, deviations.sdY);
    return 0;
}

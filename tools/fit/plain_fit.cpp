#include "tools/fit/plain_fit.h"

#include "frame/messages.h"
#include "res/resource.h"
#include "tools/fit/fit_diagnostics.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/models.h"
#include "transform/residuals.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The reader's arrays and the residuals, released together.
struct PlainArrays {
    long n = 0;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    double *TX = nullptr, *TY = nullptr;
    PlainArrays() = default;
    PlainArrays(const PlainArrays &) = delete;
    PlainArrays &operator=(const PlainArrays &) = delete;
    ~PlainArrays() {
        std::free(TX);
        std::free(TY);
        FreeCoordinateArrays(XP, YP, XI, YI);
    }
};

} // namespace

// The same steps, messages and output as the library's fitting entry; the
// points stay at hand afterwards for the condition estimate.
int RunPlainFit(const char *pointsFile, long model, const char *reportFile,
                const ReportLocale &locale) {
    PlainArrays a;
    if (!ReadControlPoints(pointsFile, &a.n, &a.XI, &a.YI, &a.XP, &a.YP, true))
        return 1;
    const std::size_t bytes = static_cast<std::size_t>(a.n) * sizeof(double);
    if ((a.TX = static_cast<double *>(AllocateWorkingMemory(bytes))) == nullptr ||
        (a.TY = static_cast<double *>(AllocateWorkingMemory(bytes))) == nullptr) {
        ShowMessage(a.TX == nullptr ? IDS_NO_TX_ARRAY : IDS_NO_TY_ARRAY,
                    IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
        return 1;
    }
    double params[21] = {}, sdX = 0.0, sdY = 0.0;
    long paramCount = 0;
    FitFunctionForType(model)(a.XP, a.YP, a.XI, a.YI, &a.n, params, &paramCount, a.TX, a.TY, &sdX,
                              &sdY);

    const ControlPointArrays points = {a.n, a.XI, a.YI, a.XP, a.YP};
    for (const std::string &warning :
         ConditionWarnings(model, a.n, EstimateDocumentedCondition(model, points), false))
        std::fprintf(stderr, "ortk-fit: warning: %s\n", warning.c_str());

    if (reportFile != nullptr) {
        locale.enterUserLocale();
        const long written = WriteResiduals(a.n, a.TX, a.TY, reportFile, true, sdX, sdY);
        locale.leaveUserLocale();
        if (written == 0) {
            ShowMessage(IDS_CANNOT_STORE_RESIDUALS, IDS_CALCULATE_TRANSFORM_PARAMS,
                        kMessageErrorIcon);
            return 1;
        }
    }
    std::printf("paramCount=%ld\n", paramCount);
    for (long i = 0; i < paramCount; ++i)
        std::printf("p%ld=%.17g\n", i + 1, params[i]);
    std::printf("sdX=%.17g\nsdY=%.17g\n", sdX, sdY);
    return 0;
}

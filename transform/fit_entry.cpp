#include "transform/fit_entry.h"

#include "frame/messages.h"
#include "res/resource.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/models.h"
#include "transform/residuals.h"

#include <cstdlib>

namespace {

constexpr long kWorkingParams = 21;

// The six point arrays of one call, released together on every way out.
struct PointArrays {
    long n = 0;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    double *TX = nullptr, *TY = nullptr;

    PointArrays() = default;
    PointArrays(const PointArrays &) = delete;
    PointArrays &operator=(const PointArrays &) = delete;
    ~PointArrays() { Release(); }

    void Release() {
        std::free(TX);
        std::free(TY);
        FreeCoordinateArrays(XP, YP, XI, YI);
        TX = TY = XI = YI = XP = YP = nullptr;
    }
};

} // namespace

long RunTransformFit(const char *controlPointsFile, long transformType, long *paramCount,
                     double *params, const char *residualsFile, bool showMessages,
                     const ReportLocale &locale, FitDeviations *deviations,
                     const FitPointsInspector *inspector) {
    PointArrays points;
    if (!ReadControlPoints(controlPointsFile, &points.n, &points.XI, &points.YI, &points.XP,
                           &points.YP, showMessages))
        return 0;
    const std::size_t bytes = static_cast<std::size_t>(points.n) * sizeof(double);
    points.TX = static_cast<double *>(AllocateWorkingMemory(bytes));
    if (points.TX == nullptr) {
        points.Release();
        if (showMessages)
            ShowMessage(IDS_NO_TX_ARRAY, IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
        return 0;
    }
    points.TY = static_cast<double *>(AllocateWorkingMemory(bytes));
    if (points.TY == nullptr) {
        points.Release();
        if (showMessages)
            ShowMessage(IDS_NO_TY_ARRAY, IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
        return 0;
    }
    double sdX = 0.0, sdY = 0.0;
    double working[kWorkingParams];
    for (double &value : working)
        value = 0.0;
    if (FitFunction fit = FitFunctionForType(transformType)) {
        // Every model sets all residuals.
        fit(points.XP, points.YP, points.XI, points.YI, &points.n, working, paramCount, points.TX,
            points.TY, &sdX, &sdY);
    } else {
        // When no model runs, the report shows zero residuals and deviations.
        for (long i = 0; i < points.n; ++i)
            points.TX[i] = points.TY[i] = 0.0;
    }

    const long count = *paramCount;
    for (long i = 0; i < count && i < kWorkingParams; ++i)
        params[i] = working[i];
    if (deviations != nullptr) {
        deviations->sdX = sdX;
        deviations->sdY = sdY;
    }
    if (inspector != nullptr)
        inspector->inspect(inspector->context, points.n, points.XI, points.YI, points.XP,
                           points.YP);
    if (residualsFile == nullptr)
        return 1;

    locale.enterUserLocale();
    const long written =
        WriteResiduals(points.n, points.TX, points.TY, residualsFile, showMessages, sdX, sdY);
    locale.leaveUserLocale();
    if (written == 0) {
        if (showMessages)
            ShowMessage(IDS_CANNOT_STORE_RESIDUALS, IDS_CALCULATE_TRANSFORM_PARAMS,
                        kMessageErrorIcon);
        return 0;
    }
    return 1;
}

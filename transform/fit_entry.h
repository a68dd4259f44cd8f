// The whole fitting request: read the control points, fit the model of the
// type code, hand out the coefficients, write the residuals report, report
// every failure. The Windows export and the native tool both run it; the
// platform supplies the locale switch around the report.
#ifndef ORTK232_TRANSFORM_FIT_ENTRY_H
#define ORTK232_TRANSFORM_FIT_ENTRY_H

struct ReportLocale {
    void (*enterUserLocale)(); // before the report: the user's number format
    void (*leaveUserLocale)(); // after it, whatever it yielded
};

struct FitDeviations {
    double sdX;
    double sdY;
};

// Called after the model ran and before the report, with the points read:
// the native tool estimates the fit's conditioning from them.
struct FitPointsInspector {
    void (*inspect)(void *context, long n, const double *XI, const double *YI, const double *XP,
                    const double *YP);
    void *context;
};

// Returns 1 when the coefficients were computed and the report written, else
// 0. paramCount is read after the model ran and that many coefficients are
// copied to params (at most 21). A type code outside 1 to 6 fits nothing and
// copies paramCount zeros. residualsFile null writes no report (the native
// tool without --report). deviations, when not null, receives sdX and sdY;
// inspector, when not null, sees the points after the fit.
long RunTransformFit(const char *controlPointsFile, long transformType, long *paramCount,
                     double *params, const char *residualsFile, bool showMessages,
                     const ReportLocale &locale, FitDeviations *deviations,
                     const FitPointsInspector *inspector = nullptr);

#endif

// ortk-fit with any of --stable, --diagnose, --json or --plot: the fit (the
// documented one, or the stable one), its report, its diagnostics, and the
// JSON and SVG outputs. Without those options the tool takes the library's
// own path, unchanged.
#ifndef ORTK232_TOOLS_FIT_FIT_COMMAND_H
#define ORTK232_TOOLS_FIT_FIT_COMMAND_H

#include "transform/fit_entry.h"

struct FitCommand {
    const char *pointsFile = nullptr;
    long model = 0;
    const char *reportFile = nullptr; // null: no report
    bool stable = false;
    bool robust = false;            // leave out the blunders that --robust finds
    bool diagnose = false;          // the diagnostics table on standard output
    const char *jsonFile = nullptr; // "-" for standard output, then nothing else goes there
    const char *plotFile = nullptr;
    const char *worldFile = nullptr;     // similarity and affine fits only
    const char *pointsOutFile = nullptr; // the points and residuals as a .points file
    ReportLocale locale;
};

// model is 1 to 6 or the spline (7).
// Runs the command; returns the exit status (0, or 1 after a message on
// standard error). Warnings go to standard error.
int RunFitCommand(const FitCommand &command);

#endif

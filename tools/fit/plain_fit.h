// ortk-fit without options that change the fit: the library's read, model
// routine and report, the same printout, and the warnings that need no
// residuals (condition, too few points, no redundancy) on standard error.
#ifndef ORTK232_TOOLS_FIT_PLAIN_FIT_H
#define ORTK232_TOOLS_FIT_PLAIN_FIT_H

#include "transform/fit_entry.h"

// Returns the exit status: 0, or 1 after the library's message.
int RunPlainFit(const char *pointsFile, long model, const char *reportFile,
                const ReportLocale &locale);

#endif

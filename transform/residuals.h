// The residuals report: count, one line per point with its x and y residual
// and their length, a total, and the standard deviations in x and y.
#ifndef ORTK232_TRANSFORM_RESIDUALS_H
#define ORTK232_TRANSFORM_RESIDUALS_H

#include <cstddef>

// Writes the report to path (created or truncated, text mode). The point
// values and the total are rounded to float before formatting; the total is
// sqrt(sum of TX[i]^2 + TY[i]^2 over all points / n), 0 for no points.
// Returns 1 when every line was written, else 0 after showing the reason
// (when showMessages is set). Numbers use the decimal point of the C
// runtime's current locale.
long WriteResiduals(long n, const double *TX, const double *TY, const char *path, bool showMessages,
                    double sdX, double sdY);

// Formats value into out (at least 400 bytes) as the Windows runtime's "%.6f"
// does, with decimalPoint as the separator, and returns the length: the exact
// decimal digits, rounded to six decimals with an exact tie going away from
// zero (0.0078125 gives 0.007813); a NaN gives "1.#QNAN0", or "-1.#IND00"
// with a sign; an infinity "1.#INF00" or "-1.#INF00".
std::size_t FormatFixed6(double value, char decimalPoint, char *out);

// The total of the report line "Total RMS", before its rounding to float.
double TotalRms(long n, const double *TX, const double *TY);

#endif
